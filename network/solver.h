// Shortest road distances from current_node, written into the map's fields.
// Solve mode calls it on Space.
#pragma once

void solve_shortest_paths();   // labels reached nodes, marks the tree roads STATE_TREE
