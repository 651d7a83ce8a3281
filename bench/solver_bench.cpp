// Solving shortest paths on grid-like maps: ours (numbering and adjacency
// built from the lists inside every solve) against Boost Graph Library's
// dijkstra_shortest_paths on the same graph, and the road-by-road scan; with
// MAPEDIT_REAL_MAP naming a map file (a real road graph), on that map too.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/dijkstra_shortest_paths.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "network/edge_scan.h"
#include "network/map_file.h"
#include "network/network.h"
#include "network/solver.h"

using Graph = boost::adjacency_list<boost::vecS, boost::vecS, boost::undirectedS,
                                    boost::no_property,
                                    boost::property<boost::edge_weight_t, std::int64_t>>;

// side x side nodes joined to their right and lower neighbours, then random
// diagonals until there are `roads` roads; lengths 1..1000. Returns the
// nodes in creation order; the start is the middle one.
static std::vector<NODE*> build_grid(int side, int roads)
{
    clear_map();
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> length(1, 1000);
    std::vector<NODE*> grid;
    for (int i = 0; i < side * side; i++) {
        NODE* n = new_node(i % side, i / side, "Novy");
        n->next = node_list;
        node_list = n;
        grid.push_back(n);
    }
    int made = 0;
    auto join = [&](NODE* a, NODE* b) {
        EDGE* e = new_edge(a, b, length(rng));
        e->next = edge_list;
        edge_list = e;
        made++;
    };
    for (int r = 0; r < side; r++)
        for (int c = 0; c < side; c++) {
            if (c + 1 < side) join(grid[r * side + c], grid[r * side + c + 1]);
            if (r + 1 < side) join(grid[r * side + c], grid[(r + 1) * side + c]);
        }
    std::uniform_int_distribution<int> cell(0, side - 2);
    while (made < roads) {
        int r = cell(rng), c = cell(rng);
        join(grid[r * side + c], grid[(r + 1) * side + c + 1]);
    }
    current_node = grid[(side / 2) * side + side / 2];
    return grid;
}

// The same map as a BGL graph; vertex i is the i-th node of `grid`.
static Graph to_graph(const std::vector<NODE*>& grid)
{
    for (size_t i = 0; i < grid.size(); i++)
        grid[i]->index = (int)i;
    Graph g(grid.size());
    for (EDGE* e = edge_list; e; e = e->next)
        boost::add_edge(e->from->index, e->to->index, (std::int64_t)e->length, g);
    return g;
}

// Best of interleaved rounds: the machine is shared, and noise only slows.
static double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

static void bgl_solve(const Graph& g, int start, std::vector<std::int64_t>& dist,
                      std::vector<Graph::vertex_descriptor>& parent)
{
    boost::dijkstra_shortest_paths(
        g, start,
        boost::distance_map(boost::make_iterator_property_map(dist.begin(), boost::get(boost::vertex_index, g)))
            .predecessor_map(boost::make_iterator_property_map(parent.begin(), boost::get(boost::vertex_index, g))));
}

// Solves once with ours and once with BGL; false when any distance differs.
static bool same_distances(const std::vector<NODE*>& grid)
{
    Graph g = to_graph(grid);
    int start = current_node->index;
    std::vector<std::int64_t> dist(grid.size());
    std::vector<Graph::vertex_descriptor> parent(grid.size());
    bgl_solve(g, start, dist, parent);
    for (NODE* n : grid) n->label = -1;
    solve_shortest_paths();
    for (size_t i = 0; i < grid.size(); i++) {
        bool unreached = dist[i] == std::numeric_limits<std::int64_t>::max();
        if (grid[i]->label != (unreached ? -1 : dist[i]))
            return false;
    }
    return true;
}

static void BM_ours_250k(benchmark::State& state)
{
    std::vector<NODE*> grid = build_grid(500, 560000);
    if (!same_distances(grid)) {
        state.SkipWithError("distances differ from BGL's");
        return;
    }
    for (auto _ : state)
        solve_shortest_paths();
    state.counters["roads"] = 560000;
}
BENCHMARK(BM_ours_250k)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);

// BGL's rounds on the map in the lists, its graph built beforehand.
static void time_bgl(benchmark::State& state, const std::vector<NODE*>& nodes)
{
    Graph g = to_graph(nodes);
    int start = current_node->index;
    std::vector<std::int64_t> dist(nodes.size());
    std::vector<Graph::vertex_descriptor> parent(nodes.size());
    for (auto _ : state)
        bgl_solve(g, start, dist, parent);
}

static void BM_bgl_250k(benchmark::State& state)
{
    time_bgl(state, build_grid(500, 560000));
}
BENCHMARK(BM_bgl_250k)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);

static void BM_ours_10k(benchmark::State& state)
{
    build_grid(100, 22400);
    for (auto _ : state)
        solve_shortest_paths();
}
BENCHMARK(BM_ours_10k)->Unit(benchmark::kMillisecond);

static void BM_edge_scan_10k(benchmark::State& state)
{
    std::vector<NODE*> grid = build_grid(100, 22400);
    solve_shortest_paths();
    std::vector<std::int64_t> ours;
    for (NODE* n : grid) ours.push_back(n->label);
    for (auto _ : state)
        edge_scan_solve();
    for (size_t i = 0; i < grid.size(); i++)
        if (grid[i]->label != ours[i]) {
            state.SkipWithError("the road scan's labels differ from ours");
            return;
        }
}
BENCHMARK(BM_edge_scan_10k)->Unit(benchmark::kMillisecond)->Iterations(3);

// The map file named by MAPEDIT_REAL_MAP (a real road graph), loaded; the
// start is the node, among a few spread over the list, that reaches the most.
static std::vector<NODE*> real_map()
{
    if (load_map(std::getenv("MAPEDIT_REAL_MAP")) != 0)
        return {};
    std::vector<NODE*> nodes;
    for (NODE* n = node_list; n; n = n->next)
        nodes.push_back(n);
    NODE* start = nullptr;
    size_t most = 0;
    for (size_t i = 0; i < nodes.size(); i += nodes.size() / 8 + 1) {
        for (NODE* n : nodes) n->label = -1;
        current_node = nodes[i];
        solve_shortest_paths();
        size_t reached = 0;
        for (NODE* n : nodes) reached += n->label >= 0;
        if (reached > most) {
            most = reached;
            start = nodes[i];
        }
    }
    current_node = start;
    return nodes;
}

static void BM_ours_real(benchmark::State& state)
{
    std::vector<NODE*> nodes = real_map();
    if (nodes.empty() || !same_distances(nodes)) {
        state.SkipWithError(nodes.empty() ? "cannot load the map" : "distances differ from BGL's");
        return;
    }
    for (auto _ : state)
        solve_shortest_paths();
    state.counters["nodes"] = (double)nodes.size();
}

static void BM_bgl_real(benchmark::State& state)
{
    std::vector<NODE*> nodes = real_map();
    if (nodes.empty()) {
        state.SkipWithError("cannot load the map");
        return;
    }
    time_bgl(state, nodes);
}

int main(int argc, char** argv)
{
    const char* real = std::getenv("MAPEDIT_REAL_MAP");
    if (real && access(real, R_OK) == 0) {
        benchmark::RegisterBenchmark("BM_ours_real", BM_ours_real)
            ->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
        benchmark::RegisterBenchmark("BM_bgl_real", BM_bgl_real)
            ->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
