// The solver and the road-by-road scan: on a map worked by hand (ties,
// orientations, totals past 32 bits), then on small random maps.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "network/edge_scan.h"
#include "network/lists.h"
#include "network/solver.h"

namespace {

TEST(Solver, TiesOrientationsAndLongTotals)
{
    for (auto solve : {edge_scan_solve, solve_shortest_paths}) {
        clear_map();
        NODE *s = push_node(0, 0, "S"), *p = push_node(0, 0, "P"), *q = push_node(0, 0, "Q");
        NODE *d = push_node(0, 0, "D"), *b = push_node(0, 0, "B"), *e = push_node(0, 0, "E");
        EDGE* sp = push_edge(p, s, 1);            // stored the wrong way round
        push_edge(s, q, 1);
        EDGE* older = push_edge(p, d, 2);
        EDGE* newer = push_edge(q, d, 2);         // the same total: nearer the head wins
        push_edge(d, b, 999999999);
        push_edge(b, e, 999999999);
        push_edge(e, push_node(0, 0, "F"), 999999999);
        current_node = s;
        solve();
        EXPECT_TRUE(sp->from == s && sp->state == STATE_TREE && d->label == 3);
        EXPECT_TRUE(newer->from == q && newer->state == STATE_TREE);
        EXPECT_TRUE(older->from == d && older->state == STATE_DISCARDED && older->distance == 3);
        EXPECT_EQ(node_list->label, 3000000000);
    }
}

// Up to 12 nodes with repeated and self-joined roads and stale solver fields,
// solved from random starts (or none) in a row: the map after each solve.
std::string solves(unsigned seed, void (*solve)())
{
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int longest[] = {0, 2, 30, 999999999};
    clear_map();
    std::vector<NODE*> all;
    for (int i = pick(0, 12); i > 0; i--)
        all.emplace_back(push_node(0, 0, "N"))->label = pick(-1, 3);
    for (int i = all.empty() ? 0 : pick(0, 3 * (int)all.size()); i > 0; i--) {
        EDGE* e = push_edge(all[pick(0, all.size() - 1)], all[pick(0, all.size() - 1)],
                            pick(0, longest[seed % 4]));
        e->state = pick(0, 3);
        e->distance = pick(-1, 50);
    }
    std::string after;
    for (int i = pick(1, 3); i > 0; i--) {
        int start = pick(-1, (int)all.size() - 1);
        current_node = start < 0 ? nullptr : all[start];
        solve();
        after += describe() + "\n";
    }
    return after;
}

TEST(Solver, AgreesWithTheRoadScanOnRandomMaps)
{
    for (unsigned seed = 0; seed < 400; seed++)
        ASSERT_EQ(solves(seed, solve_shortest_paths), solves(seed, edge_scan_solve)) << seed;
    clear_map();
}

}  // namespace
