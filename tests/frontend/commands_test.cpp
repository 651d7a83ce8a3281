// Right-click item actions through scripted input: selection, deletion,
// dragging, the name and length fields and the events that end them.
#include <gtest/gtest.h>

#include <string>

#include "editor/app.h"
#include "editor/editor.h"
#include "editor/view.h"
#include "frontend/script.h"
#include "network/network.h"

namespace {

struct CommandsTest : ::testing::Test {
    void SetUp() override { frontend_setup(); }
};

void right_click(int x, int y) { click(x, y, 2); }

TEST_F(CommandsTest, DelRemovesTheSelectionAndOtherEventsOnlyEndIt)
{
    NODE* hub = find_or_add_node(200, 200);
    NODE* a = find_or_add_node(100, 100);
    NODE* b = find_or_add_node(300, 100);
    add_edge(a, b);                                  // not the hub's
    add_edge(hub, a);
    add_edge(b, hub);                                // hub as `to`
    right_click(500, 500);                           // empty ground: no loop
    press_key(KEY_ESC);                              // so this quits as usual
    EXPECT_EQ(edit_step(), 0);
    EXPECT_EQ(edit_step(), 1);

    right_click(200, 100);                           // the road a-b
    click(500, 500);                                 // builds nothing while a road is selected
    right_click(200, 100);
    right_click(201, 199);                           // ends it without selecting the hub
    press_key(KEY_DEL);                              // so this deletes nothing
    EXPECT_EQ(run_edit_steps(), 3);
    EXPECT_EQ(count_nodes(), 3);
    EXPECT_EQ(count_edges(), 3);

    right_click(201, 199);                           // on the hub and on its roads' ends
    press_key(KEY_DEL);
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_EQ(count_nodes(), 2);
    ASSERT_EQ(count_edges(), 1);
    EXPECT_EQ(edge_list->from, a);
    EXPECT_EQ(current_node, nullptr);

    right_click(200, 100);
    press_key(KEY_DEL);
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_EQ(count_nodes(), 2);
    EXPECT_EQ(edge_list, nullptr);
    EXPECT_EQ(selected_edge, nullptr);
}

TEST_F(CommandsTest, NameFieldTakesFifteenCharactersAndEscEmptiesIt)
{
    find_or_add_node(100, 100);
    right_click(100, 100);
    press_key(KEY_ENTER, 13);                        // its 13 must not end the field
    type_text("Br");
    snap_at(600, 300);                               // the live name in the status line
    type_text(std::string("no \t\x7f\xe9") + "0123456789ABCD\b");  // tab ignored, 16th dropped
    press_key(KEY_ENTER, 13);
    idle(3);
    EXPECT_EQ(edit_step(), 0);
    EXPECT_TRUE(status_shows(snapshot(), "Br"));
    EXPECT_STREQ(node_list->name, "Brno \xe9" "01234567");
    EXPECT_EQ(current_node, nullptr);
    EXPECT_THROW(wait_edit_event(), ScriptEnded);    // the held Enter opens no solve

    right_click(100, 100);
    press_key(KEY_ENTER, 13);
    press_key(KEY_ESC, 27);
    idle(3);
    EXPECT_EQ(edit_step(), 0);
    EXPECT_STREQ(node_list->name, "");
    EXPECT_THROW(wait_edit_event(), ScriptEnded);    // nor does the held Esc quit
}

TEST_F(CommandsTest, LengthFieldTakesNineDigitsAndBackspace)
{
    add_edge(find_or_add_node(100, 100), find_or_add_node(300, 100));
    right_click(200, 100);
    press_key(KEY_ENTER, 13);
    type_text("1x2");
    snap_at(600, 300);
    type_text("\b\b\b9999999999\b5");                // the tenth digit is ignored
    press_key(KEY_ESC, 27);                          // keeps what was typed
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_EQ(edge_list->length, 999999995);
    EXPECT_TRUE(status_shows(snapshot(), "Novy - Novy: 12"));
    EXPECT_EQ(getpixel(snapshot(), 150, 100), color_cyan());
}

TEST_F(CommandsTest, StatusFieldClickOpensTheNameOtherPressesDragUntilEsc)
{
    NODE* n = find_or_add_node(100, 100);
    add_edge(n, find_or_add_node(100, 200));
    right_click(100, 100);
    type_text("zz");                                 // typed before the field: flushed
    click(349, 578);                                 // last column and first row of the zone
    type_text("X");
    press_key(KEY_ENTER, 13);
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_STREQ(n->name, "X");
    EXPECT_EQ(n->x, 100);

    right_click(100, 100);
    click(350, 590);                                 // the Load field: a drag, no load
    click(200, 577);                                 // just above the zone: a drag too
    script_step(2, 500, 300, 1);                     // far from the node: it jumps there
    script_step(3, 520, 330, 1);
    script_step(2, 600, 400, 0);                     // released: stays at the last held point
    press_key(KEY_ESC);                              // ends the selection, does not quit
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_EQ(n->x, 520);
    EXPECT_EQ(n->y, 330);
    EXPECT_EQ(edge_list->length, 100);
    EXPECT_STREQ(n->name, "X");
    EXPECT_EQ(current_node, nullptr);
}

}  // namespace
