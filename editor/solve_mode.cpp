// Solve mode: start node, shortest-path tree, distances on hover.
#include "solve_mode.h"

void solve_mode() {}
int solve_step() { return 0; }
int wait_solve_event() { return -1; }
void draw_solve_view() {}
void draw_thick_line(BITMAP*, int, int, int, int, int) {}
