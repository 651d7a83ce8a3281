// Headless set-up and the scripted replacement of poll_input.
#include "frontend/script.h"
#include "headless.h"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>

#include "editor/app.h"
#include "editor/editor.h"
#include "editor/input.h"
#include "editor/view.h"
#include "network/network.h"

namespace {

struct Step {
    int frames;
    int x, y, buttons;
    std::string keys;    // key codes held
    std::string typed;
    bool snap;
};

std::deque<Step> steps;
Step current{0, 0, 0, 0, "", "", false};
std::deque<int> key_buffer;
BITMAP* kept_frame = nullptr;

int hook_keypressed() { return !key_buffer.empty(); }
int hook_readkey()
{
    if (key_buffer.empty())
        return 0;
    int c = key_buffer.front();
    key_buffer.pop_front();
    return c;
}

void apply(const Step& s)
{
    mouse_x = s.x;
    mouse_y = s.y;
    mouse_b = s.buttons;
    for (int k = 0; k < KEY_MAX; k++)
        key[k] = 0;
    for (char k : s.keys)
        key[(unsigned char)k] = 1;
    for (char c : s.typed)
        key_buffer.push_back((unsigned char)c);
}

}  // namespace

void poll_input()
{
    if (current.snap)
        blit(back_buffer, kept_frame, 0, 0, 0, 0, 800, 600);
    if (--current.frames > 0)
        return;
    if (steps.empty())
        throw ScriptEnded{};
    current = steps.front();
    steps.pop_front();
    apply(current);
}

void frontend_setup()
{
    static bool started = false;
    if (!started) {
        started = true;
        if (start_headless_editor(ASSETS_DIR) != 0)
            throw std::runtime_error("cannot load the assets from " ASSETS_DIR);
        kept_frame = create_bitmap(800, 600);
        install_keyboard_hooks(hook_keypressed, hook_readkey);
    }
    reset_editor();
    shown_background = background_image;
    current_sprite = nullptr;
    set_sprite(cursor_hover);
    steps.clear();
    key_buffer.clear();
    clear_to_color(kept_frame, makecol(255, 0, 255));
    current = Step{1, 0, 0, 0, "", "", false};
    apply(current);
}

void script_step(int frames, int x, int y, int buttons, std::initializer_list<int> keys,
                 const std::string& typed, bool snap)
{
    std::string held;
    for (int k : keys)
        held.push_back((char)k);
    steps.push_back(Step{frames, x, y, buttons, held, typed, snap});
}

// The pointer position the script will have when the next step starts.
static void last_position(int* x, int* y)
{
    const Step& s = steps.empty() ? current : steps.back();
    *x = s.x;
    *y = s.y;
}

void idle(int frames)
{
    int x, y;
    last_position(&x, &y);
    script_step(frames, x, y, 0);
}

void snap_at(int x, int y, int frames) { script_step(frames, x, y, 0, {}, "", true); }

void click(int x, int y, int buttons)
{
    script_step(2, x, y, buttons);
    script_step(2, x, y, 0);
}

void press_key(int keycode, int ascii)
{
    int x, y;
    last_position(&x, &y);
    std::string typed;
    if (ascii)
        typed.push_back((char)ascii);
    script_step(2, x, y, 0, {keycode}, typed);
    script_step(2, x, y, 0);
}

void type_text(const std::string& text)
{
    int x, y;
    last_position(&x, &y);
    for (char c : text)
        script_step(1, x, y, 0, {}, std::string(1, c));
}

int run_edit_steps()
{
    int steps = 0;
    try {
        while (edit_step() == 0)
            steps++;
        ADD_FAILURE() << "edit_step quit";
    } catch (ScriptEnded&) {
    }
    return steps;
}

int count_nodes() { int n = 0; for (NODE* p = node_list; p; p = p->next) n++; return n; }
int count_edges() { int n = 0; for (EDGE* p = edge_list; p; p = p->next) n++; return n; }

BITMAP* snapshot() { return kept_frame; }

BITMAP* frame_at(int x, int y, int (*wait)())
{
    snap_at(x, y, 3);
    EXPECT_THROW((wait ? wait : wait_edit_event)(), ScriptEnded);
    return kept_frame;
}
int steps_left() { return (int)steps.size(); }

bool text_shows(BITMAP* frame, int left, int right, int x, int y, const std::string& text)
{
    const int white = makecol(255, 255, 255);
    BITMAP* expected = create_bitmap(right - left, 8);
    clear_to_color(expected, white);
    textout_ex(expected, font, text.c_str(), x - left, 0, 0, white);
    bool same = true;
    for (int row = 0; row < 8 && same; row++)
        for (int col = 0; col < right - left && same; col++)
            same = getpixel(expected, col, row) == getpixel(frame, left + col, y + row);
    destroy_bitmap(expected);
    return same;
}

bool status_shows(BITMAP* frame, const std::string& text)
{
    return text_shows(frame, 0, 346, 10, 587, text);
}
