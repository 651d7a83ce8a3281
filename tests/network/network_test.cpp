// The map model: hit tests and lengths at their limits, finding, joining and
// splitting.
#include <gtest/gtest.h>

#include <climits>

#include "network/network.h"

namespace {

NODE at(int x, int y) { NODE n{}; n.x = x; n.y = y; return n; }
EDGE joining(NODE* a, NODE* b) { EDGE e{}; e.from = a; e.to = b; return e; }

TEST(Geometry, ExactBoundariesAndNoOverflowAtTheExtremes)
{
    NODE n = at(100, 100), o = at(0, 0);
    EXPECT_TRUE(hit_node(&n, 91, 109));             // a strict 19 x 19 square
    EXPECT_FALSE(hit_node(&n, 90, 100));
    EXPECT_FALSE(hit_node(&n, 100, 110));
    EXPECT_EQ(straight_length(&o, &n), 141);        // truncated

    NODE a = at(0, 0), b = at(40, 30);              // 3-4-5: distances come out exact
    EDGE ab = joining(&a, &b), dot = joining(&b, &b);
    EXPECT_TRUE(hit_edge(&ab, 14, 5));              // 4.4 from the line
    EXPECT_FALSE(hit_edge(&ab, 15, 5));             // exactly 5
    EXPECT_TRUE(hit_edge(&ab, 43, 32));             // inside the box grown by 3
    EXPECT_FALSE(hit_edge(&ab, 44, 33));            // on the line, past the box
    EXPECT_FALSE(hit_edge(&dot, 40, 30));           // both ends on one pixel

    NODE lo = at(INT_MIN, INT_MIN), hi = at(INT_MAX, INT_MAX);
    EDGE huge = joining(&lo, &hi);
    EXPECT_FALSE(hit_node(&hi, INT_MIN, INT_MIN));
    EXPECT_EQ(straight_length(&lo, &hi), INT_MAX);
    EXPECT_TRUE(hit_edge(&huge, 0, 0));
    EXPECT_FALSE(hit_edge(&huge, 1000, -1000));
}

struct NetworkTest : ::testing::Test {
    void SetUp() override { clear_map(); }
    void TearDown() override { clear_map(); }
};

TEST_F(NetworkTest, FindPrefersTheNewestNodeAndAddEdgeRefusesRepeats)
{
    NODE* older = find_or_add_node(100, 100);
    NODE* newer = find_or_add_node(115, 100);
    EXPECT_EQ(find_or_add_node(108, 100), newer);   // inside both squares
    add_edge(older, older);
    add_edge(older, newer);
    add_edge(older, newer);
    add_edge(newer, older);
    ASSERT_NE(edge_list, nullptr);
    EXPECT_EQ(edge_list->next, nullptr);
    EXPECT_TRUE(edge_list->from == older && edge_list->to == newer && edge_list->length == 15);
}

TEST_F(NetworkTest, NodeAtACrossingSplitsOnlyTheNewestRoadInPlace)
{
    NODE *w = find_or_add_node(0, 100), *e = find_or_add_node(200, 100);
    NODE *n = find_or_add_node(100, 0), *s = find_or_add_node(100, 300);
    add_edge(w, e);
    add_edge(n, s);
    EDGE *vertical = edge_list, *horizontal = edge_list->next;
    NODE* cross = find_or_add_node(100, 100);
    EDGE* rest = edge_list;                         // the new record goes to the head
    ASSERT_EQ(rest->next, vertical);                // the old one keeps its place
    EXPECT_TRUE(vertical->from == n && vertical->to == cross && vertical->length == 100);
    EXPECT_TRUE(rest->from == s && rest->to == cross && rest->length == 200);
    EXPECT_TRUE(horizontal->from == w && horizontal->to == e && horizontal->length == 200);

    current_node = cross;
    selected_edge = rest;
    clear_map();
    EXPECT_TRUE(!node_list && !edge_list && !current_node && !selected_edge);
}

}  // namespace
