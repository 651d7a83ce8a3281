// Frames composed from the cached layer against the same frames drawn in full,
// pixel for pixel, while hovering, selecting, prompting, after edits and in solve mode.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/app.h"
#include "editor/editor.h"
#include "editor/solve_mode.h"
#include "editor/view.h"
#include "frontend/script.h"
#include "network/network.h"
#include "network/solver.h"

namespace {

// A road with long names and length runs its text past the status field; the
// oldest road lies on the bar under the texts, and a node sits on "Load".
void build_map()
{
    const int xy[][4] = {{40, 590, 420, 592}, {100, 100, 300, 100}, {200, 40, 200, 200},
                         {600, 300, 790, 20}, {790, 20, 40, 590}, {200, 200, 600, 300}};
    for (const auto& r : xy)
        add_edge(find_or_add_node(r[0], r[1]), find_or_add_node(r[2], r[3]));
    std::strcpy(node_list->name, "Bratislava-East");
    std::strcpy(node_list->next->name, "Banska Bystrica");
    edge_list->next->next->length = 123456789;
}

BITMAP* cached = nullptr;

void draw_frame(bool solve)
{
    try { solve ? draw_solve_view() : draw_edit_view(); } catch (ScriptEnded&) {}
}

// Rows that differ between the next frame at (x, y) drawn through the layer
// and drawn in full from the same sprite.
int differing_rows(int x, int y, bool solve)
{
    mouse_x = x;
    mouse_y = y;
    BITMAP* sprite = current_sprite;
    draw_frame(solve);
    blit(back_buffer, cached, 0, 0, 0, 0, 800, 600);
    set_sprite(sprite);
    full_redraw = true;
    draw_frame(solve);
    full_redraw = false;
    int rows = 0;
    for (int py = 0; py < 600; py++)
        rows += std::memcmp(cached->line[py], back_buffer->line[py], 800 * 2) != 0;
    return rows;
}

EDGE* road(int i) { EDGE* e = edge_list; while (i--) e = e->next; return e; }
NODE* node(int i) { NODE* n = node_list; while (i--) n = n->next; return n; }

struct Case { const char* name; void (*act)(); bool solve; };

const Case cases[] = {
    {"plain", [] {}, false},
    {"selected road", [] { selected_edge = road(4); }, false},
    {"current node", [] { current_node = node(2); }, false},
    {"prompt", [] { std::strcpy(status_text, "Save as:"); selected_edge = road(4); }, false},
    {"background hidden", [] { toggle_background(); }, false},
    {"split", [] { click(150, 101); press_key(KEY_ESC); run_edit_steps(); }, false},
    {"drag", [] { click(200, 200, 2); script_step(2, 200, 200, 1); script_step(2, 237, 223, 1);
                  idle(); press_key(KEY_ESC); run_edit_steps(); }, false},
    {"delete", [] { click(200, 150, 2); press_key(KEY_DEL); run_edit_steps(); }, false},
    {"solve", [] { current_node = node(5); solve_shortest_paths(); }, true},
};

// Empty ground, one road, a crossing, nodes on roads, the bar under the texts.
const int points[][2] = {{500, 500}, {150, 101}, {200, 100}, {100, 100}, {500, 500}, {200, 200},
                         {200, 200}, {230, 591}, {420, 592}, {237, 223}, {700, 153}, {600, 300}};

TEST(CachedFrame, EqualsTheFullRedraw)
{
    for (const Case& c : cases) {
        frontend_setup();
        cached = cached ? cached : create_bitmap(800, 600);
        build_map();
        draw_frame(c.solve);   // the layer shows the map as it was before the case acts
        draw_frame(c.solve);
        c.act();
        for (int round = 0; round < 2; round++)
            for (const auto& p : points)
                EXPECT_EQ(differing_rows(p[0], p[1], c.solve), 0) << c.name << " at " << p[0] << "," << p[1];
    }
}

}  // namespace
