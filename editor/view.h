// Frame composition shared by both screens, and the editing screen itself.
// Every wait of the editing screen calls draw_edit_view once per pass.
#pragma once

#include <allegro.h>

void draw_status_bar();                     // background and the bottom bar into back_buffer
void present_frame();                       // pointer image, copy to screen, then poll_input
void draw_edit_view();                      // one whole editing-screen frame; never changes the map
void draw_edit_underlay(bool line_free);    // bar, prompt unless line_free, labels: under the map
void set_sprite(BITMAP* sprite);            // makes `sprite` the pointer image (and the library's)
void print_status(const char* format, ...)  // black on white at the status line position
    __attribute__((format(printf, 1, 2)));
void print_label(int x, const char* text);  // a button label on the bottom bar
void draw_line(BITMAP* bmp, int x1, int y1, int x2, int y2, int color);   // line()'s pixels, quicker
                                            // for the shortest lines on memory bitmaps

int color_white();
int color_grey();
int color_light_grey();
int color_blue();
int color_cyan();
