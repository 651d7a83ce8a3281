// The file name field and the load and save commands through scripted input,
// in a scratch working folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "editor/app.h"
#include "editor/editor.h"
#include "editor/fields.h"
#include "frontend/script.h"
#include "network/network.h"

namespace {

struct FieldsTest : ::testing::Test {
    char old_dir[PATH_MAX];
    char dir[32] = "/tmp/fields_test.XXXXXX";
    void SetUp() override
    {
        frontend_setup();
        ASSERT_NE(mkdtemp(dir), nullptr);
        ASSERT_NE(getcwd(old_dir, sizeof old_dir), nullptr);
        ASSERT_EQ(chdir(dir), 0);
    }
    void TearDown() override
    {
        ASSERT_EQ(chdir(old_dir), 0);
        std::filesystem::remove_all(dir);
    }
};

void enter() { press_key(KEY_ENTER, 13); }

// L (not typed into the name), Backspace (clears it), the name, Enter.
void load_named(const std::string& name)
{
    press_key(KEY_L, 'l');
    press_key(KEY_BACKSPACE, 8);
    type_text(name);
    enter();
}

TEST_F(FieldsTest, SaveShowsSavedWithoutTheNameAndOffersItAgain)
{
    add_edge(find_or_add_node(100, 100), find_or_add_node(200, 100));
    press_key(KEY_S, 's');
    enter();
    snap_at(700, 300);
    click(300, 300);                        // ends the message, builds nothing
    run_edit_steps();
    EXPECT_TRUE(status_shows(snapshot(), "Saved!"));
    EXPECT_TRUE(std::filesystem::exists("novamapa.txt"));
    EXPECT_EQ(count_nodes(), 2);

    click(430, 590);                        // the Save button
    snap_at(100, 100);                      // a node's name would overprint the prompt
    press_key(KEY_ESC, 27);
    press_key(KEY_ESC);                     // quits: the first Esc was the field's
    EXPECT_EQ(edit_step(), 0);
    EXPECT_EQ(edit_step(), 1);
    EXPECT_TRUE(status_shows(snapshot(), "Save as: novamapa.txt"));
    EXPECT_STREQ(status_text, "");
}

TEST_F(FieldsTest, LoadReportsErrorWithTheNameOrLoadsWithItHidden)
{
    std::ofstream("b.txt") << "9992\n2 1\n10 20\nNovy\n30 40\nB\n0 1 28\n";
    NODE* kept = find_or_add_node(50, 50);
    load_named("a.txt");
    snap_at(700, 300);
    press_key(KEY_K);                       // used up: the background stays
    run_edit_steps();
    EXPECT_TRUE(status_shows(snapshot(), "Error: a.txt"));
    EXPECT_EQ(node_list, kept);
    EXPECT_EQ(shown_background, background_image);

    load_named("b.txt");
    snap_at(700, 300);
    click(300, 300);                        // ends the message, the name comes back
    run_edit_steps();
    EXPECT_TRUE(status_shows(snapshot(), "Loaded!"));
    EXPECT_STREQ(file_name, "b.txt");
    EXPECT_STREQ(node_list->name, "B");
}

TEST_F(FieldsTest, NameFieldAppendsClearsAndStopsAt31AndAnEmptyNameFails)
{
    type_text(std::string(25, 'x'));
    press_key(KEY_ESC, 27);
    EXPECT_EQ(edit_file_name(), 27);
    EXPECT_EQ(std::string(file_name), "novamapa.txt" + std::string(19, 'x'));

    press_key(KEY_BACKSPACE, 8);
    type_text("\x01\x1f\x7f\xe9\xff" + std::string(40, 'y'));   // controls ignored, high bytes kept
    enter();
    EXPECT_EQ(edit_file_name(), 13);
    EXPECT_EQ(std::string(file_name), "\xe9\xff" + std::string(29, 'y'));

    load_named("");                         // loads nothing
    press_key(KEY_S, 's');
    enter();
    snap_at(700, 300);
    run_edit_steps();
    EXPECT_TRUE(status_shows(snapshot(), "Error:"));
    EXPECT_STREQ(file_name, "");
}

}  // namespace
