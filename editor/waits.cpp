// The event waits. Each polls the input on every pass and redraws its whole
// screen, first while the last event's inputs are still down, then until a
// watched input goes down; the view inputs move the map meanwhile without
// ending the wait, so they work the same in every screen.
#include "waits.h"

#include <allegro.h>

#include "editor.h"
#include "view.h"
#include "viewport.h"

enum { PAN_SHARE = 8 };   // an arrow press moves the map by this share of the map area

// ---- view inputs ---------------------------------------------------------------

struct VIEW_KEY { int code, dx, dy, zoom; bool home; };

static int seen_z;                  // mouse_z as last followed
static bool z_known = false;
static bool key_down[KEY_MAX];      // view keys down at the last pass: a press acts once
static bool panning = false;        // the middle button is dragging the map
static int pan_x, pan_y;            // where that drag started
static VIEW pan_start;

static void follow_wheel()
{
    if (!z_known) {
        seen_z = mouse_z;
        z_known = true;
    }
    // Every notch since the last pass, in one step: none lost, none a frame of its own.
    if (mouse_z != seen_z)
        zoom_view(mouse_z - seen_z, mouse_x, mouse_y);
    seen_z = mouse_z;
}

// The map follows the pointer from where the drag began, so it never drifts.
static void follow_middle_drag()
{
    if (!(mouse_b & 4)) {
        panning = false;
        return;
    }
    if (!panning) {
        panning = true;
        pan_x = mouse_x, pan_y = mouse_y;
        pan_start = view;
    }
    view = pan_start;
    pan_view(mouse_x - pan_x, mouse_y - pan_y);
}

static void follow_keys()
{
    const int dx = SCREEN_W / PAN_SHARE, dy = MAP_AREA_H / PAN_SHARE;
    const VIEW_KEY keys[] = {
        {KEY_LEFT, dx, 0, 0, false},   {KEY_RIGHT, -dx, 0, 0, false},
        {KEY_UP, 0, dy, 0, false},     {KEY_DOWN, 0, -dy, 0, false},
        {KEY_EQUALS, 0, 0, 1, false},  {KEY_PLUS_PAD, 0, 0, 1, false},
        {KEY_MINUS, 0, 0, -1, false},  {KEY_MINUS_PAD, 0, 0, -1, false},
        {KEY_HOME, 0, 0, 0, true},
    };
    for (const VIEW_KEY& k : keys) {
        const bool down = key[k.code] != 0;
        if (down && !key_down[k.code]) {
            if (k.home)
                home_view();
            else if (k.zoom)
                zoom_view(k.zoom, SCREEN_W / 2, MAP_AREA_H / 2);
            else
                pan_view(k.dx, k.dy);
        }
        key_down[k.code] = down;
    }
}

void view_inputs(bool keys)
{
    follow_wheel();
    follow_middle_drag();
    if (keys)
        follow_keys();
}

// ---- the two event waits ---------------------------------------------------------

static bool ctrl_down()
{
    return (key_shifts & KB_CTRL_FLAG) || key[KEY_LCONTROL] || key[KEY_RCONTROL];
}

static bool shift_down()
{
    return (key_shifts & KB_SHIFT_FLAG) || key[KEY_LSHIFT] || key[KEY_RSHIFT];
}

// Undo or redo while Ctrl is down with Z or Y, else EVENT_NONE: Z and Y
// alone are no input of the editing screen.
static int history_chord()
{
    if (!ctrl_down())
        return EVENT_NONE;
    if (key[KEY_Z])
        return shift_down() ? EVENT_REDO : EVENT_UNDO;
    return key[KEY_Y] ? EVENT_REDO : EVENT_NONE;
}

// True while the left or right button or one of the editing screen's keys is
// down; the middle button pans.
static bool edit_input_down()
{
    return (mouse_b & 3) || key[KEY_ESC] || key[KEY_DEL] || key[KEY_ENTER] ||
           key[KEY_L] || key[KEY_S] || key[KEY_K] || history_chord() != EVENT_NONE;
}

// True while the left or right button or one of solve mode's keys is down.
static bool solve_input_down()
{
    return (mouse_b & 3) || key[KEY_ESC] || key[KEY_ENTER] || key[KEY_SPACE] || key[KEY_K];
}

// One pass of a wait: the view inputs, then the screen's whole frame.
static void pass(bool solve)
{
    view_inputs(true);
    solve ? draw_solve_view() : draw_edit_view();
}

static bool input_down(bool solve) { return solve ? solve_input_down() : edit_input_down(); }

// Swallows whatever is still held from the last event (such as the Enter
// that opened solve mode), then waits for a press, a frame every pass.
static void wait_for_press(bool solve)
{
    while (input_down(solve))
        pass(solve);
    while (!input_down(solve))
        pass(solve);
}

// The first of the keys that is down, in their order; EVENT_NONE when none is.
static int first_key_down(const int* keys, int count)
{
    for (int i = 0; i < count; i++)
        if (key[keys[i]])
            return keys[i];
    return EVENT_NONE;
}

int wait_edit_event()
{
    wait_for_press(false);
    // Read again: the highest input in this order wins.
    if (mouse_b & 1) return EVENT_LEFT;
    if (mouse_b & 2) return EVENT_RIGHT;
    static const int keys[] = {KEY_ESC, KEY_DEL, KEY_ENTER, KEY_L, KEY_S, KEY_K};
    const int k = first_key_down(keys, sizeof keys / sizeof keys[0]);
    return k != EVENT_NONE ? k : history_chord();
}

int wait_solve_event()
{
    wait_for_press(true);
    if (mouse_b & 1)
        return EVENT_LEFT;
    static const int keys[] = {KEY_ESC, KEY_ENTER, KEY_SPACE, KEY_K};
    return first_key_down(keys, sizeof keys / sizeof keys[0]);
}

// ---- typed characters --------------------------------------------------------------

// The library puts the scancode in the high byte; the fields want the
// character. In a field, + and - are typed, so only the mouse moves the view.
int wait_typed_char()
{
    while (!keypressed()) {
        view_inputs(false);
        draw_edit_view();
    }
    return readkey() & 0xFF;
}

// Delete is a control character too: stored, it would be invisible on screen
// and end up in the file.
bool printable_char(int c)
{
    return c >= 32 && c != CHAR_DELETE;
}
