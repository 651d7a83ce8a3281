// The editing screen through scripted input: both event waits, road building,
// the item actions with their fields, and the load and save commands.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "editor/paint.h"
#include "editor/app.h"
#include "editor/waits.h"
#include "editor/editor.h"
#include "editor/fields.h"
#include "editor/input.h"
#include "editor/solve_mode.h"
#include "editor/view.h"
#include "frontend/script.h"
#include "network/history.h"
#include "network/lists.h"

namespace {

// A (100,100) - B (300,100) and C (200,300) - B: B is the `to` end of both.
struct EditTest : ::testing::Test {
    NODE *a, *b, *c;
    void SetUp() override
    {
        frontend_setup();
        a = find_or_add_node(100, 100), b = find_or_add_node(300, 100), c = find_or_add_node(200, 300);
        std::strcpy(a->name, "A"), std::strcpy(b->name, "B"), std::strcpy(c->name, "C");
        add_edge(a, b), add_edge(c, b);
    }
};

void right_click(int x, int y) { click(x, y, 2); }

// Each row's inputs are down as the wait starts, then released while keys it
// does not watch go down, then pressed again.
TEST_F(EditTest, WaitsSwallowHeldInputsThenReportTheFirstInTheirOrder)
{
    const struct { int (*wait)(); std::vector<int> keys, unwatched; int right; } waits[] = {
        {wait_edit_event, {KEY_ESC, KEY_DEL, KEY_ENTER, KEY_L, KEY_S, KEY_K}, {KEY_SPACE}, EVENT_RIGHT},
        {wait_solve_event, {KEY_ESC, KEY_ENTER, KEY_SPACE, KEY_K}, {KEY_DEL, KEY_L, KEY_S}, EVENT_NONE},
    };
    for (const auto& w : waits) {
        auto expect = [&](int buttons, std::vector<int> keys, int event) {
            frontend_setup();
            script_step(2, 0, 0, buttons, keys), script_step(2, 0, 0, 0, w.unwatched);
            script_step(2, 0, 0, buttons, keys), idle(), poll_input(false);   // held as the wait starts
            EXPECT_EQ(w.wait(), event) << buttons << " " << keys.size();
            EXPECT_EQ(steps_left(), 1) << buttons << " " << keys.size();
        };
        expect(1 | 2, w.keys, EVENT_LEFT);
        expect(2, w.keys, w.right == EVENT_RIGHT ? EVENT_RIGHT : w.keys[0]);
        expect(2, {}, w.right);
        // The middle button pans: it never ends a wait.
        frontend_setup();
        script_step(2, 0, 0, 4), script_step(2, 0, 0, 0), script_step(2, 0, 0, 4), poll_input(false);
        EXPECT_THROW(w.wait(), ScriptEnded);
        for (size_t i = 0; i < w.keys.size(); i++)
            expect(0, std::vector<int>(w.keys.begin() + i, w.keys.end()), w.keys[i]);
    }
}

TEST_F(EditTest, TwoClicksBuildARoadAndAnyOtherEventEndsTheBuilding)
{
    frontend_setup();
    click(100, 100), snap_at(500, 500);     // the first end's name shows
    click(300, 300, 2), press_key(KEY_ESC); // ends the building, no road; Esc then asks
    press_key(KEY_ESC);                     // and a second Esc quits
    click(100, 100), click(200, 150);       // 111.8 pixels apart
    EXPECT_EQ(edit_step(), 0);
    EXPECT_EQ(edit_step(), 1);
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_TRUE(status_shows(snapshot(), "Novy"));
    EXPECT_EQ(describe(), "200,150,Novy,-1;100,100,Novy,-1;|1-0:111,0,-1;");
    EXPECT_EQ(current_node, nullptr);
}

TEST_F(EditTest, DelRemovesTheSelectedNodeWithItsRoadsOrTheRoadAndKHidesThePicture)
{
    right_click(200, 101), click(600, 400);   // A-B, then a click only ends the selection
    right_click(600, 400);                   // empty ground: nothing selected
    right_click(299, 101), press_key(KEY_DEL);   // B, over its roads' ends
    press_key(KEY_K);
    add_edge(a, c);
    right_click(150, 200), press_key(KEY_DEL);   // A-C
    EXPECT_EQ(run_edit_steps(), 5);
    EXPECT_EQ(describe(), "200,300,C,-1;100,100,A,-1;|");
    EXPECT_TRUE(!current_node && !selected_edge && !shown_background);
}

TEST_F(EditTest, NameFieldLengthFieldAndDragging)
{
    right_click(100, 100), press_key(KEY_ENTER, 13);   // A; its 13 must not end the field
    type_text("Z\bBr"), snap_at(600, 400);              // the name shows as it grows
    type_text("no \t\x7f\xe9" "0123456789ABCD\b");        // Tab and Delete ignored, 16th dropped, Backspace
    press_key(KEY_ENTER, 13);
    right_click(300, 100), type_text("zz");             // B; typed before the field: flushed
    click(349, 578), type_text("X"), press_key(KEY_ENTER, 13);   // the status zone's corner
    right_click(100, 100), click(350, 590), click(200, 577);   // on the Load field, above
    script_step(2, 500, 300, 1), script_step(3, 520, 330, 1);  // the zone: drags, far off too
    script_step(2, 600, 400, 0), press_key(KEY_ESC);    // released, it stays; Esc does not quit
    EXPECT_EQ(run_edit_steps(), 3);
    EXPECT_TRUE(status_shows(snapshot(), "Br"));
    EXPECT_EQ(describe(), "200,300,C,-1;300,100,X,-1;520,330,Brno \xe9" "01234567,-1;|"
                          "0-1:223,0,-1;2-1:200,0,-1;");
    right_click(250, 200), press_key(KEY_ENTER, 13);    // C-B
    type_text("1x2"), snap_at(600, 400);                // the length as typed
    type_text("\b\b\b1234567890\b5"), press_key(KEY_ENTER, 13);   // a tenth digit is ignored
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_TRUE(status_shows(snapshot(), "C - X: 12"));
    EXPECT_EQ(edge_list->length, 123456785);
    EXPECT_TRUE(!current_node && !selected_edge);
}

TEST_F(EditTest, SaveShowsSavedWithoutTheNameThenOffersItAgain)
{
    click(349, 599), click(458, 599);        // beside the button zones: nothing
    press_key(KEY_S, 's'), press_key(KEY_ENTER, 13);
    snap_at(700, 300), click(300, 300);      // the click ends the message, builds nothing
    EXPECT_EQ(run_edit_steps(), 3);
    EXPECT_TRUE(status_shows(snapshot(), "Saved!"));
    EXPECT_EQ(std::remove("novamapa.txt"), 0);
    click(457, 572), snap_at(299, 101);      // the Save zone; B's name must not overprint
    press_key(KEY_ESC, 27);                  // saves nothing, does not quit
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_TRUE(status_shows(snapshot(), "Save as: novamapa.txt"));
    EXPECT_TRUE(text_shows(snapshot(), 350, 400, 360, 587, "Load") &&
                text_shows(snapshot(), 404, 454, 414, 587, "Save"));
    EXPECT_EQ(std::remove("novamapa.txt"), -1);
}

TEST_F(EditTest, LoadShowsErrorWithTheNameOrLoadedWithoutIt)
{
    std::ofstream("b.txt") << "9992\n1 0\n10 20\nB\n";
    press_key(KEY_L, 'l'), press_key(KEY_BACKSPACE, 8), type_text("a.txt"), press_key(KEY_ENTER, 13);
    snap_at(700, 300), press_key(KEY_K);     // K ends the message, the picture stays
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_TRUE(status_shows(snapshot(), "Error: a.txt"));
    EXPECT_TRUE(shown_background && edge_list);
    click(350, 599), press_key(KEY_BACKSPACE, 8), type_text("b.txt"), press_key(KEY_ENTER, 13);
    snap_at(700, 300), click(300, 300);      // the click ends the message, builds nothing
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_TRUE(status_shows(snapshot(), "Loaded!"));
    EXPECT_STREQ(file_name, "b.txt");
    EXPECT_EQ(describe(), "10,20,B,-1;|");
}

TEST_F(EditTest, FileNameFieldAppendsBackspaceClearsItAndAnEmptyNameFails)
{
    type_text(std::string(25, 'x')), press_key(KEY_ESC, 27);
    EXPECT_EQ(edit_file_name(), 27);
    EXPECT_EQ(std::string(file_name), "novamapa.txt" + std::string(19, 'x'));
    press_key(KEY_BACKSPACE, 8);
    type_text("\x01\x1f\x7f\xe9\xff" + std::string(40, 'y'));   // controls ignored, high bytes kept
    press_key(KEY_ENTER, 13);
    EXPECT_EQ(edit_file_name(), 13);
    EXPECT_EQ(std::string(file_name), "\xe9\xff" + std::string(29, 'y'));
    press_key(KEY_L, 'l'), press_key(KEY_BACKSPACE, 8), press_key(KEY_ENTER, 13);   // loads nothing
    press_key(KEY_S, 's'), press_key(KEY_ENTER, 13), snap_at(700, 300);
    EXPECT_EQ(run_edit_steps(), 1);
    EXPECT_TRUE(status_shows(snapshot(), "Error:"));
    EXPECT_STREQ(file_name, "");
}

// Runs edit_step until it quits; false when the script ends first.
bool quits()
{
    try {
        while (edit_step() == 0) {}
        return true;
    } catch (ScriptEnded&) {
        return false;
    }
}

// Each row changes the map as just loaded, or not, then Esc, Esc.
TEST_F(EditTest, EscAsksFirstOnlyWhenTheMapDiffersFromTheLastLoadedOrSaved)
{
    const struct { const char* what; void (*script)(); bool asks; } rows[] = {
        {"unchanged", [] {}, false},
        {"renamed", [] { right_click(100, 100), press_key(KEY_ENTER, 13), type_text("Q\r"); }, true},
        {"a length typed", [] { right_click(200, 100), press_key(KEY_ENTER, 13), type_text("7\r"); }, true},
        {"a road deleted", [] { right_click(200, 100), press_key(KEY_DEL); }, true},
        {"placed, then undone", [] {
             click(500, 500), press_key(KEY_ESC);
             script_step(2, 0, 0, 0, {KEY_LCONTROL, KEY_Z}), idle(), press_key(KEY_ESC); }, false},
        {"solved from B", [] {
             press_key(KEY_ENTER), click(300, 100), press_key(KEY_SPACE), press_key(KEY_ESC); }, false},
        {"placed, saved", [] {
             click(500, 500), press_key(KEY_ESC), press_key(KEY_S), press_key(KEY_ENTER, 13), click(0, 0); }, false},
        {"placed, not saved", [] {   // an empty name fails
             click(500, 500), press_key(KEY_ESC), press_key(KEY_S), press_key(KEY_BACKSPACE, 8),
             press_key(KEY_ENTER, 13), click(0, 0); }, true},
        {"placed, loaded", [] {
             click(500, 500), press_key(KEY_ESC), press_key(KEY_L), press_key(KEY_ENTER, 13), click(0, 0); }, false},
    };
    std::ofstream("novamapa.txt") << "9992\n1 0\n10 20\nB\n";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        history_mark_saved();
        row.script();
        press_key(KEY_ESC), snap_at(700, 300), press_key(KEY_ESC);
        EXPECT_TRUE(quits());
        EXPECT_EQ(steps_left(), row.asks ? 1 : 4);   // the second Esc's release, or all from the snap
        EXPECT_EQ(status_shows(snapshot(), "Esc: quit?"), row.asks);
    }
    frontend_setup();   // the empty map of a fresh start counts as saved
    press_key(KEY_ESC);
    EXPECT_TRUE(quits());
}

TEST_F(EditTest, AnyOtherInputTakesTheQuestionAwayAndDoesNothingElse)
{
    click(500, 500), press_key(KEY_ESC);   // a lone node; the fixture was never saved
    press_key(KEY_ESC), click(600, 400), snap_at(700, 300);   // would build
    press_key(KEY_ESC), press_key(KEY_K);
    press_key(KEY_ESC), press_key(KEY_ENTER);                 // would open solve mode
    press_key(KEY_ESC), script_step(2, 0, 0, 0, {KEY_LCONTROL, KEY_Z}), idle();   // would undo
    press_key(KEY_ESC), click(200, 100, 2);                   // would select the road
    press_key(KEY_ESC), press_key(KEY_ESC);
    EXPECT_TRUE(quits());
    EXPECT_EQ(steps_left(), 1);
    EXPECT_TRUE(status_shows(snapshot(), ""));
    EXPECT_EQ(describe(), "500,500,Novy,-1;200,300,C,-1;300,100,B,-1;100,100,A,-1;|1-2:223,0,-1;3-2:200,0,-1;");
    EXPECT_TRUE(shown_background && !current_node && !selected_edge);
}

}  // namespace
