// The shortest-path solver.
#include "solver.h"

void solve_shortest_paths() {}
