// The solver against the road-by-road scan on small random maps: ties,
// orientations, discards and totals past 32 bits all show in the fields.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "network/edge_scan.h"
#include "network/lists.h"
#include "network/solver.h"

namespace {

// Up to 12 nodes (now and then 150) with repeated and self-joined roads and stale solver fields,
// solved from random starts (or none) in a row: the map after each solve.
std::string solves(unsigned seed, void (*solve)())
{
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int longest[] = {0, 2, 30, 999999999};
    clear_map();
    std::vector<NODE*> all;
    for (int i = pick(0, seed % 25 ? 12 : 150); i > 0; i--)   // now and then past a word of bits
        all.emplace_back(push_node(0, 0, "N"))->label = pick(-1, 3);
    if (seed % 3 == 1) {   // records no longer one below the other, as after edits
        node_list = nullptr;
        for (auto n = all.rbegin(); n != all.rend(); ++n)
            (*n)->next = node_list, node_list = *n;
    }
    for (int i = all.empty() ? 0 : pick(0, 3 * (int)all.size()); i > 0; i--) {
        EDGE* e = push_edge(all[pick(0, all.size() - 1)], all[pick(0, all.size() - 1)],
                            pick(0, longest[seed % 4]));
        e->state = pick(0, 3), e->distance = pick(-1, 50);
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

// A map too large for a road's position, far end and length to share 64 bits
// solves as the same map with every length 2^20 times smaller, which does.
TEST(Solver, LongRoadsOnALargeMapSolveAsTheirScaledDownCopy)
{
    const int side = 362, scale = 1 << 20;   // 131,044 nodes, 261,364 roads
    std::mt19937 rng(7);
    clear_map();
    std::vector<NODE*> grid;
    for (int i = 0; i < side * side; i++)
        grid.push_back(push_node(0, 0, "N"));
    for (int i = 0; i < side * side; i++) {
        if (i % side + 1 < side)
            push_edge(grid[i], grid[i + 1], (int)(rng() % 1000) * scale);
        if (i + side < side * side)
            push_edge(grid[i], grid[i + side], (int)(rng() % 1000) * scale);
    }
    current_node = grid[side * side / 2];
    solve_shortest_paths();
    std::vector<std::int64_t> wide;
    for (EDGE* e = edge_list; e; e = e->next)
        wide.insert(wide.end(), {e->state, e->from->index, e->distance}), e->length /= scale;
    for (NODE* n = node_list; n; n = n->next)
        wide.push_back(n->label);
    solve_shortest_paths();
    std::vector<std::int64_t> packed;
    for (EDGE* e = edge_list; e; e = e->next)
        packed.insert(packed.end(), {e->state, e->from->index, e->distance * scale});
    for (NODE* n = node_list; n; n = n->next)
        packed.push_back(n->label * scale);
    EXPECT_EQ(wide, packed);
    clear_map();
}

}  // namespace
