// Solving shortest paths on grid-like maps of 10k, 100k and 1M roads: ours
// (numbering and adjacency built from the lists inside every solve) against
// Boost Graph Library's Dijkstra on the same graph, and at 10k roads the
// road-by-road scan; with MAPEDIT_REAL_MAP naming a map file (a real road
// graph), on that map too. Rows are solve/N, solve_bgl/N and edge_scan/N for
// N roads, and solve_real, solve_bgl_real; best of interleaved rounds.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/dijkstra_shortest_paths.hpp>
#include <boost/graph/two_bit_color_map.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <vector>

#include "network/edge_scan.h"
#include "network/map_file.h"
#include "network/network.h"
#include "network/solver.h"

using Graph = boost::adjacency_list<boost::vecS, boost::vecS, boost::undirectedS,
                                    boost::no_property,
                                    boost::property<boost::edge_weight_t, std::int64_t>>;
using Vertex = Graph::vertex_descriptor;
using IndexMap = boost::property_map<Graph, boost::vertex_index_t>::const_type;
using WeightMap = boost::property_map<Graph, boost::edge_weight_t>::const_type;
using ColorMap = boost::two_bit_color_map<IndexMap>;
using Queue = boost::d_ary_heap_indirect<Vertex, 4, std::size_t*, std::int64_t*, std::less<std::int64_t>>;
using Visitor = boost::detail::dijkstra_bfs_visitor<boost::dijkstra_visitor<>, Queue, WeightMap, Vertex*,
                                                    std::int64_t*, boost::closed_plus<std::int64_t>,
                                                    std::less<std::int64_t>>;

const int SIZES[] = {10000, 100000, 1000000};   // roads
enum { REAL_MAP = -1, NO_MAP = 0 };

// The map in the lists and its BGL twin, kept while the rows ask for the same
// one: `roads` is the grid's road count, REAL_MAP or NO_MAP. `nodes` are in
// the BGL graph's vertex order; `start` is current_node's vertex (the solver
// renumbers the nodes' `index` as it goes).
struct BENCH_MAP {
    int roads = NO_MAP;
    std::vector<NODE*> nodes;
    std::optional<Graph> graph;
    Vertex start = 0;
};
static BENCH_MAP map;

// BGL's working memory, kept from round to round as our solver keeps its
// scratch: dijkstra_shortest_paths itself would allocate the colours, the
// heap positions and the heap afresh in every call. Grows to the largest map.
struct BGL_SCRATCH {
    std::vector<std::int64_t> dist;
    std::vector<Vertex> parent;
    std::vector<std::size_t> in_heap;
    std::optional<ColorMap> color;
    std::optional<Queue> queue;
};
static BGL_SCRATCH bgl;

// side x side nodes joined to their right and lower neighbours, then random
// diagonals until there are `roads` roads (about 2.24 a node); lengths
// 1..1000. The start is the middle node.
static void build_grid(int roads)
{
    clear_map();
    const int side = (int)std::sqrt(roads / 2.24);
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> length(1, 1000);
    std::vector<NODE*>& grid = map.nodes;
    grid.clear();
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
}

// The map file named by MAPEDIT_REAL_MAP (a real road graph), loaded; the
// start is the node, among a few spread over the list, that reaches the most.
// 1 when it cannot be loaded.
static int load_real_map()
{
    std::vector<NODE*>& nodes = map.nodes;
    nodes.clear();
    if (load_map(std::getenv("MAPEDIT_REAL_MAP")) != 0)
        return 1;
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
    return 0;
}

// The same map as a BGL graph; vertex i is the i-th of map.nodes.
static void build_graph()
{
    for (size_t i = 0; i < map.nodes.size(); i++)
        map.nodes[i]->index = (int)i;
    map.start = (Vertex)current_node->index;
    map.graph.emplace(map.nodes.size());
    for (EDGE* e = edge_list; e; e = e->next)
        boost::add_edge(e->from->index, e->to->index, (std::int64_t)e->length, *map.graph);
}

// Room in BGL's scratch for n vertices, written once here rather than first
// touched in a timed round.
static void bgl_room(size_t n)
{
    if (bgl.dist.size() >= n)
        return;
    bgl.dist.assign(n, 0);
    bgl.parent.assign(n, 0);
    bgl.in_heap.assign(n, 0);
    bgl.color.emplace(n, IndexMap());
    bgl.queue.emplace(bgl.dist.data(), bgl.in_heap.data());
}

// What dijkstra_shortest_paths does, on the kept scratch: every vertex
// unreached and white, then the search from `start`.
static void bgl_solve(const Graph& g, Vertex start)
{
    const size_t n = boost::num_vertices(g);
    for (size_t v = 0; v < n; v++) {
        bgl.dist[v] = std::numeric_limits<std::int64_t>::max();
        bgl.parent[v] = v;
        boost::put(*bgl.color, v, boost::two_bit_white);
    }
    bgl.dist[start] = 0;
    Visitor visitor(boost::dijkstra_visitor<>(), *bgl.queue, boost::get(boost::edge_weight, g),
                    bgl.parent.data(), bgl.dist.data(), boost::closed_plus<std::int64_t>(),
                    std::less<std::int64_t>(), 0);
    boost::breadth_first_visit(g, &start, &start + 1, *bgl.queue, visitor, *bgl.color);
}

// Solves once with ours and once with BGL; false when any distance differs.
static bool same_distances()
{
    const std::vector<NODE*>& nodes = map.nodes;
    bgl_room(nodes.size());
    bgl_solve(*map.graph, map.start);
    for (NODE* n : nodes) n->label = -1;
    solve_shortest_paths();
    for (size_t i = 0; i < nodes.size(); i++) {
        bool unreached = bgl.dist[i] == std::numeric_limits<std::int64_t>::max();
        if (nodes[i]->label != (unreached ? -1 : bgl.dist[i]))
            return false;
    }
    return true;
}

// Puts the grid of `roads` roads, or the real map, in the lists and its twin
// in map.graph, and checks the two solvers agree on it the first time.
// 1 when the real map cannot be loaded or the distances differ.
static int use_map(int roads)
{
    static std::vector<int> checked;
    if (map.roads == roads)
        return 0;
    map.roads = NO_MAP;
    if (roads == REAL_MAP) {
        if (load_real_map() != 0)
            return 1;
    } else {
        build_grid(roads);
    }
    build_graph();
    map.roads = roads;
    if (std::find(checked.begin(), checked.end(), roads) == checked.end()) {
        if (!same_distances())
            return 1;
        checked.push_back(roads);
    }
    return 0;
}

static bool ready(benchmark::State& state, int roads)
{
    if (use_map(roads) != 0) {
        state.SkipWithError(roads == REAL_MAP && map.nodes.empty() ? "cannot load the map"
                                                                    : "distances differ from BGL's");
        return false;
    }
    state.counters["nodes"] = (double)map.nodes.size();
    state.counters["roads"] = (double)boost::num_edges(*map.graph);
    return true;
}

static void time_ours(benchmark::State& state, int roads)
{
    if (!ready(state, roads))
        return;
    for (auto _ : state)
        solve_shortest_paths();
}

// BGL's rounds, its graph built beforehand.
static void time_bgl(benchmark::State& state, int roads)
{
    if (!ready(state, roads))
        return;
    const Graph& g = *map.graph;
    bgl_room(boost::num_vertices(g));
    for (auto _ : state)
        bgl_solve(g, map.start);
}

static void time_edge_scan(benchmark::State& state, int roads)
{
    if (!ready(state, roads))
        return;
    solve_shortest_paths();
    std::vector<std::int64_t> ours;
    for (NODE* n : map.nodes) ours.push_back(n->label);
    for (auto _ : state)
        edge_scan_solve();
    for (size_t i = 0; i < map.nodes.size(); i++)
        if (map.nodes[i]->label != ours[i]) {
            state.SkipWithError("the road scan's labels differ from ours");
            return;
        }
}

static void BM_solve(benchmark::State& state) { time_ours(state, (int)state.range(0)); }
static void BM_solve_bgl(benchmark::State& state) { time_bgl(state, (int)state.range(0)); }
static void BM_edge_scan(benchmark::State& state) { time_edge_scan(state, (int)state.range(0)); }
static void BM_solve_real(benchmark::State& state) { time_ours(state, REAL_MAP); }
static void BM_solve_bgl_real(benchmark::State& state) { time_bgl(state, REAL_MAP); }

// Best of interleaved rounds: the machine is shared, and noise only slows.
static double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

int main(int argc, char** argv)
{
    for (int roads : SIZES) {
        benchmark::RegisterBenchmark("solve", BM_solve)->Arg(roads)
            ->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
        benchmark::RegisterBenchmark("solve_bgl", BM_solve_bgl)->Arg(roads)
            ->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
    }
    benchmark::RegisterBenchmark("edge_scan", BM_edge_scan)->Arg(SIZES[0])->Iterations(3)
        ->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
    const char* real = std::getenv("MAPEDIT_REAL_MAP");
    if (real && access(real, R_OK) == 0) {
        benchmark::RegisterBenchmark("solve_real", BM_solve_real)
            ->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
        benchmark::RegisterBenchmark("solve_bgl_real", BM_solve_bgl_real)
            ->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
