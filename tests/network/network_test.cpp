// The map model: hit tests and lengths at their edges, and the edits that
// find, join, split and delete.
#include <gtest/gtest.h>

#include "network/lists.h"

namespace {

struct NetworkTest : ::testing::Test {
    void SetUp() override { clear_map(); }
    void TearDown() override { clear_map(); }
};

TEST_F(NetworkTest, HitTestsAndStraightLengths)
{
    NODE *o = push_node(0, 0, ""), *n = push_node(100, 100, ""), *f = push_node(40, 30, "");
    NODE *top = push_node(50, 0, ""), *low = push_node(50, 100, "");
    EDGE *diagonal = push_edge(o, n, 0), *back = push_edge(n, o, 0), *exact = push_edge(o, f, 0);
    EDGE *vertical = push_edge(top, low, 0), *dot = push_edge(n, n, 0);
    const struct { const EDGE* edge; int x, y; bool hit; } roads[] = {
        {diagonal, 53, 47, true}, {diagonal, 54, 46, false},   // 4.24 and 5.66 off the line
        {back, 47, 53, true}, {back, 46, 54, false},           // stored right to left
        {exact, 14, 5, true}, {exact, 15, 5, false},           // 4.4 and exactly 5
        {vertical, 53, 50, true}, {vertical, 54, 50, false},   // the box grown by 3
        {vertical, 50, 103, true}, {vertical, 50, -4, false}, {dot, 100, 100, false},
    };
    for (const auto& r : roads)
        EXPECT_EQ(hit_edge(r.edge, r.x, r.y), r.hit) << r.x << "," << r.y;
    const struct { int x, y; bool hit; } squares[] = {
        {91, 109, true}, {109, 91, true}, {90, 100, false}, {110, 100, false}, {100, 90, false},
        {100, 110, false},
    };
    for (const auto& s : squares)
        EXPECT_EQ(hit_node(n, s.x, s.y), s.hit) << s.x << "," << s.y;
    EXPECT_EQ(straight_length(o, f), 50);
    EXPECT_EQ(straight_length(n, o), 141);     // 141.42, truncated
    EXPECT_EQ(straight_length(o, low), 111);   // 111.80, truncated
}

TEST_F(NetworkTest, FindJoinSplitAndDelete)
{
    NODE* north = find_or_add_node(30, -50);
    add_edge(north, find_or_add_node(30, 50));
    NODE *a = find_or_add_node(0, 0), *b = find_or_add_node(100, 0);
    add_edge(a, b);                               // crosses the first road, newer
    edge_list->length = 1000;
    edge_list->state = STATE_TREE;
    edge_list->distance = 7;
    NODE* m = find_or_add_node(30, 2);            // on both roads: splits the newer only
    EXPECT_EQ(describe(), "30,2,Novy,-1;100,0,Novy,-1;0,0,Novy,-1;30,50,Novy,-1;30,-50,Novy,-1;|"
                          "1-0:70,0,-1;2-0:30,3,7;4-3:100,0,-1;");
    NODE* c = find_or_add_node(40, 15);           // clear of every road
    EXPECT_EQ(find_or_add_node(35, 8), c);        // in two squares: the newer node
    add_edge(a, a);
    add_edge(m, a);                               // joined already, the other way round
    add_edge(a, c);
    delete_node(m);                               // the `to` end of two roads
    EXPECT_EQ(describe(), "40,15,Novy,-1;100,0,Novy,-1;0,0,Novy,-1;30,50,Novy,-1;30,-50,Novy,-1;|"
                          "2-0:42,0,-1;4-3:100,0,-1;");
    current_node = c;
    selected_edge = edge_list;
    clear_map();
    EXPECT_TRUE(!node_list && !edge_list && !current_node && !selected_edge);
}

}  // namespace
