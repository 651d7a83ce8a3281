// Frames of both screens, headless into memory bitmaps, on grid-like maps of
// 1k to 1M roads and on a real map (MAPEDIT_REAL_MAP), against the full
// redraw of the same frame (the reference, in the same run): a frame with
// nothing changed, the first frame after a zoom or pan step at every zoom,
// the same while the view holds at most 10,000 roads, and an edit's first
// frame. First every kept frame of a set of views and states is checked
// against a freshly started editor's; any difference ends it with status 1.
// With --benchmark_out=FILE it also writes its figures as JSON.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "editor/editor.h"
#include "editor/grid.h"
#include "editor/view.h"
#include "editor/viewport.h"
#include "headless.h"
#include "network/map_file.h"
#include "network/network.h"
#include "network/solver.h"

void poll_input(bool) {}   // the pointer stays where the benchmark put it

namespace {

std::vector<NODE*> grid_nodes;

void link_edge(NODE* a, NODE* b)
{
    EDGE* e = new_edge(a, b, straight_length(a, b));
    e->next = edge_list;
    edge_list = e;
}

NODE* link_node(int x, int y)
{
    NODE* n = new_node(x, y, "Novy");
    n->next = node_list;
    node_list = n;
    return n;
}

// A jittered grid over the map area, each node joined to its right and lower
// neighbours, then diagonals until there are `roads` roads, and six long
// roads across it, two along the bar under the status texts.
void build_grid(int roads)
{
    clear_map();
    grid_nodes.clear();
    const int ends[][4] = {{10, 590, 440, 592}, {30, 596, 700, 585}, {0, 0, 799, 599},
                           {790, 10, 20, 580}, {400, 5, 410, 595}, {5, 300, 795, 310}};
    for (const auto& e : ends)
        link_edge(link_node(e[0], e[1]), link_node(e[2], e[3]));
    int nodes = roads / 2;
    int cols = 1;
    while (cols * cols * 560 < nodes * 800) cols++;
    int rows = (nodes + cols - 1) / cols;
    srand(7);
    for (int i = 0; i < nodes; i++) {
        int c = i % cols, r = i / cols;
        grid_nodes.push_back(link_node(4 + c * 792 / cols + rand() % 3, 4 + r * 560 / rows + rand() % 3));
    }
    int made = 0;
    for (int i = 0; i < nodes && made < roads; i++) {
        if (i % cols + 1 < cols && i + 1 < nodes) { link_edge(grid_nodes[i], grid_nodes[i + 1]); made++; }
        if (i + cols < nodes && made < roads) { link_edge(grid_nodes[i], grid_nodes[i + cols]); made++; }
    }
    for (int i = 0; made < roads && i + cols + 1 < nodes; i++, made++)
        link_edge(grid_nodes[i], grid_nodes[i + cols + 1]);
}

int load_real(const char* name)
{
    if (load_map(name) != 0)
        return 1;
    grid_nodes.clear();
    for (NODE* n = node_list; n; n = n->next)
        grid_nodes.push_back(n);
    std::reverse(grid_nodes.begin(), grid_nodes.end());
    return 0;
}

void draw(bool solve) { solve ? draw_solve_view() : draw_edit_view(); }

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double timed_frame(bool solve)
{
    auto start = std::chrono::steady_clock::now();
    draw(solve);
    return since(start);
}

// ---- pixel identity ------------------------------------------------------------

BITMAP* kept_frame;

// The next frame at (x, y) through what the editor keeps, against the frame
// of an editor that keeps nothing yet; true when they match.
bool same_frame(const char* what, const char* map, int x, int y, BITMAP* sprite, bool solve)
{
    mouse_x = x;
    mouse_y = y;
    set_sprite(sprite);
    draw(solve);
    blit(back_buffer, kept_frame, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    set_sprite(sprite);
    forget_frames();
    full_redraw = true;
    draw(solve);
    full_redraw = false;
    int rows = 0;
    for (int r = 0; r < SCREEN_H; r++)
        rows += std::memcmp(kept_frame->line[r], back_buffer->line[r], SCREEN_W * 2) != 0;
    if (rows)
        std::printf("MISMATCH: %s, %s, pointer %d,%d, level %d: %d rows differ from a fresh frame\n",
                    what, map, x, y, view.level, rows);
    draw(solve);   // the next check starts from kept frames again
    return rows == 0;
}

NODE* middle_node() { return grid_nodes[grid_nodes.size() / 2]; }

bool check_view(const char* map)
{
    NODE* middle = middle_node();
    const int mx = to_screen_x(middle->x), my = to_screen_y(middle->y);
    bool ok = true;
    draw(false);
    ok &= same_frame("hover from empty ground", map, 401, 303, cursor_normal, false);
    ok &= same_frame("hover on a node", map, mx, my, cursor_hover, false);
    selected_edge = edge_list->next;
    ok &= same_frame("selected road", map, 401, 303, cursor_normal, false);
    selected_edge = nullptr;
    std::strcpy(status_text, "Save as:");
    ok &= same_frame("prompt", map, 401, 303, cursor_normal, false);
    status_text[0] = '\0';
    draw(false);
    add_edge(middle, grid_nodes[grid_nodes.size() / 2 + 2]);
    ok &= same_frame("road added", map, mx + 1, my, cursor_normal, false);
    move_node(middle, middle->x + 3, middle->y + 2);
    ok &= same_frame("node moved", map, mx, my, cursor_normal, false);
    current_node = middle;
    solve_shortest_paths();
    map_solved();
    ok &= same_frame("solve bands", map, 401, 303, cursor_normal, true);
    ok &= same_frame("solve, hover on the start", map, to_screen_x(middle->x), to_screen_y(middle->y),
                     cursor_hover, true);
    current_node = nullptr;
    return ok;
}

bool check_frames(const char* map)
{
    bool ok = true;
    home_view();
    ok &= check_view(map);
    zoom_view(8, 300, 200);
    ok &= check_view(map);
    home_view();
    zoom_view(-6, 400, 286);
    ok &= check_view(map);
    home_view();
    return ok;
}

// ---- timing --------------------------------------------------------------------

enum { STILL, FULL, VIEW_STEP, VIEW_STEP_WHOLE, SMALL_VIEW_STEP, EDIT, DRAG, KINDS };
const char* kind_names[KINDS] = {
    "frame with nothing changed, a node hovered and a road selected",
    "full redraw of the same frame (reference)",
    "first frame after a zoom or pan step, worst over every zoom",
    "first frame after a zoom or pan step, the whole map in view",
    "first frame after a pan step, at most 10,000 roads in view",
    "first frame after an edit (a road added or deleted)",
    "drag frame (the node moves every frame)"};
const char* kind_keys[KINDS] = {"frame_cached", "frame_full", "frame_view_step", "frame_view_step_whole",
                                "frame_view_step_small", "frame_edit", "frame_drag"};

// Zoomed in about the middle node until the view holds at most 10,000 roads.
void zoom_to_small_view()
{
    home_view();
    for (int i = 0; i < 80; i++) {
        const XFORM t = view_xform();
        const BOX b = window_box(t, 0, 0, SCREEN_W - 1, SCREEN_H - 1);
        std::vector<std::uint32_t> keys;
        box_roads(b, keys);
        if (keys.size() <= 10000)
            return;
        zoom_view(1, to_screen_x(middle_node()->x), to_screen_y(middle_node()->y));
    }
}

// Worst mean of first frames after a step in and out, over the zoom range.
double view_steps(bool whole_only)
{
    home_view();
    const VIEW home = view;
    double worst = 0;
    for (int level = -8; level <= 24; level += 4) {
        if (whole_only && level != 0)
            continue;
        view = home;
        view.level = level;
        draw(false);
        double sum = 0;
        for (int k = 0; k < 4; k++) {
            if (k % 2 == 0)
                zoom_view(k == 0 ? 1 : -1, 401, 303);
            else
                pan_view(k == 1 ? 100 : -100, 0);
            sum += timed_frame(false);
        }
        worst = std::max(worst, sum / 4);
        if (std::getenv("FRAME_LEVELS"))
            std::printf("level %d: %.2f ms\n", level, sum / 4);
    }
    view = home;
    return worst;
}

double time_kind(int kind)
{
    NODE* middle = middle_node();
    home_view();
    mouse_x = to_screen_x(middle->x), mouse_y = to_screen_y(middle->y);
    draw(false);
    double ms = 0;
    switch (kind) {
    case STILL:
    case FULL:
        selected_edge = edge_list->next;
        set_sprite(cursor_hover);
        draw(false);
        full_redraw = kind == FULL;
        ms = timed_frame(false);
        full_redraw = false;
        selected_edge = nullptr;
        break;
    case VIEW_STEP:       ms = view_steps(false); break;
    case VIEW_STEP_WHOLE: ms = view_steps(true); break;
    case SMALL_VIEW_STEP:
        zoom_to_small_view();
        draw(false);
        for (int k = 0; k < 4; k++) {
            pan_view(k % 2 ? -100 : 100, 0);
            ms += timed_frame(false) / 4;
        }
        break;
    case EDIT:
        for (int k = 0; k < 4; k++) {
            if (k % 2 == 0)
                add_edge(middle, grid_nodes[grid_nodes.size() / 2 + 3]);
            else
                delete_edge(edge_list);
            ms += timed_frame(false) / 4;
        }
        break;
    case DRAG:
        for (int k = 0; k < 4; k++) {
            move_node(middle, middle->x ^ 1, middle->y);
            ms += timed_frame(false) / 4;
        }
        break;
    }
    home_view();
    return ms;
}

struct RESULT { std::string map; long roads; double best[KINDS]; };

void write_json(const char* path, const std::vector<RESULT>& results)
{
    FILE* f = std::fopen(path, "w");
    if (!f)
        return;
    std::fprintf(f, "{\n  \"context\": {\"executable\": \"frame_bench\"},\n  \"benchmarks\": [\n");
    bool first = true;
    for (const RESULT& r : results)
        for (int k = 0; k < KINDS; k++) {
            std::fprintf(f, "%s    {\"name\": \"%s/%s\", \"run_name\": \"%s/%s\", \"run_type\": \"aggregate\", "
                         "\"aggregate_name\": \"min\", \"real_time\": %.6f, \"cpu_time\": %.6f, \"time_unit\": \"ms\"}",
                         first ? "" : ",\n", kind_keys[k], r.map.c_str(), kind_keys[k], r.map.c_str(),
                         r.best[k], r.best[k]);
            first = false;
        }
    std::fprintf(f, "\n  ]\n}\n");
    std::fclose(f);
}

}  // namespace

int main(int argc, char** argv)
{
    const char* json = nullptr;
    for (int i = 1; i < argc; i++)
        if (std::strncmp(argv[i], "--benchmark_out=", 16) == 0)
            json = argv[i] + 16;
    if (start_headless_editor(ASSETS_DIR) != 0) {
        std::fprintf(stderr, "cannot load the images from %s\n", ASSETS_DIR);
        return 1;
    }
    kept_frame = create_bitmap(SCREEN_W, SCREEN_H);
    std::vector<std::string> maps = {"1000", "10000", "100000", "1000000"};
    const char* real = std::getenv("MAPEDIT_REAL_MAP");
    if (real)
        maps.push_back(real);
    std::vector<RESULT> results;
    bool ok = true;
    for (const std::string& map : maps) {
        const bool synthetic = map.find_first_not_of("0123456789") == std::string::npos;
        if (synthetic)
            build_grid(std::atoi(map.c_str()));
        else if (load_real(map.c_str()) != 0) {
            std::fprintf(stderr, "cannot load %s\n", map.c_str());
            return 1;
        }
        long roads = 0;
        for (EDGE* e = edge_list; e; e = e->next)
            roads++;
        const std::string name = synthetic ? map : map.substr(map.find_last_of('/') + 1);
        ok &= check_frames(name.c_str());
        RESULT r{synthetic ? map : name, roads, {}};
        std::fill(r.best, r.best + KINDS, 1e9);
        for (int round = 0; round < 5; round++)   // interleaved: the machine is shared
            for (int k = 0; k < KINDS; k++)
                r.best[k] = std::min(r.best[k], time_kind(k));
        results.push_back(r);
    }
    std::printf("%s\n", ok ? "kept frames equal a fresh editor's in every checked view and state"
                           : "FAILED: kept frames differ from a fresh editor's");
    std::printf("\n| ms per frame, best of 5 rounds |");
    for (const RESULT& r : results)
        std::printf(" %s (%ld roads) |", r.map.c_str(), r.roads);
    std::printf("\n|---|");
    for (size_t i = 0; i < results.size(); i++)
        std::printf("---|");
    std::printf("\n");
    for (int k = 0; k < KINDS; k++) {
        std::printf("| %s |", kind_names[k]);
        for (const RESULT& r : results)
            std::printf(" %.2f |", r.best[k]);
        std::printf("\n");
    }
    if (json)
        write_json(json, results);
    return ok ? 0 : 1;
}
