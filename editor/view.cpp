// The frame pipeline, once a pass of every wait:
//  1. the grid follows the map's edits (grid.cpp);
//  2. the layer, this screen's plain map at this view with nothing marked, is
//     kept between frames: redrawn whole after a view step, a change of
//     screen or picture, or a change the grid could not follow; else redrawn
//     only where the edits were;
//  3. the layer is copied into back_buffer and each mark (hover, selection,
//     status texts) is painted over it in its rectangle, as the whole frame
//     has those pixels (paint.cpp);
//  4. the pointer image, and the copy to the screen when the frame differs
//     from the last one; an unchanged frame lets the input poll rest.
// With full_redraw set, steps 2 and 3 become one paint of the whole frame.
#include "view.h"

#include <cstring>
#include <vector>

#include "editor.h"
#include "grid.h"
#include "input.h"
#include "network/network.h"
#include "paint.h"
#include "viewport.h"

struct LAYER_KEY {
    bool solve;
    VIEW view;
    BITMAP* background;
    unsigned version;   // map_version the layer shows
    bool valid;
};

// What lies under the pointer, kept while neither it, the view nor the map moves.
struct HOVER_KEY {
    int x, y;
    bool solve, roads;
    VIEW view;
    unsigned version;
    bool valid;
};

static BITMAP *ground, *layer, *shown;
static LAYER_KEY ground_key, layer_key;
static HOVER_KEY hover_key;
static EDGE* hover_road;
static NODE* hover_node;
static std::vector<EDGE*> hover_roads;
static unsigned seen_version;   // map_version at the last frame's grid update
static std::vector<BOX> damaged;

void set_sprite(BITMAP* sprite)
{
    if (sprite == current_sprite)
        return;
    current_sprite = sprite;
    set_mouse_sprite(sprite);  // keeps the library's bookkeeping in step; never shown
}

void toggle_background()
{
    shown_background = shown_background ? nullptr : background_image;
}

void map_solved() { keep_grid(); }

void forget_frames()
{
    drop_grid();
    ground_key.valid = layer_key.valid = hover_key.valid = false;
}

static bool same_view(const VIEW& a, const VIEW& b)
{
    return a.base == b.base && a.level == b.level && a.x == b.x && a.y == b.y;
}

static BITMAP* screen_sized(BITMAP* bmp)
{
    return bmp ? bmp : create_bitmap(SCREEN_W, SCREEN_H);
}

static RECT whole_window() { return RECT{0, 0, SCREEN_W - 1, SCREEN_H - 1}; }

// Steps 1 and 2: the grid and the layer follow the map and the view.
static void keep_layer(bool solve, const XFORM& t, const DETAIL& d, int grid, unsigned before)
{
    LAYER_KEY now{solve, view, shown_background, map_version, true};
    if (!ground_key.valid || ground_key.solve != solve || !same_view(ground_key.view, view) ||
        ground_key.background != shown_background) {
        ground = screen_sized(ground);
        make_ground(ground, t, solve);
        ground_key = now;
    }
    if (full_redraw)
        return;
    layer = screen_sized(layer);
    const MARKS plain{solve, true, nullptr, nullptr, nullptr, nullptr, nullptr};
    const bool same_screen = layer_key.valid && layer_key.solve == solve &&
                             same_view(layer_key.view, view) && layer_key.background == shown_background;
    if (same_screen && grid == GRID_FOLLOWED && layer_key.version == before) {
        for (const BOX& b : damaged)
            paint(layer, ground, map_rect(t, b.x1, b.y1, b.x2, b.y2), t, d, plain);
    } else if (!same_screen || layer_key.version != map_version) {
        paint(layer, ground, whole_window(), t, d, plain);
    }
    layer_key = now;
}

static void find_hover(bool solve, const XFORM& t)
{
    const bool roads = current_sprite != cursor_hover;
    HOVER_KEY now{mouse_x, mouse_y, solve, roads, view, map_version, true};
    if (hover_key.valid && hover_key.x == now.x && hover_key.y == now.y && hover_key.solve == solve &&
        hover_key.roads == roads && same_view(hover_key.view, view) && hover_key.version == map_version)
        return;
    hover_key = now;
    hover_road = !solve && roads ? first_road_hit(t, mouse_x, mouse_y) : nullptr;
    hover_roads.clear();
    if (solve && roads)
        roads_hit(t, mouse_x, mouse_y, hover_roads);
    hover_node = first_node_hit(t, mouse_x, mouse_y);
}

// Step 3: each mark's rectangle painted over the layer.
static void paint_marks(const XFORM& t, const DETAIL& d, const MARKS& m)
{
    RECT r;
    if (m.hover_road)
        paint(back_buffer, ground, road_rect(t, m.hover_road), t, d, m);
    if (m.selected && m.line_free)
        paint(back_buffer, ground, road_rect(t, m.selected), t, d, m);
    if (m.hover_node)
        paint(back_buffer, ground, node_rect(t, m.hover_node), t, d, m);
    if (m.current && (m.solve || m.line_free))
        paint(back_buffer, ground, node_rect(t, m.current), t, d, m);
    if (text_rect(m, &r))
        paint(back_buffer, ground, r, t, d, m);
}

// Step 4. The frame is kept as shown; an unchanged one is not copied again.
static void present_frame()
{
    if (current_sprite)
        draw_sprite(back_buffer, current_sprite, mouse_x, mouse_y);
    const std::size_t row = (std::size_t)SCREEN_W * ((bitmap_color_depth(back_buffer) + 7) / 8);
    bool same = shown != nullptr;
    for (int y = 0; same && y < SCREEN_H; y++)
        same = std::memcmp(shown->line[y], back_buffer->line[y], row) == 0;
    if (!same) {
        shown = screen_sized(shown);
        blit(back_buffer, shown, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
        blit(back_buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    }
    poll_input(same);
}

static void draw_frame(bool solve)
{
    const unsigned before = seen_version;
    const int grid = take_grid_changes(damaged);
    seen_version = map_version;
    const XFORM t = view_xform();
    const DETAIL d = view_detail(t);
    keep_layer(solve, t, d, grid, before);
    find_hover(solve, t);
    // The pointer image: hovering a road shows the hover image only until the
    // node pass, which ends with it exactly when a node lies under the pointer.
    set_sprite(hover_node ? cursor_hover : cursor_normal);
    MARKS m{solve, status_text[0] == '\0', hover_road, hover_node, solve ? nullptr : selected_edge,
            current_node, solve ? &hover_roads : nullptr};
    if (full_redraw) {
        paint(back_buffer, ground, whole_window(), t, d, m);
    } else {
        blit(layer, back_buffer, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
        paint_marks(t, d, m);
    }
    present_frame();
}

void draw_edit_view() { draw_frame(false); }
void draw_solve_view() { draw_frame(true); }
