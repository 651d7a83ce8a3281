// Solve mode through scripted input: entering and leaving, the start-node
// click, the tree bands and the hover texts.
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
    NODE *a, *b, *c;
    EDGE* ab;

    // A-B runs along row 300, B-C up column 300, A-C is the diagonal; the
    // lengths make A-B-C (8) shorter than A-C (10). A-C is at the list head.
    void SetUp() override
    {
        frontend_setup();
        a = find_or_add_node(100, 300);
        b = find_or_add_node(300, 300);
        c = find_or_add_node(300, 100);
        std::strcpy(a->name, "A");
        std::strcpy(b->name, "B");
        std::strcpy(c->name, "C");
        const int lengths[] = {4, 4, 10};
        NODE* ends[][2] = {{a, b}, {b, c}, {a, c}};
        for (int i = 0; i < 3; i++) {
            add_edge(ends[i][0], ends[i][1]);
            edge_list->length = lengths[i];
        }
        ab = edge_list->next->next;
    }
};

BITMAP* solve_frame_at(int x, int y) { return frame_at(x, y, wait_solve_event); }
bool blue_at(BITMAP* f, int x, int y) { return getpixel(f, x, y) == color_blue(); }

// One solve_step on a press or a click that the script queues first.
int step_on_key(int keycode, int ascii = 0) { press_key(keycode, ascii); return solve_step(); }
int step_on_click(int x, int y, int buttons = 1) { click(x, y, buttons); return solve_step(); }

TEST(ThickLine, HorizontalBandsCoverThreeRowsShiftedTowardsTheEnd)
{
    frontend_setup();
    BITMAP* bmp = create_bitmap(300, 200);
    clear_to_color(bmp, 0);
    draw_thick_line(bmp, 100, 100, 200, 100, 1);
    draw_thick_line(bmp, 200, 150, 100, 150, 1);   // towards the left end
    const int rows[][3] = {{98, 0, -1}, {99, 99, 201}, {100, 101, 201}, {101, 101, 201}, {102, 0, -1},
                           {148, 0, -1}, {149, 99, 201}, {150, 99, 199}, {151, 99, 199}, {152, 0, -1}};
    for (const auto& row : rows)
        for (int x = 90; x < 210; x++)
            EXPECT_EQ(getpixel(bmp, x, row[0]) == 1, x >= row[1] && x <= row[2])
                << "(" << x << "," << row[0] << ")";
    destroy_bitmap(bmp);
}

TEST_F(SolveTest, StartNodeAndSpaceDrawTheTreeAndHoverShowsDistances)
{
    ASSERT_EQ(step_on_key(KEY_K), 1);               // K hides the background here too
    EXPECT_EQ(getpixel(solve_frame_at(600, 450), 600, 200), color_white());
    ASSERT_EQ(step_on_click(101, 301), 1);          // A
    EXPECT_EQ(current_node, a);
    BITMAP* f = solve_frame_at(600, 450);
    EXPECT_EQ(getpixel(f, 96, 300), color_cyan());  // start marker, radius 4
    EXPECT_FALSE(blue_at(f, 200, 299));             // no tree yet
    EXPECT_TRUE(text_shows(f, 350, 400, 360, 587, "Ries"));
    EXPECT_TRUE(text_shows(f, 404, 454, 414, 587, "????"));

    ASSERT_EQ(step_on_key(KEY_SPACE, ' '), 1);
    f = solve_frame_at(600, 450);
    for (int i = 298; i <= 302; i++) {
        EXPECT_EQ(blue_at(f, 200, i), i != 298 && i != 302) << "A-B row " << i;
        EXPECT_EQ(blue_at(f, i, 200), i != 298 && i != 302) << "B-C column " << i;
    }
    EXPECT_EQ(getpixel(f, 200, 200), color_light_grey());    // A-C stays a thin line
    EXPECT_TRUE(status_shows(f, ""));

    EXPECT_TRUE(status_shows(solve_frame_at(300, 100), "C: 8"));
    EXPECT_TRUE(status_shows(solve_frame_at(100, 300), "A: 0"));   // no road text over it
    f = solve_frame_at(200, 200);
    EXPECT_TRUE(status_shows(f, "C - A: 10"));               // the solve turned A-C round
    EXPECT_EQ(current_sprite, cursor_normal);                // roads do not change it
    EXPECT_EQ(getpixel(f, 190, 210), color_light_grey());    // nor their colour

    ASSERT_EQ(step_on_click(700, 50), 1);                    // empty ground keeps the start
    ASSERT_EQ(step_on_key(KEY_ENTER, 13), 1);                // Enter does nothing
    ASSERT_EQ(step_on_click(301, 101, 2), 1);                // nor does the right button
    EXPECT_EQ(current_node, a);
}

TEST_F(SolveTest, ReentryShowsTheOldTreeUntilSpaceAndEscKeepsTheSwappedEnds)
{
    current_node = c;
    solve_shortest_paths();                                   // C's tree runs C-B-A
    current_node = nullptr;
    press_key(KEY_ENTER, 13);                                 // opens the mode; seen once
    snap_at(100, 300, 3);                                     // A, still banded
    click(301, 101);                                          // C: a start, until Esc
    press_key(KEY_ESC);
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_TRUE(blue_at(snapshot(), 200, 300));
    EXPECT_TRUE(status_shows(snapshot(), "A: -1"));           // labels reset on entry
    EXPECT_NE(getpixel(snapshot(), 296, 100), color_cyan());  // no start marked
    EXPECT_EQ(current_node, nullptr);
    EXPECT_EQ(ab->from, b);

    BITMAP* f = frame_at(600, 450);                           // the editing screen again
    EXPECT_EQ(getpixel(f, 200, 300), 0);                      // a thin black road

    ASSERT_EQ(step_on_key(KEY_SPACE, ' '), 1);                // no start: the bands go
    EXPECT_EQ(getpixel(solve_frame_at(600, 450), 200, 300), color_light_grey());
    EXPECT_EQ(step_on_key(KEY_ESC), 0);
}

}  // namespace
