// Undo and redo through scripted input: each kind of change comes back byte for
// byte in the saved file, and commands that change nothing make no step, among
// them a name or length field left with Esc, which gives the old value back.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "frontend/script.h"
#include "network/map_file.h"
#include "network/network.h"

namespace {

std::string run()   // the script, then the map as saved in the working folder
{
    run_edit_steps();
    EXPECT_EQ(save_map("undo_map.txt"), 0);
    std::ifstream in("undo_map.txt");
    return std::string(std::istreambuf_iterator<char>(in), {});
}
// Ctrl (and Shift) with a key, which types a control character; Esc ends the message.
void ctrl(int k, bool shift = false, bool then_esc = true)
{
    script_step(2, 700, 300, 0, {KEY_LCONTROL, shift ? KEY_LSHIFT : KEY_LCONTROL, k}, "\x1a");
    snap_at(700, 300);
    if (then_esc)
        press_key(KEY_ESC);
}
void esc() { press_key(KEY_ESC); }
void enter() { press_key(KEY_ENTER); }
void right(int x, int y) { click(x, y, 2); }
void load(const char* name) { press_key(KEY_L), press_key(KEY_BACKSPACE, 8), type_text(name), esc(); }

struct Change { const char* what; void (*script)(); const char* shows; };   // "": no change
const Change changes[] = {
    {"place", [] { click(500, 500), esc(); }, "500 500\nNovy\n"},
    {"split", [] { click(200, 100), esc(); }, "200 100\nNovy\n"},
    {"road", [] { click(100, 100), click(300, 300); }, " 282\n"},
    {"drag", [] { right(300, 300), script_step(2, 310, 350, 1), script_step(2, 400, 420, 1), idle(), esc(); },
     "\n400 420\n"},
    {"rename, Ctrl+Z typed", [] { right(100, 100), enter(), type_text("A"), ctrl(KEY_Z, false, false),
                                  type_text("BCDEFGHIJKLMNOP\r"); }, "\nABCDEFGHIJKLMNO\n"},
    {"length", [] { right(300, 200), enter(), type_text("77\r"); }, " 77\n"},
    {"delete node", [] { right(300, 100), press_key(KEY_DEL); }, "\n3 0\n"},
    {"delete road", [] { right(200, 100), press_key(KEY_DEL); }, "\n4 1\n"},
    {"load", [] { load("undo_other.txt\r"); }, "9992\n1 0\n5 5\nX\n"},
    {"no-ops", [] { click(200, 590), right(100, 100), esc(), right(100, 100), ctrl(KEY_Z, false, false),
                    right(100, 100), enter(), type_text("Novy\r"), right(100, 100), enter(), type_text("Q\x1b"),
                    right(300, 200), enter(), type_text("5\x1b"), load("none.txt\r"), press_key(KEY_Z, 'z'),
                    press_key(KEY_Y, 'y'), enter(), ctrl(KEY_Z, false, false), esc(); }, ""},
};

TEST(UndoTest, EachChangeComesBackByteForByteAndNoOpsMakeNoStep)
{
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        frontend_setup();                                   // into the tests' scratch folder
        std::ofstream("undo_other.txt") << "9992\n1 0\n5 5\nX\n";
        NODE *a = find_or_add_node(100, 100), *b = find_or_add_node(300, 100);
        add_edge(a, b), add_edge(b, find_or_add_node(300, 300));
        std::string first = run();
        click(700, 100), esc();                             // an earlier change to fall back to
        std::string before = run();
        c.script();
        std::string after = run();
        EXPECT_TRUE(after.find(c.shows) != std::string::npos && (after != before) == (c.shows[0] != 0))
            << after;
        ctrl(KEY_Z);
        EXPECT_EQ(run(), c.shows[0] ? before : first);
        EXPECT_TRUE(status_shows(snapshot(), "Undone!"));
        if (!c.shows[0])
            continue;
        ctrl(KEY_Z, false, false), ctrl(KEY_Z);              // presses in a row go on
        EXPECT_EQ(run(), first);
        ctrl(KEY_Z, true, false), ctrl(KEY_Z, true, false), ctrl(KEY_Y);
        EXPECT_EQ(run(), after);
        EXPECT_TRUE(status_shows(snapshot(), "No redo"));
    }
}

}  // namespace
