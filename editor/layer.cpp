// The cached layers and the frames composed from them. A frame is the layer
// plus a few changed items: hovered or selected roads and nodes and the
// status-line texts. Each grid cell they touch is redrawn from scratch with
// everything listed there, in the order of the full frame, so the picture is
// the same pixel for pixel; the texts go in at their item's place in the lists.
#include "layer.h"

#include <allegro.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <vector>

#include "editor.h"
#include "grid.h"
#include "network/network.h"
#include "solve_mode.h"
#include "view.h"

struct LAYER {
    BITMAP* bitmap;
    bool built;
    unsigned version;      // map_version it shows
    BITMAP* background;    // shown_background it shows
};

// A status-line text printed right after the item at `position` in its list.
struct TEXT_EVENT {
    int position;
    char text[96];
};

// How this frame differs from the layer.
struct FRAME {
    int screen;
    bool line_free;          // no prompt in the status line
    EDGE* blue_road;         // the hovered road (editing screen)
    NODE* blue_node;         // the hovered node
    EDGE* cyan_road;         // the selected road
    NODE* cyan_node;         // the current node, drawn with cyan_radius
    int cyan_radius;
    std::vector<TEXT_EVENT> road_texts, node_texts;
};

static LAYER layers[2];
static FRAME frame;
static bool version_seen = false;
static unsigned last_version;        // map_version of the previous cached-path frame
static std::vector<int> dirty;       // cells to redraw; may repeat
static std::vector<char> marked;     // per cell: already in `clean_dirty`
static std::vector<int> clean_dirty; // the cells, once each

static void draw_underlay()
{
    if (frame.screen == LAYER_SOLVE)
        draw_solve_underlay();
    else
        draw_edit_underlay(frame.line_free);
}

static void draw_road(const EDGE* e)
{
    const int x1 = e->from->x, y1 = e->from->y, x2 = e->to->x, y2 = e->to->y;
    if (frame.screen == LAYER_SOLVE) {
        if (e->state == STATE_TREE)
            draw_thick_line(back_buffer, x1, y1, x2, y2, color_blue());
        else
            line(back_buffer, x1, y1, x2, y2, color_light_grey());
        return;
    }
    line(back_buffer, x1, y1, x2, y2, e == frame.blue_road ? color_blue() : 0);
    if (e == frame.cyan_road)
        line(back_buffer, x1, y1, x2, y2, color_cyan());
}

static void draw_node(const NODE* n)
{
    if (n == frame.blue_node)
        circlefill(back_buffer, n->x, n->y, 4, color_blue());
    else
        circlefill(back_buffer, n->x, n->y, 3, 0);
    if (n == frame.cyan_node)
        circlefill(back_buffer, n->x, n->y, frame.cyan_radius, color_cyan());
}

static void reset_frame(int screen)
{
    frame.screen = screen;
    frame.line_free = true;
    frame.blue_road = frame.cyan_road = nullptr;
    frame.blue_node = frame.cyan_node = nullptr;
    frame.road_texts.clear();
    frame.node_texts.clear();
    dirty.clear();
}

// The whole map with nothing hovered or selected, composed in back_buffer.
static void build_layer(int screen, BITMAP* bitmap)
{
    reset_frame(screen);
    draw_underlay();
    for (EDGE* e = edge_list; e; e = e->next)
        draw_road(e);
    for (NODE* n = node_list; n; n = n->next)
        draw_node(n);
    blit(back_buffer, bitmap, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
}

// True when the screen's layer shows the map as it is now. A map that changed
// since the last frame is likely being dragged, so the layer is rebuilt only
// once the map has stayed the same for a frame; until then frames are drawn in full.
static bool layer_ready(int screen)
{
    const bool settled = version_seen && last_version == map_version;
    version_seen = true;
    last_version = map_version;
    LAYER& l = layers[screen];
    if (l.built && l.version == map_version && l.background == shown_background) {
        update_grid();
        return true;
    }
    if (!settled)
        return false;
    if (!l.bitmap)
        l.bitmap = create_bitmap(SCREEN_W, SCREEN_H);
    if (!l.bitmap)
        return false;
    update_grid();
    build_layer(screen, l.bitmap);
    l.built = true;
    l.version = map_version;
    l.background = shown_background;
    return true;
}

static void mark_text(const char* text)
{
    const int x = 10, y = SCREEN_H - 13;
    box_cells(x, y, x + text_length(font, text) - 1, y + text_height(font) - 1, dirty);
}

static void add_text(std::vector<TEXT_EVENT>& texts, int position, const char* text)
{
    texts.push_back(TEXT_EVENT{position, ""});
    std::snprintf(texts.back().text, sizeof texts.back().text, "%s", text);
    mark_text(text);
}

static void edge_text(const EDGE* e, char* text, int size)
{
    std::snprintf(text, size, "%s - %s: %d", e->from->name, e->to->name, e->length);
}

// The editing screen's hovered road and node, and their texts.
static void plan_edit_hover(bool texts)
{
    char text[96];
    const int road = current_sprite != cursor_hover ? first_road_hit(mouse_x, mouse_y) : -1;
    if (road >= 0) {
        frame.blue_road = road_at(road);
        road_cells(frame.blue_road, dirty);
        edge_text(frame.blue_road, text, sizeof text);
        if (texts)
            add_text(frame.road_texts, road, text);
    }
    const int node = first_node_hit(mouse_x, mouse_y);
    if (node >= 0) {
        frame.blue_node = node_at(node);
        node_cells(frame.blue_node, dirty);
        if (texts)
            add_text(frame.node_texts, node, frame.blue_node->name);
    }
}

// The selected road or current node in cyan, with its text; 1 when it lies
// off the grid, where its place in the list cannot be found.
static int plan_edit_selection()
{
    char text[96];
    if (selected_edge) {
        const int at = road_position(selected_edge);
        if (at < 0)
            return 1;
        frame.cyan_road = selected_edge;
        road_cells(selected_edge, dirty);
        edge_text(selected_edge, text, sizeof text);
        add_text(frame.road_texts, at, text);
    }
    if (current_node) {
        const int at = node_position(current_node);
        if (at < 0)
            return 1;
        frame.cyan_node = current_node;
        frame.cyan_radius = 3;
        node_cells(current_node, dirty);
        add_text(frame.node_texts, at, current_node->name);
    }
    return 0;
}

// The editing screen's changes. A prompt hides the hover texts and the selection.
static int plan_edit()
{
    frame.line_free = status_text[0] == '\0';
    if (!frame.line_free) {
        char text[96];
        std::snprintf(text, sizeof text, "%s %s", status_text, file_name);
        mark_text(text);
    }
    plan_edit_hover(frame.line_free && !selected_edge && !current_node);
    return frame.line_free ? plan_edit_selection() : 0;
}

// The solve screen's changes: every road under the pointer prints its text.
static void plan_solve()
{
    char text[96];
    static std::vector<int> roads;
    roads.clear();
    if (current_sprite != cursor_hover)
        roads_hit(mouse_x, mouse_y, roads);
    for (int road : roads) {
        edge_text(road_at(road), text, sizeof text);
        add_text(frame.road_texts, road, text);
    }
    const int node = first_node_hit(mouse_x, mouse_y);
    if (node >= 0) {
        frame.blue_node = node_at(node);
        node_cells(frame.blue_node, dirty);
        std::snprintf(text, sizeof text, "%s: %" PRId64, frame.blue_node->name, frame.blue_node->label);
        add_text(frame.node_texts, node, text);
    }
    if (current_node) {
        frame.cyan_node = current_node;
        frame.cyan_radius = 4;
        node_cells(current_node, dirty);
    }
}

// Draws one list's items of a cell in list order, each text right after its
// item; texts of items outside the cell still go in, after the last.
static void draw_in_order(CELL_ITEMS items, const std::vector<TEXT_EVENT>& texts, bool roads)
{
    std::size_t t = 0;
    for (int i = 0; i < items.count; i++) {
        for (; t < texts.size() && texts[t].position < (int)items.first[i]; t++)
            print_status("%s", texts[t].text);
        if (roads)
            draw_road(road_at(items.first[i]));
        else
            draw_node(node_at(items.first[i]));
    }
    for (; t < texts.size(); t++)
        print_status("%s", texts[t].text);
}

// The cell as the full frame draws it, clipped to the cell.
static void redraw_cell(int cell)
{
    int x1, y1, x2, y2;
    cell_rect(cell, &x1, &y1, &x2, &y2);
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, SCREEN_W - 1);
    y2 = std::min(y2, SCREEN_H - 1);
    if (x1 > x2 || y1 > y2)
        return;
    set_clip_rect(back_buffer, x1, y1, x2, y2);
    draw_underlay();
    draw_in_order(cell_roads(cell), frame.road_texts, true);
    draw_in_order(cell_nodes(cell), frame.node_texts, false);
    set_clip_rect(back_buffer, 0, 0, SCREEN_W - 1, SCREEN_H - 1);
}

static void redraw_dirty_cells()
{
    marked.assign(grid_cells(), 0);
    clean_dirty.clear();
    for (int cell : dirty)
        if (!marked[cell]) {
            marked[cell] = 1;
            clean_dirty.push_back(cell);
        }
    for (int cell : clean_dirty)
        redraw_cell(cell);
}

static bool by_position(const TEXT_EVENT& a, const TEXT_EVENT& b) { return a.position < b.position; }


int draw_cached_frame(int screen)
{
    if (mouse_x < 0 || mouse_y < 0 || mouse_x >= SCREEN_W || mouse_y >= SCREEN_H)
        return 1;   // the grid's hit search only reaches from inside the window
    if (!layer_ready(screen))
        return 1;
    reset_frame(screen);
    if (screen == LAYER_EDIT && plan_edit() != 0)
        return 1;
    if (screen == LAYER_SOLVE)
        plan_solve();
    std::stable_sort(frame.road_texts.begin(), frame.road_texts.end(), by_position);
    std::stable_sort(frame.node_texts.begin(), frame.node_texts.end(), by_position);
    blit(layers[screen].bitmap, back_buffer, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    redraw_dirty_cells();
    // The sprite ends as the full frame leaves it: the hover image over a node.
    set_sprite(frame.blue_node ? cursor_hover : cursor_normal);
    return 0;
}
