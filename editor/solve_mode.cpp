// Solve mode: the second screen. Its loop and event wait, the start-node
// click, the solve on Space, and its frame with the tree drawn as bands and
// the distances shown on hover. The map is only read here, never edited.
#include "solve_mode.h"

#include <cinttypes>

#include "app.h"
#include "editor.h"
#include "layer.h"
#include "network/network.h"
#include "network/solver.h"
#include "view.h"

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
    for (NODE* n = node_list; n; n = n->next) {
        if (hit_node(n, mouse_x, mouse_y)) {
            current_node = n;
            return;
        }
    }
}

int solve_step()
{
    switch (wait_solve_event()) {
    case KEY_ESC:    return 0;
    case KEY_SPACE:  solve_shortest_paths(); break;
    case EVENT_LEFT: pick_start(); break;
    case KEY_K:      toggle_background(); break;
    default:         break;  // Enter, the right button: nothing here
    }
    return 1;
}

// True while a mouse button or one of solve mode's keys is down.
static bool solve_input_down()
{
    return mouse_b != 0 || key[KEY_ESC] || key[KEY_ENTER] || key[KEY_SPACE] || key[KEY_K];
}

int wait_solve_event()
{
    // Swallow what is still held, such as the Enter that opened the mode.
    while (solve_input_down())
        draw_solve_view();
    while (!solve_input_down())
        draw_solve_view();
    if (mouse_b & 1)
        return EVENT_LEFT;
    static const int keys[] = {KEY_ESC, KEY_ENTER, KEY_SPACE, KEY_K};
    for (int k : keys)
        if (key[k])
            return k;
    return EVENT_NONE;
}

void draw_thick_line(BITMAP* bmp, int x1, int y1, int x2, int y2, int color)
{
    // Three copies shifted one pixel along x towards the `to` end, then three
    // along y; the centre line itself is not drawn.
    const int s = x1 < x2 ? 1 : -1;
    for (int k = 1; k >= -1; k--)
        line(bmp, x1 + s, y1 + k, x2 + s, y2 + k, color);
    const int t = y1 < y2 ? 1 : -1;
    for (int k = 1; k >= -1; k--)
        line(bmp, x1 + k, y1 + t, x2 + k, y2 + t, color);
}

// Roads: tree roads as bands, the rest light grey. The road texts depend on
// the sprite the previous frame left, and every road under the pointer prints.
static void draw_solve_roads()
{
    for (EDGE* e = edge_list; e; e = e->next) {
        if (e->state == STATE_TREE)
            draw_thick_line(back_buffer, e->from->x, e->from->y, e->to->x, e->to->y, color_blue());
        else
            line(back_buffer, e->from->x, e->from->y, e->to->x, e->to->y, color_light_grey());
        if (hit_edge(e, mouse_x, mouse_y) && current_sprite != cursor_hover)
            print_status("%s - %s: %d", e->from->name, e->to->name, e->length);
    }
}

static void draw_solve_nodes()
{
    for (NODE* n = node_list; n; n = n->next) {
        if (current_sprite != cursor_hover && hit_node(n, mouse_x, mouse_y)) {
            set_sprite(cursor_hover);
            circlefill(back_buffer, n->x, n->y, 4, color_blue());
            print_status("%s: %" PRId64, n->name, n->label);
        } else {
            circlefill(back_buffer, n->x, n->y, 3, 0);
        }
        if (n == current_node)
            circlefill(back_buffer, n->x, n->y, 4, color_cyan());
    }
}

void draw_solve_underlay()
{
    draw_status_bar();
    print_label(360, "Ries");
    print_label(414, "????");
}

void draw_solve_view()
{
    // status_text is empty here: every editing command clears it on return.
    // In full from the lists when asked, or when the cached layer cannot be used.
    if (full_redraw || draw_cached_frame(LAYER_SOLVE) != 0) {
        draw_solve_underlay();
        draw_solve_roads();
        set_sprite(cursor_normal);
        draw_solve_nodes();
    }
    present_frame();
}
