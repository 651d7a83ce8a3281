// The editing screen through scripted input: the event wait, road building,
// the bar, hover highlighting and the frame it composes.
#include <gtest/gtest.h>

#include <vector>

#include "editor/app.h"
#include "editor/editor.h"
#include "editor/view.h"
#include "frontend/script.h"
#include "network/network.h"

namespace {

struct EditTest : ::testing::Test {
    void SetUp() override { frontend_setup(); }
};


TEST_F(EditTest, EmptyMapFrameShowsBackgroundBarAndLabels)
{
    snap_at(700, 300);
    press_key(KEY_ESC);
    EXPECT_EQ(edit_step(), 1);
    BITMAP* f = snapshot();
    EXPECT_EQ(pixel(f, 300, 100), getpixel(background_image, 300, 100));
    EXPECT_EQ(pixel(f, 2, 579), color_grey());      // bar above the fields
    EXPECT_EQ(pixel(f, 347, 590), color_grey());    // gap between the fields
    EXPECT_EQ(pixel(f, 458, 599), color_grey());
    EXPECT_NE(pixel(f, 459, 599), color_grey());
    EXPECT_TRUE(status_is_blank(f));
    EXPECT_TRUE(text_shows(f, 350, 400, 360, 587, "Load"));
    EXPECT_TRUE(text_shows(f, 404, 454, 414, 587, "Save"));
    EXPECT_EQ(pixel(f, 701, 301), getpixel(cursor_normal, 1, 1));  // drawn pointer
}

TEST_F(EditTest, EscHeldFromTheStartNeedsAFreshPress)
{
    key[KEY_ESC] = 1;                              // already down when the wait starts
    script_step(5, 10, 10, 0, {KEY_ESC});
    idle(3);
    EXPECT_THROW(edit_step(), ScriptEnded);        // the held Esc was swallowed
    frontend_setup();
    key[KEY_ESC] = 1;
    script_step(5, 10, 10, 0, {KEY_ESC});
    idle(3);
    press_key(KEY_ESC);
    EXPECT_EQ(edit_step(), 1);
}

TEST_F(EditTest, WaitOrdersSimultaneousInputsAndSecondReading)
{
    script_step(2, 10, 10, 3);                     // left and right together
    EXPECT_EQ(wait_edit_event(), EVENT_LEFT);
    idle();
    script_step(2, 10, 10, 4);                     // middle button alone
    EXPECT_EQ(wait_edit_event(), EVENT_NONE);
    idle();
    script_step(2, 10, 10, 0, {KEY_K, KEY_DEL, KEY_S});
    EXPECT_EQ(wait_edit_event(), KEY_DEL);
    idle();
    script_step(2, 10, 10, 0, {KEY_A});            // not watched
    script_step(2, 10, 10, 0, {KEY_L});
    EXPECT_EQ(wait_edit_event(), KEY_L);
}

TEST_F(EditTest, TwoClicksBuildOneRoadOfStraightLength)
{
    click(100, 100);
    click(200, 100);
    click(200, 100);                                // both clicks on one node: nothing
    click(200, 100);
    click(100, 100);                                // joined already, other order
    click(200, 100);
    EXPECT_EQ(run_edit_steps(), 3);
    ASSERT_EQ(count_nodes(), 2);
    ASSERT_EQ(count_edges(), 1);
    EXPECT_EQ(edge_list->from->x, 100);
    EXPECT_EQ(edge_list->to->x, 200);
    EXPECT_EQ(edge_list->length, 100);
    EXPECT_STREQ(node_list->name, "Novy");
    EXPECT_EQ(current_node, nullptr);
}

TEST_F(EditTest, FirstClickShowsNodeInCyanAndOtherEventsEndBuilding)
{
    click(300, 300);
    snap_at(500, 500);
    press_key(KEY_ESC);                             // ends the building, does not quit
    press_key(KEY_ENTER);
    press_key(KEY_ESC);                             // out of solve mode again
    EXPECT_EQ(run_edit_steps(), 2);
    BITMAP* f = snapshot();
    EXPECT_EQ(pixel(f, 300, 300), color_cyan());
    EXPECT_TRUE(status_shows(f, "Novy"));
    EXPECT_EQ(count_nodes(), 1);
    EXPECT_EQ(count_edges(), 0);
}

TEST_F(EditTest, ClickOnRoadSplitsItAndJoinsTheNewNode)
{
    click(100, 100);
    click(300, 100);
    click(200, 102);                                // on the road
    click(200, 300);
    EXPECT_EQ(run_edit_steps(), 2);
    EXPECT_EQ(count_nodes(), 4);
    ASSERT_EQ(count_edges(), 3);
    EDGE* joined = edge_list;
    EXPECT_EQ(joined->from->y, 102);
    EXPECT_EQ(joined->to->y, 300);
    EXPECT_EQ(joined->length, 198);
    EXPECT_EQ(joined->next->length, 100);           // (300,100) to the new node
    EXPECT_EQ(joined->next->next->length, 100);     // old record, from (100,100)
}

TEST_F(EditTest, HoverHighlightsRoadsAndNodes)
{
    add_edge(find_or_add_node(0, 0), find_or_add_node(100, 100));
    snap_at(50, 50, 1);                             // first frame: the sprite starts as hover
    EXPECT_THROW(wait_edit_event(), ScriptEnded);
    EXPECT_EQ(pixel(snapshot(), 30, 30), 0);
    EXPECT_TRUE(status_is_blank(snapshot()));

    snap_at(50, 50, 3);
    EXPECT_THROW(wait_edit_event(), ScriptEnded);
    EXPECT_EQ(pixel(snapshot(), 30, 30), color_blue());
    EXPECT_TRUE(status_shows(snapshot(), "Novy - Novy: 141"));
    EXPECT_EQ(current_sprite, cursor_normal);

    snap_at(101, 99, 3);
    EXPECT_THROW(wait_edit_event(), ScriptEnded);
    EXPECT_EQ(pixel(snapshot(), 96, 100), color_blue());   // radius 4 disc
    EXPECT_EQ(pixel(snapshot(), 70, 70), 0);                // its road is not highlighted
    EXPECT_TRUE(status_shows(snapshot(), "Novy"));
    EXPECT_EQ(current_sprite, cursor_hover);
}

TEST_F(EditTest, OnlyTheNewerOfTwoOverlappingRoadsTurnsBlue)
{
    NODE* a = find_or_add_node(100, 200);
    NODE* b = find_or_add_node(300, 200);
    NODE* c = find_or_add_node(150, 202);
    NODE* d = find_or_add_node(250, 202);
    add_edge(a, b);
    add_edge(c, d);
    snap_at(200, 201, 3);
    EXPECT_THROW(wait_edit_event(), ScriptEnded);
    EXPECT_EQ(pixel(snapshot(), 180, 202), color_blue());  // left of the pointer image
    EXPECT_EQ(pixel(snapshot(), 180, 200), 0);
    EXPECT_EQ(pixel(snapshot(), 120, 200), 0);
}

TEST_F(EditTest, KTogglesTheBackgroundAndBarClicksBuildNothing)
{
    press_key(KEY_K);
    snap_at(700, 100);
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_EQ(pixel(snapshot(), 300, 100), color_white());
    frontend_setup();
    press_key(KEY_K);
    press_key(KEY_K);
    click(200, 590);                                // status field
    click(600, 580);                                // right of the bar, below the map area
    snap_at(700, 100);
    EXPECT_EQ(run_edit_steps(), 4);
    EXPECT_EQ(pixel(snapshot(), 300, 100), getpixel(background_image, 300, 100));
    EXPECT_EQ(node_list, nullptr);
}

TEST_F(EditTest, BarZonesAreWiderThanTheirFields)
{
    click(375, 595);                                // the Load field
    snap_at(700, 100);
    press_key(KEY_ESC, 27);
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_TRUE(status_shows(snapshot(), "Load file: novamapa.txt"));
    frontend_setup();
    click(430, 575);                                // above the Save field, inside its zone
    snap_at(700, 100);
    press_key(KEY_ESC, 27);
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_TRUE(status_shows(snapshot(), "Save as: novamapa.txt"));
}

TEST_F(EditTest, ToggleWithoutPictureStaysWhite)
{
    BITMAP* saved = background_image;
    background_image = nullptr;
    shown_background = nullptr;
    press_key(KEY_K);
    snap_at(700, 100);
    run_edit_steps();
    EXPECT_EQ(pixel(snapshot(), 300, 100), color_white());
    background_image = saved;
}

}  // namespace
