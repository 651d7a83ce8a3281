// Solve mode: pick a start node, compute the shortest-path tree, read the
// distances on hover. edit_step enters it on Enter; Esc comes back.
#pragma once

void solve_mode();          // runs the mode until Esc; labels reset on entry
int  solve_step();          // one event; 0 to leave the mode
