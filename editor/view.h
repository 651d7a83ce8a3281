// The frames of both screens, and the pointer image. Every wait calls
// draw_edit_view or draw_solve_view once a pass; neither changes the map.
#pragma once

#include <allegro.h>

void draw_edit_view();              // one whole editing-screen frame
void draw_solve_view();             // one whole solve-mode frame
void set_sprite(BITMAP* sprite);    // makes `sprite` the pointer image (and the library's)
void toggle_background();           // K: hide the picture, or show it again
void map_solved();                  // a solve changed how roads draw, and no place
void forget_frames();               // drops all a frame keeps, grid included: the next starts afresh
