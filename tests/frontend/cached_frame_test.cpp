// Frames composed from the cached layer against the same frames drawn in full,
// pixel for pixel, while hovering, selecting, prompting, after edits and in solve mode.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "editor/app.h"
#include "editor/editor.h"
#include "editor/solve_mode.h"
#include "editor/view.h"
#include "frontend/script.h"
#include "network/network.h"
#include "network/solver.h"

namespace {

void join(int x1, int y1, int x2, int y2) { add_edge(find_or_add_node(x1, y1), find_or_add_node(x2, y2)); }

// Crossings on the left; random roads and a comb on the right, some over the
// bar and "Load"; the oldest road runs under the status texts, and the newest
// has names and a length whose text runs past the status field.
void build_map()
{
    join(40, 590, 420, 592);
    std::mt19937 rng(5);
    for (int i = 0; i < 6; i++)
        join(330 + rng() % 470, rng() % 600, 330 + rng() % 470, rng() % 600);
    for (int k = 0; k < 16; k++) {   // a comb: its ends take every pixel position mod 16
        join(520 + 17 * k, 300 + 17 * k, 537 + 17 * k, 317 + 17 * k);
        join(520 + 17 * k, 300 + 17 * k, 520 + 17 * k, 330 + 17 * k);
    }
    const int xy[][4] = {{100, 100, 300, 100}, {200, 40, 200, 200}, {790, 20, 40, 590},
                         {200, 200, 600, 300}, {600, 300, 790, 20}};
    for (const auto& r : xy)
        join(r[0], r[1], r[2], r[3]);
    std::strcpy(edge_list->from->name, "Bratislava-East");
    std::strcpy(edge_list->to->name, "Banska Bystrica");
    edge_list->length = 123456789;
}

// On every node and at the edge of its hit square; across every road's middle.
std::vector<std::pair<int, int>> pointer_path()
{
    std::vector<std::pair<int, int>> path{{10, 10}};
    for (NODE* n = node_list; n; n = n->next)
        path.insert(path.end(), {{n->x, n->y}, {n->x + 9, n->y - 9}});
    for (EDGE* e = edge_list; e; e = e->next) {
        int mx = (e->from->x + e->to->x) / 2, my = (e->from->y + e->to->y) / 2;
        bool flat = std::abs(e->to->x - e->from->x) > std::abs(e->to->y - e->from->y);
        path.push_back({mx + (flat ? 0 : 3), my + (flat ? 3 : 0)});
    }
    return path;
}

BITMAP* full = nullptr;

void draw_frame(bool solve)
{
    try { solve ? draw_solve_view() : draw_edit_view(); } catch (ScriptEnded&) {}
}

// Rows that differ between the next frame at (x, y) drawn through the layer
// and drawn in full, into a bitmap of its own, from the same sprite.
int differing_rows(int x, int y, bool solve)
{
    mouse_x = std::min(std::max(x, 0), 799);
    mouse_y = std::min(std::max(y, 0), 599);
    BITMAP* sprite = current_sprite;
    draw_frame(solve);
    std::swap(back_buffer, full);
    set_sprite(sprite);
    full_redraw = true;
    draw_frame(solve);
    full_redraw = false;
    std::swap(back_buffer, full);
    int rows = 0;
    for (int py = 0; py < 600; py++)
        rows += std::memcmp(full->line[py], back_buffer->line[py], 800 * 2) != 0;
    return rows;
}

EDGE* road_through(int x, int y) { EDGE* e = edge_list; while (!hit_edge(e, x, y)) e = e->next; return e; }

struct Case { const char* name; void (*act)(); bool solve; };

const Case cases[] = {
    {"selected road", [] { selected_edge = road_through(150, 100); }, false},
    {"current node", [] { current_node = find_or_add_node(200, 200); }, false},
    {"prompt", [] { std::strcpy(status_text, "Save as:"); selected_edge = road_through(150, 100); }, false},
    {"background hidden", [] { toggle_background(); }, false},
    {"split", [] { click(150, 101); press_key(KEY_ESC); run_edit_steps(); }, false},
    {"drag", [] { click(200, 200, 2); script_step(2, 200, 200, 1); script_step(2, 237, 223, 1);
                  idle(); press_key(KEY_ESC); run_edit_steps(); }, false},
    {"delete", [] { click(200, 150, 2); press_key(KEY_DEL); run_edit_steps(); }, false},
    {"solve", [] { current_node = find_or_add_node(520, 300); solve_shortest_paths(); }, true},
};

TEST(CachedFrame, EqualsTheFullRedraw)
{
    for (const Case& c : cases) {
        frontend_setup();
        full = full ? full : create_bitmap(800, 600);
        build_map();
        draw_frame(c.solve);   // the layer shows the map as it was before the case acts
        draw_frame(c.solve);
        c.act();
        for (const auto& p : pointer_path())
            EXPECT_EQ(differing_rows(p.first, p.second, c.solve), 0) << c.name << " at " << p.first << "," << p.second;
    }
}

}  // namespace
