// Solve mode: pick a start node, compute the shortest-path tree, read the
// distances on hover. edit_step enters it on Enter; Esc comes back.
#pragma once

#include <allegro.h>

void solve_mode();          // runs the mode until Esc; labels reset on entry
int  solve_step();          // one event; 0 to leave the mode
int  wait_solve_event();    // the solve screen's two-phase wait
void draw_solve_view();     // one whole solve-mode frame
void draw_solve_underlay(); // bar and the mode's labels: under the map
void draw_thick_line(BITMAP* bmp, int x1, int y1, int x2, int y2, int color); // six-line band
