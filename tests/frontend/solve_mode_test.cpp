// Solve mode through scripted input: entering and leaving, the start-node
// click, the tree bands, the hover texts and the solve screen's event wait.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/app.h"
#include "editor/editor.h"
#include "editor/solve_mode.h"
#include "editor/view.h"
#include "frontend/script.h"
#include "network/network.h"
#include "network/solver.h"

namespace {

struct SolveTest : ::testing::Test {
    NODE *a = nullptr, *b = nullptr, *c = nullptr;
    EDGE *ab = nullptr, *bc = nullptr, *ac = nullptr;

    // A-B runs along row 300, B-C up column 300, A-C is the diagonal; the
    // lengths make A-B-C (8) shorter than A-C (10). A-C is at the list head.
    void SetUp() override
    {
        frontend_setup();
        a = named(100, 300, "A");
        b = named(300, 300, "B");
        c = named(300, 100, "C");
        ab = joined(a, b, 4);
        bc = joined(b, c, 4);
        ac = joined(a, c, 10);
    }

    static NODE* named(int x, int y, const char* name)
    {
        NODE* n = find_or_add_node(x, y);
        std::strcpy(n->name, name);
        return n;
    }

    static EDGE* joined(NODE* from, NODE* to, int length)
    {
        add_edge(from, to);
        edge_list->length = length;
        return edge_list;
    }
};

bool blue_at(int x, int y) { return pixel(snapshot(), x, y) == color_blue(); }

TEST(ThickLine, HorizontalBandCoversThreeRowsShiftedTowardsTheEnd)
{
    frontend_setup();
    BITMAP* bmp = create_bitmap(300, 200);
    clear_to_color(bmp, 0);
    draw_thick_line(bmp, 100, 100, 200, 100, 1);
    const int rows[][3] = {{98, 0, -1}, {99, 99, 201}, {100, 101, 201}, {101, 101, 201}, {102, 0, -1}};
    for (const auto& row : rows)
        for (int x = 90; x < 210; x++)
            EXPECT_EQ(getpixel(bmp, x, row[0]) == 1, x >= row[1] && x <= row[2])
                << "(" << x << "," << row[0] << ")";
    destroy_bitmap(bmp);
}

// A steady frame with the pointer at (x, y): the sprite left by the frame
// before decides the road texts, so the kept frame is the third.
BITMAP* frame_at(int x, int y)
{
    snap_at(x, y, 3);
    EXPECT_THROW(wait_solve_event(), ScriptEnded);
    return snapshot();
}

// One solve_step on a press that the script queues first.
int step_on_key(int keycode, int ascii = 0)
{
    press_key(keycode, ascii);
    return solve_step();
}

int step_on_click(int x, int y, int buttons = 1)
{
    click(x, y, buttons);
    return solve_step();
}

TEST_F(SolveTest, StartNodeAndSpaceDrawTheTreeAndHoverShowsDistances)
{
    ASSERT_EQ(step_on_click(101, 301), 1);          // A
    EXPECT_EQ(current_node, a);
    BITMAP* f = frame_at(600, 450);
    EXPECT_EQ(pixel(f, 96, 300), color_cyan());     // start marker, radius 4
    EXPECT_FALSE(blue_at(200, 299));                // no tree yet
    EXPECT_TRUE(text_shows(f, 350, 400, 360, 587, "Ries"));
    EXPECT_TRUE(text_shows(f, 404, 454, 414, 587, "????"));

    ASSERT_EQ(step_on_key(KEY_SPACE, ' '), 1);
    f = frame_at(600, 450);
    for (int i = 298; i <= 302; i++) {
        EXPECT_EQ(blue_at(200, i), i != 298 && i != 302) << "A-B row " << i;
        EXPECT_EQ(blue_at(i, 200), i != 298 && i != 302) << "B-C column " << i;
    }
    EXPECT_EQ(pixel(f, 200, 200), color_light_grey());   // A-C stays a thin line
    EXPECT_TRUE(status_is_blank(f));

    EXPECT_TRUE(status_shows(frame_at(300, 100), "C: 8"));
    EXPECT_TRUE(status_shows(frame_at(100, 300), "A: 0"));   // no road text over it
    EXPECT_EQ(current_sprite, cursor_hover);
    f = frame_at(200, 200);
    EXPECT_TRUE(status_shows(f, "C - A: 10"));               // the solve turned A-C round
    EXPECT_EQ(current_sprite, cursor_normal);                // roads do not change it
    EXPECT_EQ(pixel(f, 190, 210), color_light_grey());       // nor their colour

    ASSERT_EQ(step_on_click(700, 50), 1);                    // empty ground
    EXPECT_EQ(current_node, a);
}

TEST_F(SolveTest, EnterEntersAndEscLeavesWithSwappedEndsKept)
{
    press_key(KEY_ENTER, 13);       // opens the mode; seen once
    click(301, 101);                // C
    press_key(KEY_SPACE, ' ');
    press_key(KEY_ESC);
    snap_at(600, 450, 3);           // the editing screen again
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_EQ(current_node, nullptr);
    EXPECT_EQ(c->label, 0);
    EXPECT_EQ(a->label, 8);
    EXPECT_EQ(ab->from, b);         // C's tree runs C-B-A
    EXPECT_EQ(bc->from, c);
    BITMAP* f = snapshot();
    EXPECT_FALSE(blue_at(200, 299));
    EXPECT_EQ(pixel(f, 200, 300), 0);                        // a thin black road
    EXPECT_TRUE(text_shows(f, 350, 400, 360, 587, "Load"));
}

TEST_F(SolveTest, KeysAndClicksThatLeaveTheSolveAlone)
{
    a->label = 5;
    press_key(KEY_ENTER, 13);
    press_key(KEY_ESC);
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_EQ(a->label, -1);                                  // reset on entry

    ASSERT_EQ(step_on_key(KEY_SPACE, ' '), 1);                // no start node
    EXPECT_TRUE(status_shows(frame_at(300, 300), "B: -1"));
    EXPECT_FALSE(blue_at(200, 299));
    EXPECT_EQ(step_on_key(KEY_ENTER, 13), 1);
    EXPECT_EQ(step_on_click(101, 301, 2), 1);                 // right button
    EXPECT_EQ(current_node, nullptr);
    EXPECT_EQ(step_on_key(KEY_K), 1);
    EXPECT_EQ(pixel(frame_at(600, 450), 600, 200), color_white());
    EXPECT_EQ(step_on_key(KEY_K), 1);
    EXPECT_EQ(pixel(frame_at(600, 450), 600, 200), getpixel(background_image, 600, 200));
    EXPECT_EQ(step_on_key(KEY_ESC), 0);
}

TEST_F(SolveTest, ReentryShowsTheOldTreeUntilSpace)
{
    current_node = a;
    solve_shortest_paths();
    current_node = nullptr;
    press_key(KEY_ENTER, 13);
    snap_at(300, 100, 3);                                     // C, still banded
    press_key(KEY_ESC);
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_TRUE(blue_at(200, 300));
    EXPECT_TRUE(status_shows(snapshot(), "C: -1"));
    EXPECT_NE(pixel(snapshot(), 96, 300), color_cyan());      // no start marked

    EXPECT_EQ(step_on_key(KEY_SPACE, ' '), 1);                // no start: bands go
    EXPECT_EQ(pixel(frame_at(600, 450), 200, 300), color_light_grey());
}

TEST_F(SolveTest, WaitOrdersSimultaneousInputs)
{
    script_step(2, 10, 10, 1, {KEY_ESC});
    EXPECT_EQ(wait_solve_event(), EVENT_LEFT);
    idle();
    script_step(2, 10, 10, 2);                                // watched, but no event
    EXPECT_EQ(wait_solve_event(), EVENT_NONE);
    idle();
    script_step(2, 10, 10, 0, {KEY_K, KEY_SPACE, KEY_ESC});
    EXPECT_EQ(wait_solve_event(), KEY_ESC);
    idle();
    script_step(2, 10, 10, 0, {KEY_K, KEY_SPACE, KEY_ENTER});
    EXPECT_EQ(wait_solve_event(), KEY_ENTER);
    idle();
    script_step(2, 10, 10, 0, {KEY_DEL});                     // not watched here
    script_step(2, 10, 10, 0, {KEY_K, KEY_SPACE});
    EXPECT_EQ(wait_solve_event(), KEY_SPACE);
}

}  // namespace
