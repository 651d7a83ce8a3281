// The shortest-path solver and the road-by-road scan: both on a map worked by
// hand (ties, orientations, 64-bit totals, self-joined roads, negative
// lengths), then against each other on thousands of random maps.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "network/edge_scan.h"
#include "network/lists.h"
#include "network/solver.h"

namespace {

struct SolverTest : ::testing::Test {
    void SetUp() override { clear_map(); }
    void TearDown() override { clear_map(); }
};

NODE* node() { return push_node(0, 0, "N"); }

TEST_F(SolverTest, HandWorkedTiesOrientationsLongTotalsLoopsAndNegativeLengths)
{
    for (auto solve : {edge_scan_solve, solve_shortest_paths}) {
        clear_map();
        NODE *s = node(), *p = node(), *q = node(), *d = node();
        EDGE* sp = push_edge(p, s, 1);              // stored the wrong way round
        push_edge(s, q, 1);
        EDGE* older = push_edge(p, d, 2);
        EDGE* newer = push_edge(q, d, 2);           // equal totals: nearer the head wins
        NODE *b = node(), *c = node(), *e = node(), *f = node(), *g = node();
        push_edge(d, b, 999999999);
        push_edge(b, c, 999999999);
        push_edge(c, e, 999999999);
        EDGE* loop = push_edge(b, b, 0);  // travelled, it would settle B again and discard B-C
        push_edge(s, f, -1);              // a total of exactly -1 is still a candidate
        push_edge(f, g, -5);
        current_node = s;
        solve();
        EXPECT_EQ(d->label, 3);
        EXPECT_TRUE(sp->from == s && sp->to == p && sp->state == STATE_TREE);
        EXPECT_TRUE(newer->from == q && newer->to == d && newer->state == STATE_TREE);
        EXPECT_TRUE(older->from == d && older->to == p && older->state == STATE_DISCARDED);
        EXPECT_EQ(older->distance, 3);                // turned round: from the end settled later
        EXPECT_EQ(e->label, INT64_C(3000000000));
        EXPECT_EQ(loop->state, STATE_UNSEEN);
        EXPECT_EQ(g->label, -6);
    }
}

// A random map from `seed`: components, repeated and self-joined roads, stale
// solver fields; then a few solves from random starts (or none) without a
// reset in between. Returns every field the solver writes after each solve,
// with road ends as node positions.
std::vector<std::vector<std::int64_t>> solves(unsigned seed, int max_nodes, int lo, int hi,
                                              void (*solve)())
{
    std::mt19937 rng(seed);
    auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    clear_map();
    std::vector<NODE*> all;
    for (int i = pick(0, max_nodes); i > 0; i--) {
        all.push_back(node());
        all.back()->label = pick(-1, 3);
    }
    int groups = pick(1, 3), count = (int)all.size();
    for (int i = count ? pick(0, count * 3) : 0; i > 0; i--) {
        int a = pick(0, count - 1), b = pick(0, count - 1);
        if ((a % groups != b % groups || a == b) && pick(0, 9) > 0)
            continue;  // mostly within a group, so that components are common
        EDGE* e = push_edge(all[a], all[b], pick(lo, hi));
        e->state = pick(0, 3);
        e->distance = pick(-1, 50);
    }
    std::vector<std::vector<std::int64_t>> after;
    for (int i = pick(1, 4); i > 0; i--) {
        int start = pick(-1, count - 1);
        current_node = start < 0 ? nullptr : all[start];
        solve();
        std::vector<std::int64_t> o;
        for (int k = 0; k < count; k++) {
            all[k]->index = k;
            o.push_back(all[k]->label);
        }
        for (EDGE* e = edge_list; e; e = e->next)
            o.insert(o.end(), {e->from->index, e->to->index, e->state, e->distance});
        after.push_back(o);
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
