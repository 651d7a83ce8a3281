// Composing one editing-screen frame (background, bar, every road and node,
// hover tests, pointer, copy to the screen) on grid-like maps of 1k, 10k and
// 100k roads, headless into memory bitmaps.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "editor/app.h"
#include "editor/editor.h"
#include "editor/view.h"
#include "headless.h"
#include "network/network.h"

void poll_input() {}   // the pointer stays where the benchmark put it

static void setup_library()
{
    if (start_headless_editor(ASSETS_DIR) != 0) {
        std::fprintf(stderr, "cannot load the images from %s\n", ASSETS_DIR);
        std::exit(1);
    }
}

static void link_edge(NODE* a, NODE* b)
{
    EDGE* e = new_edge(a, b, straight_length(a, b));
    e->next = edge_list;
    edge_list = e;
}

// A jittered grid over the map area, each node joined to its right and lower
// neighbours, then diagonals until there are `roads` roads.
static void build_grid(int roads)
{
    clear_map();
    int nodes = roads / 2;
    int cols = 1;
    while (cols * cols * 560 < nodes * 800) cols++;
    int rows = (nodes + cols - 1) / cols;
    std::vector<NODE*> grid;
    srand(7);
    for (int i = 0; i < nodes; i++) {
        int c = i % cols, r = i / cols;
        NODE* n = new_node(4 + c * 792 / cols + rand() % 3, 4 + r * 560 / rows + rand() % 3, "Novy");
        n->next = node_list;
        node_list = n;
        grid.push_back(n);
    }
    int made = 0;
    for (int i = 0; i < nodes && made < roads; i++) {
        if (i % cols + 1 < cols && i + 1 < nodes) { link_edge(grid[i], grid[i + 1]); made++; }
        if (i + cols < nodes && made < roads) { link_edge(grid[i], grid[i + cols]); made++; }
    }
    for (int i = 0; made < roads && i + cols + 1 < nodes; i++, made++)
        link_edge(grid[i], grid[i + cols + 1]);
}

static void BM_EditFrame(benchmark::State& state)
{
    static bool started = false;
    if (!started) { setup_library(); started = true; }
    build_grid((int)state.range(0));
    mouse_x = 401;
    mouse_y = 303;
    for (auto _ : state)
        draw_edit_view();
    state.counters["roads"] = (double)state.range(0);
    clear_map();
}
BENCHMARK(BM_EditFrame)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
