// Solve mode: the second screen. Its loop, the start-node click and the
// solve on Space; its wait and frame draw the tree as bands and show the
// distances on hover. The map is only read here, never edited.
#include "solve_mode.h"

#include "editor.h"
#include "grid.h"
#include "network/network.h"
#include "network/solver.h"
#include "view.h"
#include "viewport.h"
#include "waits.h"

void solve_mode()
{
    for (NODE* n = node_list; n; n = n->next)
        n->label = -1;
    while (solve_step() != 0) {
    }
    current_node = nullptr;
}

// The first node under the pointer becomes the start; empty ground keeps it.
static void pick_start()
{
    NODE* n = first_node_hit(view_xform(), mouse_x, mouse_y);
    if (n)
        current_node = n;
}

int solve_step()
{
    switch (wait_solve_event()) {
    case KEY_ESC:    return 0;
    case KEY_SPACE:  solve_shortest_paths(); map_solved(); break;
    case EVENT_LEFT: pick_start(); break;
    case KEY_K:      toggle_background(); break;
    default:         break;  // Enter, the right button: nothing here
    }
    return 1;
}
