// The map model: hit tests and lengths at their edges, and the edits that
// find, join, split and delete.
#include <gtest/gtest.h>

#include "network/lists.h"

namespace {

TEST(Network, HitTestsAndStraightLengths)
{
    clear_map();
    NODE *o = push_node(0, 0, ""), *n = push_node(100, 100, ""), *f = push_node(40, 30, "");
    EDGE *diagonal = push_edge(o, n, 0), *back = push_edge(n, o, 0), *exact = push_edge(o, f, 0);
    const struct { const EDGE* edge; int x, y; bool hit; } roads[] = {
        {diagonal, 53, 47, true}, {diagonal, 54, 46, false},   // 4.24 and 5.66 off the line
        {exact, 14, 5, true}, {exact, 15, 5, false}, {push_edge(n, n, 0), 100, 100, false},
    };
    for (const auto& r : roads)
        EXPECT_EQ(hit_edge(r.edge, r.x, r.y), r.hit) << r.x << "," << r.y;
    for (const EDGE* e : {diagonal, back}) {                   // the box grown by 3, either way
        EXPECT_TRUE(hit_edge(e, -3, -3) && hit_edge(e, 103, 103));
        EXPECT_FALSE(hit_edge(e, -4, -4) || hit_edge(e, 104, 104));
    }
    EXPECT_TRUE(hit_node(n, 91, 109) && hit_node(n, 109, 91));   // a 19 x 19 square
    EXPECT_FALSE(hit_node(n, 90, 100) || hit_node(n, 110, 100) || hit_node(n, 100, 90) ||
                 hit_node(n, 100, 110));                         // strict on all four sides
    EXPECT_EQ(straight_length(n, o), 141);                      // 141.42, truncated
    EXPECT_EQ(straight_length(o, f), 50);
    clear_map();
}

TEST(Network, FindJoinSplitAndDelete)
{
    clear_map();
    NODE* north = find_or_add_node(30, -50);
    NODE* south = find_or_add_node(30, 50);
    add_edge(north, south);
    NODE *a = find_or_add_node(0, 0), *b = find_or_add_node(100, 0);
    add_edge(a, b);                               // crosses the first road, newer
    edge_list->length = 1000, edge_list->state = STATE_TREE, edge_list->distance = 7;
    NODE* m = find_or_add_node(30, 2);            // on both roads: splits the newer only
    EXPECT_EQ(describe(), "30,2,Novy,-1;100,0,Novy,-1;0,0,Novy,-1;30,50,Novy,-1;30,-50,Novy,-1;|"
                          "1-0:70,0,-1;2-0:30,3,7;4-3:100,0,-1;");
    NODE* c = find_or_add_node(40, 15);           // clear of every road
    EXPECT_EQ(find_or_add_node(35, 8), c);        // in two squares: the newer node
    add_edge(a, a), add_edge(south, north), add_edge(a, c);   // only the last joins
    delete_node(m);                               // the `to` end of two roads
    EXPECT_EQ(describe(), "40,15,Novy,-1;100,0,Novy,-1;0,0,Novy,-1;30,50,Novy,-1;30,-50,Novy,-1;|"
                          "2-0:42,0,-1;4-3:100,0,-1;");
    current_node = c, selected_edge = edge_list;
    clear_map();
    EXPECT_TRUE(!node_list && !edge_list && !current_node && !selected_edge);
}

}  // namespace
