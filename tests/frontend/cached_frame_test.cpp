// Frames composed from what the editor keeps against frames drawn afresh,
// pixel for pixel, at several views, while hovering, selecting, prompting,
// after edits and in solve mode.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/app.h"
#include "editor/waits.h"
#include "editor/editor.h"
#include "editor/solve_mode.h"
#include "editor/paint.h"
#include "editor/view.h"
#include "editor/viewport.h"
#include "frontend/script.h"
#include "network/network.h"
#include "network/solver.h"

namespace {

void join(int x1, int y1, int x2, int y2) { add_edge(find_or_add_node(x1, y1), find_or_add_node(x2, y2)); }
void draw_frame(bool solve) { try { solve ? draw_solve_view() : draw_edit_view(); } catch (ScriptEnded&) {} }
EDGE* road_through(int x, int y) { EDGE* e = edge_list; while (!hit_edge(e, x, y)) e = e->next; return e; }
// Window positions of map points in the view under test.
int X(int x) { return to_screen_x(x); }
int Y(int y) { return to_screen_y(y); }

// The oldest road, drawn last, runs under the status texts; then roads at
// two corners of the window, a comb whose ends take every position mod 16, a
// steep road, crossings, a node on "Load", and the newest road, whose text
// runs past the status field.
void build_map()
{
    join(40, 590, 420, 592);
    join(2, 1, 30, 1); join(770, 598, 797, 598);
    for (int k = 0; k < 16; k++) {
        join(520 + 17 * k, 300 + 17 * k, 537 + 17 * k, 317 + 17 * k);
        join(520 + 17 * k, 300 + 17 * k, 520 + 17 * k, 330 + 17 * k);
    }
    join(520, 300, 480, 590); join(100, 100, 300, 100); join(200, 40, 200, 200); join(790, 20, 40, 590);
    join(200, 200, 600, 300); join(600, 300, 790, 20);
    std::strcpy(edge_list->from->name, "Bratislava-East");
    std::strcpy(edge_list->to->name, "Banska Bystrica");
    edge_list->length = 123456789;
}

// Rows that differ between the next frame at (x, y) drawn through what the
// editor keeps and drawn in full, into a bitmap of its own, from the same
// sprite; when `fresh`, by an editor that keeps nothing yet.
int differing_rows(int x, int y, bool solve, bool fresh = false)
{
    static BITMAP* full = create_bitmap(800, 600);
    BITMAP* sprite = current_sprite;
    mouse_x = x;
    mouse_y = y;
    draw_frame(solve);
    std::swap(back_buffer, full);
    set_sprite(sprite);
    if (fresh)
        forget_frames();
    full_redraw = true;
    draw_frame(solve);
    full_redraw = false;
    std::swap(back_buffer, full);
    int rows = 0;
    for (int py = 0; py < 600; py++)
        rows += std::memcmp(full->line[py], back_buffer->line[py], 800 * 2) != 0;
    return rows;
}

struct Case { const char* name; void (*act)(); bool solve; };

const Case cases[] = {
    {"selected road", [] { selected_edge = road_through(150, 100); }, false},
    {"prompt, no background", [] { std::strcpy(status_text, "Save as:"); toggle_background();
                                   selected_edge = road_through(150, 100); }, false},
    {"split, current node", [] { idle(); script_step(2, X(150), Y(101), 0);   // hovered, then split
                                 click(X(150), Y(101)); press_key(KEY_ESC); run_edit_steps();
                                 current_node = find_or_add_node(40, 590); }, false},
    // Through the check point of a road it leaves, then a lone road's end along it: it leaves cells.
    // Then the road that floats after the last drag is deleted.
    {"drags", [] { click(X(200), Y(200), 2); script_step(2, X(200), Y(200), 1); script_step(2, X(415), Y(305), 1);
                   script_step(2, X(237), Y(223), 1); idle(); press_key(KEY_ESC);
                   click(X(100), Y(100), 2); script_step(2, X(100), Y(100), 1); script_step(2, X(150), Y(100), 1);
                   idle(); press_key(KEY_ESC); click(X(225), Y(100), 2); press_key(KEY_DEL); run_edit_steps(); }, false},
    // An old road, hovered, then dragged off a newer one it crosses in steps:
    // after the first, small ones it still draws some of the same pixels. Its
    // node covers the edge of a newer node's disc, as a file may have them.
    // Then its far end is dragged, and the road floats on.
    {"drag off a crossing", [] { join(150, 60, 150, 140); script_step(2, X(250), Y(101), 0);
                                 NODE* n = new_node(106, 100, "Novy"); n->next = node_list; node_list = n;
                                 map_version++;
                                 click(X(96), Y(100), 2); script_step(2, X(96), Y(100), 1);
                                 script_step(2, X(96), Y(104), 1); script_step(2, X(96), Y(130), 1);
                                 idle(); press_key(KEY_ESC); click(X(300), Y(100), 2); script_step(2, X(300), Y(100), 1);
                                 script_step(2, X(330), Y(70), 1); idle(); press_key(KEY_ESC); run_edit_steps(); }, false},
    // A node moved with no frame between that read the owner map where it was.
    {"moved unseen", [] { move_node(find_or_add_node(300, 100), 310, 130); }, false},
    // A comb road deleted while solve mode's layer shows the tree: a band
    // beside it reaches a pixel past its road's ends into the cells redrawn.
    {"solve, delete", [] { current_node = find_or_add_node(520, 300); solve_shortest_paths();
                           draw_frame(true); current_node = nullptr;
                           click(X(639), Y(435), 2); press_key(KEY_DEL); run_edit_steps(); }, true},
    {"solve", [] { current_node = find_or_add_node(520, 300); solve_shortest_paths(); }, true},
};

// The original screen; zoomed in about a point; out, where the bar lies over
// the map; so far out that the map is drawn as its cells; panned off the origin.
const VIEW views[] = {{1.0, 0, 0, 0}, {1.0, 5, 60 * VIEW_FIXED, 40 * VIEW_FIXED},
                      {1.0, -3, -100 * VIEW_FIXED, -7 * VIEW_FIXED}, {1.0, -20, -900 * VIEW_FIXED, -300 * VIEW_FIXED},
                      {1.0, 0, -13 * VIEW_FIXED, 9 * VIEW_FIXED}};

TEST(CachedFrame, EqualsAFreshFrameAtEveryView)
{
    for (const VIEW& v : views)
        for (const Case& c : cases) {
            frontend_setup();
            view = v;
            build_map();
            for (int i = 0; i < 2; i++)
                draw_frame(c.solve);   // kept frames of the map as it was before the case acts
            c.act();
            EXPECT_EQ(differing_rows(401, 303, c.solve, true), 0) << c.name << " level " << v.level;
            // On every node and at the corner of its hit square, then beside every road's middle.
            for (NODE* n = node_list; n; n = n->next)
                for (int d : {0, 9})
                    EXPECT_EQ(differing_rows(X(n->x) - d, Y(n->y) - d, c.solve), 0)
                        << c.name << " level " << v.level << " near " << n->x << "," << n->y;
            set_sprite(cursor_normal);   // the node checks leave the hover image, which hides road hover
            for (EDGE* e = edge_list; e; e = e->next) {
                int x = X((e->from->x + e->to->x) / 2) + 3, y = Y((e->from->y + e->to->y) / 2) + 3;
                EXPECT_EQ(differing_rows(x, y, c.solve), 0) << c.name << " level " << v.level << " at " << x << "," << y;
            }
        }
}

// The quick lines against line() itself: up to three pixels each way, from
// ends inside, on and just past each edge of the clip rectangle.
TEST(DrawLine, DrawsTheLibrarysPixels)
{
    frontend_setup();
    const int at[] = {8, 9, 10, 11, 28, 29, 30, 31};
    for (int depth : {16, 32}) {
        BITMAP* want = create_bitmap_ex(depth, 40, 40);
        BITMAP* got = create_bitmap_ex(depth, 40, 40);
        for (int x : at)
            for (int y : at)
                for (int dx = -3; dx <= 3; dx++)
                    for (int dy = -3; dy <= 3; dy++) {
                        for (BITMAP* b : {want, got}) {
                            set_clip_rect(b, 0, 0, 39, 39);
                            clear_to_color(b, 0);
                            set_clip_rect(b, 10, 10, 29, 29);
                        }
                        line(want, x, y, x + dx, y + dy, 5);
                        draw_line(got, x, y, x + dx, y + dy, 5);
                        int rows = 0;
                        for (int r = 0; r < 40; r++)
                            rows += std::memcmp(want->line[r], got->line[r], 40 * depth / 8) != 0;
                        EXPECT_EQ(rows, 0) << depth << "-bit " << x << "," << y << " by " << dx << "," << dy;
                    }
        destroy_bitmap(want);
        destroy_bitmap(got);
    }
}

}  // namespace
