// The shortest-path solver: its results on small maps worked by hand, its
// handling of 64-bit totals, self-joined roads and negative lengths, and its
// agreement with the road-by-road scan on thousands of random maps.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "network/edge_scan.h"
#include "network/network.h"
#include "network/solver.h"

namespace {

struct SolverTest : ::testing::Test {
    void SetUp() override { clear_map(); }
    void TearDown() override { clear_map(); }
};

NODE* node(const char* name)
{
    NODE* n = new_node(0, 0, name);
    n->next = node_list;
    node_list = n;
    return n;
}

EDGE* road(NODE* a, NODE* b, int length)
{
    EDGE* e = new_edge(a, b, length);
    e->next = edge_list;
    edge_list = e;
    return e;
}

void expect_runs(const EDGE* e, const NODE* from, const NODE* to, int state)
{
    EXPECT_EQ(e->from, from);
    EXPECT_EQ(e->to, to);
    EXPECT_EQ(e->state, state);
}

TEST_F(SolverTest, TriangleTreeLabelsAndOrientation)
{
    NODE *a = node("A"), *b = node("B"), *c = node("C");
    EDGE* ab = road(a, b, 4);
    EDGE* bc = road(c, b, 4);   // stored the wrong way round on purpose
    EDGE* ac = road(a, c, 10);  // at the head
    current_node = a;
    for (int run = 0; run < 2; run++) {  // a second solve changes nothing
        solve_shortest_paths();
        EXPECT_EQ(a->label, 0);
        EXPECT_EQ(b->label, 4);
        EXPECT_EQ(c->label, 8);
        expect_runs(ab, a, b, STATE_TREE);
        expect_runs(bc, b, c, STATE_TREE);
        expect_runs(ac, c, a, STATE_DISCARDED);  // from the end settled later
        EXPECT_EQ(bc->distance, 8);
        EXPECT_EQ(ac->distance, 10);
    }
}

TEST_F(SolverTest, EqualTotalsGoToTheRoadNearerTheHead)
{
    NODE *s = node("S"), *p = node("P"), *q = node("Q"), *d = node("D");
    road(s, p, 1);
    road(s, q, 1);
    EDGE* older = road(p, d, 2);
    EDGE* newer = road(q, d, 2);
    current_node = s;
    solve_shortest_paths();
    EXPECT_EQ(d->label, 3);
    expect_runs(newer, q, d, STATE_TREE);
    expect_runs(older, d, p, STATE_DISCARDED);
}

TEST_F(SolverTest, StartNodeAndComponents)
{
    NODE *a = node("A"), *b = node("B"), *lone = node("L"), *x = node("X"), *y = node("Y");
    EDGE* ab = road(a, b, 5);
    EDGE* xy = road(x, y, 7);
    x->label = 42;
    ab->state = STATE_TREE;
    current_node = nullptr;                 // no start: only the states change
    solve_shortest_paths();
    EXPECT_EQ(ab->state, STATE_UNSEEN);
    EXPECT_EQ(ab->distance, -1);
    EXPECT_EQ(a->label, -1);
    current_node = a;
    solve_shortest_paths();
    EXPECT_EQ(x->label, 42);                // other component untouched
    current_node = y;                       // and the first one keeps its labels
    solve_shortest_paths();
    EXPECT_EQ(x->label, 7);
    EXPECT_EQ(b->label, 5);
    EXPECT_EQ(ab->state, STATE_UNSEEN);
    current_node = lone;                    // isolated: label 0, no tree
    solve_shortest_paths();
    EXPECT_EQ(lone->label, 0);
    EXPECT_EQ(xy->state, STATE_UNSEEN);
}

TEST_F(SolverTest, LongTotalsSelfJoinedRoadsAndNegativeLengths)
{
    NODE *a = node("A"), *b = node("B"), *c = node("C"), *d = node("D");
    road(a, b, 999999999);
    road(b, c, 999999999);
    road(c, d, 999999999);
    EDGE* loop = road(b, b, 0);   // travelled, it would settle B again and discard B-C
    current_node = a;
    solve_shortest_paths();
    EXPECT_EQ(d->label, INT64_C(2999999997));
    EXPECT_EQ(loop->state, STATE_UNSEEN);

    clear_map();
    a = node("A"), b = node("B"), c = node("C");
    road(a, b, -1);               // a total of exactly -1 is still a candidate
    road(b, c, -5);
    road(a, c, 2);
    current_node = a;
    solve_shortest_paths();
    EXPECT_EQ(b->label, -1);
    EXPECT_EQ(c->label, -6);
}

// ---- agreement with the road-by-road scan --------------------------------

// Every field the solver writes, with road ends as node positions.
std::vector<std::int64_t> outcome()
{
    std::vector<std::int64_t> o;
    int i = 0;
    for (NODE* n = node_list; n; n = n->next, i++) {
        n->index = i;
        o.push_back(n->label);
    }
    for (EDGE* e = edge_list; e; e = e->next)
        o.insert(o.end(), {e->from->index, e->to->index, e->state, e->distance});
    return o;
}

// A random map from `seed`: components, repeated and self-joined roads, stale
// solver fields; then a few solves from random starts (or none) without a
// reset in between. Returns the outcome after each solve.
std::vector<std::vector<std::int64_t>> solves(unsigned seed, int max_nodes, int lo, int hi,
                                              void (*solve)())
{
    std::mt19937 rng(seed);
    auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    clear_map();
    std::vector<NODE*> all;
    for (int i = pick(0, max_nodes); i > 0; i--) {
        all.push_back(node("N"));
        all.back()->label = pick(-1, 3);
    }
    int groups = pick(1, 3), count = (int)all.size();
    for (int i = count ? pick(0, count * 3) : 0; i > 0; i--) {
        int a = pick(0, count - 1), b = pick(0, count - 1);
        if ((a % groups != b % groups || a == b) && pick(0, 9) > 0)
            continue;  // mostly within a group, so that components are common
        EDGE* e = road(all[a], all[b], pick(lo, hi));
        e->state = pick(0, 3);
        e->distance = pick(-1, 50);
    }
    std::vector<std::vector<std::int64_t>> after;
    for (int i = pick(1, 4); i > 0; i--) {
        int start = pick(-1, count - 1);
        current_node = start < 0 ? nullptr : all[start];
        solve();
        after.push_back(outcome());
    }
    return after;
}

TEST_F(SolverTest, AgreesWithTheRoadScanOnRandomMaps)
{
    const int ranges[][2] = {{0, 2}, {0, 0}, {0, 1}, {1, 30}, {0, 999999999}, {-3, 3}};
    for (unsigned map = 0; map < 6000; map++) {
        const int* r = ranges[map % 6];
        int size = map % 500 == 0 ? 1500 : 14;   // now and then a large one
        auto expected = solves(map, size, r[0], r[1], edge_scan_solve);
        ASSERT_EQ(solves(map, size, r[0], r[1], solve_shortest_paths), expected) << "map " << map;
    }
}

}  // namespace
