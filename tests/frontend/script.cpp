// Headless set-up and the scripted replacement of poll_input.
#include "frontend/script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>

#include "editor/app.h"
#include "editor/waits.h"
#include "editor/editor.h"
#include "editor/input.h"
#include "editor/view.h"
#include "headless.h"

namespace {
struct Step { int frames, x, y, buttons; std::vector<int> keys; std::string typed; bool snap; };
std::deque<Step> steps;
Step current;
std::string typed;   // the library's key buffer
BITMAP* kept = nullptr;
char folder[] = "/tmp/frontend_test.XXXXXX";
int hook_keypressed() { return !typed.empty(); }
int hook_readkey() { int c = (unsigned char)typed[0]; typed.erase(0, 1); return c; }
}  // namespace

void poll_input(bool)
{
    if (current.snap)
        blit(back_buffer, kept, 0, 0, 0, 0, 800, 600);
    if (--current.frames > 0)
        return;
    if (steps.empty())
        throw ScriptEnded{};
    current = steps.front();
    steps.pop_front();
    mouse_x = current.x, mouse_y = current.y, mouse_b = current.buttons;
    for (int k = 0; k < KEY_MAX; k++)
        key[k] = std::count(current.keys.begin(), current.keys.end(), k);
    typed += current.typed;
}

void frontend_setup()
{
    if (!kept) {
        ASSERT_EQ(start_headless_editor(ASSETS_DIR), 0);
        ASSERT_TRUE(mkdtemp(folder) && chdir(folder) == 0);   // for the maps it loads and saves
        std::atexit([] { std::filesystem::remove_all(folder); });
        kept = create_bitmap(800, 600);
        install_keyboard_hooks(hook_keypressed, hook_readkey);
    }
    reset_editor();
    shown_background = background_image;
    current_sprite = nullptr;
    set_sprite(cursor_hover);
    clear_to_color(kept, makecol(255, 0, 255));
    typed.clear();
    steps.assign(1, current = Step{1, 0, 0, 0, {}, "", false});
    poll_input(false);   // nothing held, the pointer at (0,0)
}

void script_step(int frames, int x, int y, int buttons, const std::vector<int>& keys,
                 const std::string& text, bool snap)
{
    steps.push_back(Step{frames, x, y, buttons, keys, text, snap});
}

// Nothing but `keys` held, the pointer where the step before leaves it.
static void still(int frames, const std::vector<int>& keys = {}, const std::string& text = "")
{
    const Step& s = steps.empty() ? current : steps.back();
    script_step(frames, s.x, s.y, 0, keys, text);
}

void idle(int frames) { still(frames); }
void snap_at(int x, int y, int frames) { script_step(frames, x, y, 0, {}, "", true); }
void click(int x, int y, int buttons) { script_step(2, x, y, buttons), script_step(2, x, y, 0); }
void press_key(int code, int ascii) { still(2, {code}, std::string(ascii != 0, (char)ascii)), still(2); }
void type_text(const std::string& text) { for (char c : text) still(1, {}, std::string(1, c)); }
int steps_left() { return (int)steps.size(); }
BITMAP* snapshot() { return kept; }

int run_edit_steps()
{
    int count = 0;
    try {
        for (; edit_step() == 0; count++) {}
        ADD_FAILURE() << "edit_step quit";
    } catch (ScriptEnded&) {}
    return count;
}

BITMAP* frame_at(int x, int y, int (*wait)())
{
    snap_at(x, y, 3);
    EXPECT_THROW((wait ? wait : wait_edit_event)(), ScriptEnded);
    return kept;
}

bool text_shows(BITMAP* frame, int left, int right, int x, int y, const std::string& text)
{
    BITMAP* want = create_bitmap(right - left, 8);
    clear_to_color(want, makecol(255, 255, 255));
    textout_ex(want, font, text.c_str(), x - left, 0, 0, -1);
    bool same = true;
    for (int row = 0; row < 8; row++)
        for (int col = 0; col < right - left; col++)
            same = same && getpixel(want, col, row) == getpixel(frame, left + col, y + row);
    destroy_bitmap(want);
    return same;
}

bool status_shows(BITMAP* frame, const std::string& text) { return text_shows(frame, 0, 346, 10, 587, text); }
