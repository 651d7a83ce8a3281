// Right-click item actions: the selection of one node or road, the modal loop
// of actions on it, node dragging and the two keyboard fields for a name and
// a length. Every wait here redraws the editing screen on each pass.
#include "commands.h"

#include <allegro.h>

#include <cstring>

#include "editor.h"
#include "grid.h"
#include "network/history.h"
#include "network/network.h"
#include "view.h"
#include "viewport.h"
#include "waits.h"

enum { NAME_CHARS = 15, LENGTH_LAST_GROWABLE = 99999999 };

// Makes the node, or failing that the road, under the window point the selection.
static bool select_item(int px, int py)
{
    const XFORM t = view_xform();
    current_node = first_node_hit(t, px, py);
    if (!current_node)
        selected_edge = first_road_hit(t, px, py);
    return current_node || selected_edge;
}

// The status field and the grey margin around it, where the name is shown.
static bool on_status_field(int x, int y)
{
    return x < 350 && y > SCREEN_H - 23;
}

// One event of the action loop; returns 1 while the selection stays open.
static int act_on_item(int event)
{
    switch (event) {
    case KEY_DEL:
        if (selected_edge)
            delete_edge(selected_edge);
        else
            delete_node(current_node);
        return 0;
    case EVENT_LEFT:
        if (!current_node)
            return 0;   // a left click only ends a road's selection
        if (on_status_field(mouse_x, mouse_y)) {
            edit_node_name(current_node);
            return 0;
        }
        drag_node(current_node);
        return 1;
    case KEY_ENTER:
        // The Enter that got us here is already in the buffer; the length
        // field does not flush on its own, so it would end at once.
        clear_keybuf();
        if (selected_edge)
            edit_edge_length(selected_edge);
        else
            edit_node_name(current_node);
        return 0;
    default:
        return 0;   // used up: Esc must not quit, a right click must not reselect
    }
}

void item_actions(int px, int py)
{
    if (!select_item(px, py))
        return;
    // Each action is a change of its own: one drag, a name, a length, a deletion.
    for (int more = 1; more;) {
        int event = wait_edit_event();
        history_begin();
        more = act_on_item(event);
        history_end();
    }
    current_node = nullptr;
    selected_edge = nullptr;
}

// The node follows the map point under the pointer, also while the wheel zooms.
void drag_node(NODE* node)
{
    while (mouse_b & 1) {
        view_inputs(false);
        move_node(node, map_x_at(mouse_x), map_y_at(mouse_y));
        draw_edit_view();
    }
}

// The name shows empty and grows as typed; Esc puts the old one back whole,
// so that the action's bracket sees no change and keeps no undo step.
void edit_node_name(NODE* node)
{
    // Keys that opened the field (or were typed before it) are not part of the name.
    clear_keybuf();
    char old[sizeof node->name];
    std::memcpy(old, node->name, sizeof old);
    int i = 0;
    node->name[0] = '\0';
    for (;;) {
        int c = wait_typed_char();
        if (c == CHAR_ESC)
            std::memcpy(node->name, old, sizeof old);
        if (c == CHAR_ENTER || c == CHAR_ESC)
            return;
        if (printable_char(c) && i < NAME_CHARS) {
            node->name[i++] = (char)c;
            node->name[i] = '\0';
        } else if (c == CHAR_BACKSPACE && i > 0) {
            node->name[--i] = '\0';
        }
    }
}

// The length shows 0 and grows as typed; Esc gives the old one back.
void edit_edge_length(EDGE* edge)
{
    const int old = edge->length;
    edge->length = 0;
    for (;;) {
        int c = wait_typed_char();
        if (c == CHAR_ESC)
            edge->length = old;
        if (c == CHAR_ENTER || c == CHAR_ESC)
            return;
        // Nine digits at most, so the value never leaves the int range.
        if (c >= '0' && c <= '9' && edge->length <= LENGTH_LAST_GROWABLE)
            edge->length = edge->length * 10 + (c - '0');
        else if (c == CHAR_BACKSPACE)
            edge->length /= 10;
    }
}
