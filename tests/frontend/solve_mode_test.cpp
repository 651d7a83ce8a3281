// Solve mode through scripted input: the start node, the tree drawn as bands,
// the hover texts, and leaving and coming back.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/paint.h"
#include "editor/waits.h"
#include "editor/solve_mode.h"
#include "editor/view.h"
#include "editor/view.h"
#include "frontend/script.h"
#include "network/network.h"

namespace {

BITMAP* solve_frame_at(int x, int y) { return frame_at(x, y, wait_solve_event); }
int step_on_key(int code, int ascii = 0) { press_key(code, ascii); return solve_step(); }
int step_on_click(int x, int y, int buttons = 1) { click(x, y, buttons); return solve_step(); }

// A (100,300) - B (300,300) - C (300,100) and the diagonal A-C at the list
// head: A-B-C (8) is shorter than A-C (10).
TEST(SolveMode, StartNodeSpaceBandsHoverTextsAndComingBack)
{
    frontend_setup();
    NODE *a = find_or_add_node(100, 300), *b = find_or_add_node(300, 300), *c = find_or_add_node(300, 100);
    std::strcpy(a->name, "A"), std::strcpy(b->name, "B"), std::strcpy(c->name, "C");
    add_edge(a, b), add_edge(b, c), add_edge(a, c);
    edge_list->length = 10, edge_list->next->length = 4, edge_list->next->next->length = 4;
    ASSERT_EQ(step_on_key(KEY_K), 1);                                  // hides the picture here too
    ASSERT_TRUE(step_on_click(101, 301) && step_on_click(700, 50));    // A; empty ground keeps it
    ASSERT_TRUE(step_on_key(KEY_ENTER, 13) && step_on_click(301, 101, 2));   // both do nothing
    BITMAP* f = solve_frame_at(600, 450);
    EXPECT_EQ(getpixel(f, 600, 200), color_white());
    EXPECT_EQ(getpixel(f, 100, 300), color_cyan());                    // the start
    EXPECT_EQ(getpixel(f, 200, 300), color_light_grey());              // no tree yet
    EXPECT_TRUE(text_shows(f, 350, 400, 360, 587, "Ries") && text_shows(f, 404, 454, 414, 587, "????"));
    ASSERT_EQ(step_on_key(KEY_SPACE, ' '), 1);
    f = solve_frame_at(600, 450);
    EXPECT_TRUE(getpixel(f, 200, 301) == color_blue() && getpixel(f, 301, 200) == color_blue());
    EXPECT_EQ(getpixel(f, 200, 200), color_light_grey());
    EXPECT_TRUE(status_shows(solve_frame_at(300, 100), "C: 8"));
    EXPECT_TRUE(status_shows(solve_frame_at(200, 200), "C - A: 10"));   // turned round
    EXPECT_EQ(step_on_key(KEY_ESC), 0);
    EXPECT_EQ(getpixel(frame_at(600, 450), 200, 301), color_white());  // no bands when editing

    press_key(KEY_ENTER, 13), click(301, 101), snap_at(100, 300, 3), press_key(KEY_ESC);
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_TRUE(status_shows(snapshot(), "A: -1"));                    // labels reset on entry
    EXPECT_EQ(getpixel(snapshot(), 200, 301), color_blue());           // the last tree stays
    EXPECT_EQ(current_node, nullptr);
    ASSERT_EQ(step_on_key(KEY_SPACE, ' '), 1);                         // no start: the bands go
    EXPECT_EQ(getpixel(solve_frame_at(600, 450), 200, 301), color_white());
}

}  // namespace
