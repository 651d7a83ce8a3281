// The editing screen through scripted input: the event wait, road building,
// the bar, hover highlighting and the frame it composes.
#include <gtest/gtest.h>

#include "editor/app.h"
#include "editor/editor.h"
#include "editor/view.h"
#include "frontend/script.h"
#include "network/network.h"

namespace {

struct EditTest : ::testing::Test {
    void SetUp() override { frontend_setup(); }
};

TEST_F(EditTest, EmptyMapFrameShowsBackgroundLabelsAndPointer)
{
    BITMAP* f = frame_at(700, 300);
    EXPECT_EQ(getpixel(f, 300, 100), getpixel(background_image, 300, 100));
    EXPECT_TRUE(status_shows(f, ""));
    EXPECT_TRUE(text_shows(f, 350, 400, 360, 587, "Load"));
    EXPECT_TRUE(text_shows(f, 404, 454, 414, 587, "Save"));
    EXPECT_EQ(getpixel(f, 701, 301), getpixel(cursor_normal, 1, 1));
}

TEST_F(EditTest, WaitNeedsAFreshPressAndOrdersSimultaneousInputs)
{
    key[KEY_ESC] = 1;                               // already down when the wait starts
    script_step(5, 10, 10, 0, {KEY_ESC});
    idle(3);
    press_key(KEY_ESC);
    EXPECT_EQ(edit_step(), 1);
    EXPECT_EQ(steps_left(), 1);                     // ended by the fresh press

    script_step(2, 10, 10, 3);                      // left and right together
    EXPECT_EQ(wait_edit_event(), EVENT_LEFT);
    idle();
    script_step(2, 10, 10, 4);                      // middle button alone
    EXPECT_EQ(wait_edit_event(), EVENT_NONE);
    idle();
    script_step(2, 10, 10, 0, {KEY_K, KEY_DEL, KEY_S});
    EXPECT_EQ(wait_edit_event(), KEY_DEL);
    idle();
    script_step(2, 10, 10, 0, {KEY_A});             // not watched
    script_step(2, 10, 10, 0, {KEY_L});
    EXPECT_EQ(wait_edit_event(), KEY_L);
}

TEST_F(EditTest, ClicksBuildRoadsAndAClickOnARoadSplitsIt)
{
    click(100, 100);
    snap_at(500, 500);                              // the first end in cyan
    press_key(KEY_ESC);                             // ends the road, does not quit
    click(100, 100);
    click(300, 100);
    click(200, 102);                                // on the road
    click(200, 300);
    EXPECT_EQ(run_edit_steps(), 3);
    EXPECT_EQ(getpixel(snapshot(), 100, 100), color_cyan());
    EXPECT_TRUE(status_shows(snapshot(), "Novy"));
    EXPECT_EQ(count_nodes(), 4);
    ASSERT_EQ(count_edges(), 3);
    EDGE* joined = edge_list;
    EXPECT_EQ(joined->from->y, 102);
    EXPECT_EQ(joined->to->y, 300);
    EXPECT_EQ(joined->length, 198);
    EDGE* first = joined->next->next;               // the first road, now to the split point
    EXPECT_EQ(first->from->x, 100);
    EXPECT_EQ(first->length, 100);
    EXPECT_EQ(current_node, nullptr);
}

TEST_F(EditTest, HoverHighlightsTheNewestRoadOrTheNode)
{
    add_edge(find_or_add_node(0, 0), find_or_add_node(100, 100));
    BITMAP* f = frame_at(50, 50);
    EXPECT_EQ(getpixel(f, 30, 30), color_blue());
    EXPECT_TRUE(status_shows(f, "Novy - Novy: 141"));
    EXPECT_EQ(current_sprite, cursor_normal);

    f = frame_at(101, 99);
    EXPECT_EQ(getpixel(f, 96, 100), color_blue());  // radius 4 disc
    EXPECT_EQ(getpixel(f, 70, 70), 0);              // its road is not highlighted
    EXPECT_TRUE(status_shows(f, "Novy"));
    EXPECT_EQ(current_sprite, cursor_hover);

    NODE* ends[] = {find_or_add_node(100, 200), find_or_add_node(300, 200),
                    find_or_add_node(150, 202), find_or_add_node(250, 202)};
    add_edge(ends[0], ends[1]);
    add_edge(ends[2], ends[3]);
    f = frame_at(200, 201);
    EXPECT_EQ(getpixel(f, 180, 202), color_blue()); // the newer road only
    EXPECT_EQ(getpixel(f, 180, 200), 0);
    EXPECT_EQ(getpixel(f, 120, 200), 0);
}

TEST_F(EditTest, BarZonesOpenLoadAndSaveAndTheRestOfTheBarDoesNothing)
{
    auto prompt_after_click = [](int x, int y) {
        frontend_setup();
        click(x, y);
        snap_at(700, 100);
        press_key(KEY_ESC, 27);
        EXPECT_EQ(run_edit_steps(), 1);
        return snapshot();
    };
    // The zones' outer columns, and above the white fields.
    EXPECT_TRUE(status_shows(prompt_after_click(350, 595), "Load file: novamapa.txt"));
    EXPECT_TRUE(status_shows(prompt_after_click(403, 575), "Load file: novamapa.txt"));
    EXPECT_TRUE(status_shows(prompt_after_click(457, 575), "Save as: novamapa.txt"));
    click(200, 590);                                // status field
    click(600, 580);                                // right of the bar, below the map area
    press_key(KEY_DEL);
    EXPECT_EQ(run_edit_steps(), 3);
    EXPECT_EQ(node_list, nullptr);
}

}  // namespace
