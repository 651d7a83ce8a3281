// The undo history's bounds: the newest hundred steps, within its byte limit;
// and a new change drops the redo steps.
#include <gtest/gtest.h>

#include "network/history.h"
#include "network/lists.h"

namespace {

// Moves the head node to x = 1 ... changes, a step each; then how many steps undo.
int move_then_undo(int changes)
{
    for (int k = 1; k <= changes; k++)
        history_begin(), node_list->x = k, history_end();
    EXPECT_LE(history_bytes(), history_limit);
    int undone = 0;
    while (history_undo() == 0)
        undone++;
    return undone;
}

TEST(History, KeepsTheNewestHundredStepsWithinItsBytesAndNewChangesDropRedo)
{
    clear_map();
    history_clear();
    push_node(100, 100, "Novy");
    EXPECT_EQ(move_then_undo(120), 100);
    EXPECT_EQ(move_then_undo(1), 1);                        // the 100 redo steps went
    EXPECT_EQ(history_redo() + history_redo(), 1);
    std::size_t limit = history_limit, step = history_bytes();
    history_limit = 10 * step + step / 2;
    EXPECT_EQ(move_then_undo(30), 10);
    EXPECT_EQ(node_list->x, 20);
    history_limit = step - 1;                               // a step alone over it is not kept
    EXPECT_EQ(move_then_undo(1), 0);
    history_limit = limit;
    clear_map();
}

}  // namespace
