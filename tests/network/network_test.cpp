// The map model: hit tests, lengths, splitting, joining and deleting.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "network/network.h"

namespace {

struct NetworkTest : ::testing::Test {
    void SetUp() override { clear_map(); }
    void TearDown() override { clear_map(); }
};

NODE at(int x, int y) { NODE n{}; n.x = x; n.y = y; return n; }

std::vector<EDGE*> edges()
{
    std::vector<EDGE*> v;
    for (EDGE* e = edge_list; e; e = e->next) v.push_back(e);
    return v;
}

std::vector<NODE*> nodes()
{
    std::vector<NODE*> v;
    for (NODE* n = node_list; n; n = n->next) v.push_back(n);
    return v;
}

TEST(Geometry, NodeSquareIsStrictNineteenPixels)
{
    NODE n = at(100, 100);
    EXPECT_TRUE(hit_node(&n, 91, 109));
    EXPECT_FALSE(hit_node(&n, 90, 100));
    EXPECT_FALSE(hit_node(&n, 100, 110));
    NODE far = at(INT_MAX, INT_MIN);
    EXPECT_FALSE(hit_node(&far, INT_MIN, INT_MAX));  // no overflow at the extremes
}

TEST(Geometry, StraightLengthTruncatesAndNeverOverflows)
{
    NODE o = at(0, 0), a = at(3, 4), b = at(1, 1), c = at(100, 100);
    EXPECT_EQ(straight_length(&o, &a), 5);
    EXPECT_EQ(straight_length(&o, &b), 1);
    EXPECT_EQ(straight_length(&o, &c), 141);
    EXPECT_EQ(straight_length(&o, &o), 0);
    NODE lo = at(INT_MIN, INT_MIN), hi = at(INT_MAX, INT_MAX);
    EXPECT_EQ(straight_length(&lo, &hi), INT_MAX);
    NODE p = at(40000, 0);  // 40000^2 is past 32 bits
    EXPECT_EQ(straight_length(&o, &p), 40000);
}

TEST(Geometry, EdgeCorridorAndBox)
{
    NODE a = at(0, 0), b = at(100, 100);
    EDGE diagonal{}; diagonal.from = &a; diagonal.to = &b;
    EXPECT_TRUE(hit_edge(&diagonal, 53, 47));
    EXPECT_FALSE(hit_edge(&diagonal, 54, 46));
    EXPECT_FALSE(hit_edge(&diagonal, 104, 104));   // beyond the grown box
    NODE c = at(50, 0), d = at(50, 100);
    EDGE vertical{}; vertical.from = &c; vertical.to = &d;
    EXPECT_TRUE(hit_edge(&vertical, 53, 50));
    EXPECT_FALSE(hit_edge(&vertical, 54, 50));
    EDGE dot{}; dot.from = &c; dot.to = &c;        // both ends on one pixel
    EXPECT_FALSE(hit_edge(&dot, 50, 0));
    NODE lo = at(INT_MIN, INT_MIN), hi = at(INT_MAX, INT_MAX);
    EDGE huge{}; huge.from = &lo; huge.to = &hi;
    EXPECT_TRUE(hit_edge(&huge, 0, 0));
    EXPECT_FALSE(hit_edge(&huge, 1000, -1000));
}

TEST_F(NetworkTest, FindPrefersNewestNodeAndLeavesRoadsAlone)
{
    NODE* older = find_or_add_node(100, 100);
    NODE* newer = find_or_add_node(115, 100);
    EXPECT_NE(older, newer);
    EXPECT_STREQ(newer->name, "Novy");
    EXPECT_EQ(newer->label, -1);
    EXPECT_EQ(find_or_add_node(108, 100), newer);
    EXPECT_EQ(edge_list, nullptr);
}

TEST_F(NetworkTest, SplitKeepsOldRecordInPlaceAndPutsNewAtHead)
{
    NODE* a = find_or_add_node(0, 0);
    NODE* b = find_or_add_node(100, 0);
    add_edge(a, b);
    NODE* far1 = find_or_add_node(300, 300);
    NODE* far2 = find_or_add_node(400, 300);
    add_edge(far1, far2);                   // newer road, elsewhere
    EDGE* old = edges()[1];
    old->length = 1000;
    old->state = STATE_TREE;
    NODE* mid = find_or_add_node(30, 2);
    std::vector<EDGE*> list = edges();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2], old);                // old record keeps its place
    EXPECT_EQ(old->from, a);
    EXPECT_EQ(old->to, mid);
    EXPECT_EQ(old->length, 30);
    EXPECT_EQ(old->state, STATE_TREE);
    EXPECT_EQ(list[0]->from, b);            // new record at the head
    EXPECT_EQ(list[0]->to, mid);
    EXPECT_EQ(list[0]->length, 70);
    EXPECT_EQ(list[0]->state, STATE_UNSEEN);
    EXPECT_EQ(list[0]->distance, -1);
}

TEST_F(NetworkTest, NodeAtCrossingSplitsOnlyTheNewestRoad)
{
    add_edge(find_or_add_node(0, 100), find_or_add_node(200, 100));
    add_edge(find_or_add_node(100, 0), find_or_add_node(100, 200));
    EDGE* vertical = edge_list;
    NODE* cross = find_or_add_node(100, 100);
    EXPECT_EQ(edges().size(), 3u);
    EXPECT_EQ(vertical->to, cross);
    EXPECT_EQ(edge_list->to, cross);
    EXPECT_EQ(edge_list->from->y, 200);
}

TEST_F(NetworkTest, AddEdgeRefusesSelfAndDuplicatesEitherWay)
{
    NODE* a = find_or_add_node(100, 100);
    NODE* b = find_or_add_node(200, 100);
    add_edge(a, a);
    EXPECT_EQ(edge_list, nullptr);
    add_edge(a, b);
    add_edge(a, b);
    add_edge(b, a);
    ASSERT_EQ(edges().size(), 1u);
    EXPECT_EQ(edge_list->from, a);
    EXPECT_EQ(edge_list->to, b);
    EXPECT_EQ(edge_list->length, 100);
}

TEST_F(NetworkTest, DeleteNodeTakesExactlyItsRoads)
{
    NODE* hub = find_or_add_node(300, 300);
    NODE* n1 = find_or_add_node(100, 100);
    NODE* n2 = find_or_add_node(500, 100);
    NODE* n3 = find_or_add_node(300, 500);
    NODE* n4 = find_or_add_node(600, 500);
    add_edge(n1, n2);
    add_edge(hub, n1);
    add_edge(n3, hub);
    add_edge(n3, n4);
    add_edge(hub, n2);
    std::vector<EDGE*> before = edges();
    delete_node(hub);
    std::vector<EDGE*> after = edges();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], before[1]);         // n3-n4, order kept
    EXPECT_EQ(after[1], before[4]);         // n1-n2
    EXPECT_EQ(nodes(), (std::vector<NODE*>{n4, n3, n2, n1}));
    delete_edge(after[0]);
    EXPECT_EQ(edges(), (std::vector<EDGE*>{before[4]}));
}

TEST_F(NetworkTest, ClearMapEmptiesEverything)
{
    add_edge(find_or_add_node(1, 1), find_or_add_node(50, 50));
    current_node = node_list;
    selected_edge = edge_list;
    clear_map();
    EXPECT_EQ(node_list, nullptr);
    EXPECT_EQ(edge_list, nullptr);
    EXPECT_EQ(current_node, nullptr);
    EXPECT_EQ(selected_edge, nullptr);
}

}  // namespace
