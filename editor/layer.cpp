// The cached layers and the frames composed from them. A frame is the layer
// plus a few changed items: hovered or selected roads and nodes and the
// status-line texts. The items go over the layer's copy pixel by pixel, where
// the owner map says no later item covers them; each cell a text touches is
// redrawn from scratch with everything listed there, in the order of the full
// frame, so the picture is the same pixel for pixel. Edits redraw the cells
// they changed into the layers the same way, and the owner map's cells when
// a frame next reads them. A dragged node and its roads leave the editing
// layer and the owner map, and come back, only at the pixels they showed.
#include "layer.h"

#include <allegro.h>

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <vector>

#include "editor.h"
#include "grid.h"
#include "network/network.h"
#include "solve_mode.h"
#include "view.h"

struct LAYER {
    BITMAP* bitmap;
    bool built;
    BITMAP* background;        // shown_background it shows
    std::vector<int> stale;    // cells edits changed since it was drawn, once each
    std::vector<char> marked;  // per cell: in `stale`
};

// A status-line text printed right after the item with key `position` in its list.
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
    int keys[4];             // grid keys of the four above, -1 for none
    std::vector<TEXT_EVENT> road_texts, node_texts;
};

// The owner map holds, per pixel of the editing layer, the id of the item
// drawn last there: 0 for the underlay, then the roads by key, then the nodes
// by key, so that a higher id is drawn later. Nodes draw the same pixels on
// both screens and after every road, so it serves solve mode's nodes too.
enum : std::uint32_t { NODE_IDS = 1u << 31 };

static LAYER layers[2];
static FRAME frame;
static BITMAP* owners;               // 32-bit: the owner id of each pixel of the editing layer
static std::vector<char> owners_stale; // per cell: to be redrawn before it is read
static BITMAP* shapes;               // 16-bit: white but for the item being put over a frame
static std::vector<int> dirty;       // cells to redraw; may repeat
static std::vector<char> marked;     // per cell: already in `clean_dirty`
static std::vector<int> clean_dirty; // the cells, once each
static std::vector<int> changed;     // cells the latest edits changed; may repeat
// The node being dragged and its roads float: they are left out of the
// editing layer and the owner map and put over every frame like a hovered
// item, so that a drag frame redraws no cells, however far its roads reach.
static std::vector<std::uint32_t> floating;   // their owner ids, ascending
static std::uint64_t floating_bits;           // bit id % 64 of each: most other ids miss it
static std::vector<int> floating_cells;       // the cells they lay in at the latest frame
static bool leave_floating = false;           // cell redraws skip them (into the editing layer)
static std::vector<std::uint32_t> drag_roads; // scratch
static const NODE* drag_node;                 // the node the latest update dragged
static int drag_from_x, drag_from_y;          // where it was before that update
// Items that start to float leave the editing layer and the owner map only
// where they were drawn last: those pixels are drawn anew, in scratch, from
// the items beneath them, and copied back.
static std::vector<std::uint32_t> rising;     // their owner ids, ascending
static std::uint64_t rising_bits;             // as floating_bits
static BITMAP* under;                // 16-bit scratch: their shapes, then the underlay
static BITMAP* under_owners;         // 32-bit scratch: the owner map being drawn anew
static std::vector<char> uncovered;  // per cell: done this frame
static std::vector<int> item_cells;  // scratch: the cells of an item put over a frame

static void draw_underlay()
{
    if (frame.screen == LAYER_SOLVE)
        draw_solve_underlay();
    else
        draw_edit_underlay(frame.line_free);
}

static void draw_road(BITMAP* bmp, const EDGE* e)
{
    const int x1 = e->from->x, y1 = e->from->y, x2 = e->to->x, y2 = e->to->y;
    if (frame.screen == LAYER_SOLVE) {
        if (e->state == STATE_TREE)
            draw_thick_line(bmp, x1, y1, x2, y2, color_blue());
        else
            draw_line(bmp, x1, y1, x2, y2, color_light_grey());
        return;
    }
    draw_line(bmp, x1, y1, x2, y2, e == frame.blue_road ? color_blue() : 0);
    if (e == frame.cyan_road)
        draw_line(bmp, x1, y1, x2, y2, color_cyan());
}

// A disc as circlefill draws it, written span by span straight into a memory
// bitmap: the same pixels, as its spans are read off circlefill itself, at a
// fraction of the cost. Cell redraws at a million roads draw hundreds of
// discs per cell, clipped to the cell.
enum { DISC_RADII = 8 };
struct DISC {
    bool read;
    int left[2 * DISC_RADII + 1];    // per row from the top: the span's offsets from
    int right[2 * DISC_RADII + 1];   // the centre, right < left where it has none
};
static DISC discs[DISC_RADII + 1];

static const DISC* disc_of(int radius)
{
    DISC* d = &discs[radius];
    BITMAP* b = d->read ? nullptr : create_bitmap_ex(8, 2 * radius + 1, 2 * radius + 1);
    if (!b)
        return d->read ? d : nullptr;
    clear_to_color(b, 0);
    circlefill(b, radius, radius, radius, 1);
    for (int y = 0; y <= 2 * radius; y++) {
        d->left[y] = radius + 1;
        d->right[y] = -radius - 1;
        for (int x = 0; x <= 2 * radius; x++)
            if (getpixel(b, x, y)) {
                d->left[y] = std::min(d->left[y], x - radius);
                d->right[y] = std::max(d->right[y], x - radius);
            }
    }
    destroy_bitmap(b);
    d->read = true;
    return d;
}

template <typename PIXEL> static void fill_spans(BITMAP* bmp, const DISC* d, int x, int y, int radius, PIXEL color)
{
    if ((std::int64_t)x + radius < bmp->cl || (std::int64_t)x - radius >= bmp->cr ||
        (std::int64_t)y + radius < bmp->ct || (std::int64_t)y - radius >= bmp->cb)
        return;   // also keeps the sums below from overflowing for far-off nodes
    const int top = std::max(y - radius, bmp->ct), bottom = std::min(y + radius, bmp->cb - 1);
    for (int row = top; row <= bottom; row++) {
        const int a = std::max(x + d->left[row - y + radius], bmp->cl);
        const int b = std::min(x + d->right[row - y + radius], bmp->cr - 1);
        PIXEL* line = (PIXEL*)bmp->line[row];
        for (int k = a; k <= b; k++)
            line[k] = color;
    }
}

static void fill_disc(BITMAP* bmp, int x, int y, int radius, int color)
{
    const DISC* d = radius >= 0 && radius <= DISC_RADII ? disc_of(radius) : nullptr;
    const int depth = bitmap_color_depth(bmp);
    if (!d || !is_memory_bitmap(bmp) || !bmp->clip || (depth != 16 && depth != 32))
        circlefill(bmp, x, y, radius, color);
    else if (depth == 16)
        fill_spans<std::uint16_t>(bmp, d, x, y, radius, (std::uint16_t)color);
    else
        fill_spans<std::uint32_t>(bmp, d, x, y, radius, (std::uint32_t)color);
}

static void draw_node(BITMAP* bmp, const NODE* n)
{
    if (n == frame.blue_node)
        fill_disc(bmp, n->x, n->y, 4, color_blue());
    else
        fill_disc(bmp, n->x, n->y, 3, 0);
    if (n == frame.cyan_node)
        fill_disc(bmp, n->x, n->y, frame.cyan_radius, color_cyan());
}

static void reset_frame(int screen)
{
    frame.screen = screen;
    frame.line_free = true;
    frame.blue_road = frame.cyan_road = nullptr;
    frame.blue_node = frame.cyan_node = nullptr;
    std::fill(frame.keys, frame.keys + 4, -1);
    frame.road_texts.clear();
    frame.node_texts.clear();
    dirty.clear();
}

// The cell's pixels inside the window; false when none are.
static bool cell_box(int cell, int* x1, int* y1, int* x2, int* y2)
{
    cell_rect(cell, x1, y1, x2, y2);
    *x1 = std::max(*x1, 0);
    *y1 = std::max(*y1, 0);
    *x2 = std::min(*x2, SCREEN_W - 1);
    *y2 = std::min(*y2, SCREEN_H - 1);
    return *x1 <= *x2 && *y1 <= *y2;
}

static bool is_floating(std::uint32_t id)
{
    return (floating_bits >> (id % 64) & 1) && std::binary_search(floating.begin(), floating.end(), id);
}

static bool is_rising(std::uint32_t id)
{
    return (rising_bits >> (id % 64) & 1) && std::binary_search(rising.begin(), rising.end(), id);
}

static std::uint64_t id_bits(const std::vector<std::uint32_t>& ids)
{
    std::uint64_t bits = 0;
    for (std::uint32_t id : ids)
        bits |= 1ull << (id % 64);
    return bits;
}

// True when the item cannot draw inside the box: its ends, grown by the
// farthest its pixels reach from them (a band's copies, a hovered node's
// disc), lie all to one side. A cell lists items that only come near it.
static bool road_misses(const EDGE* e, const int* box)
{
    const std::int64_t ax = e->from->x, ay = e->from->y, bx = e->to->x, by = e->to->y;
    return std::max(ax, bx) + 2 < box[0] || std::min(ax, bx) - 2 > box[2] ||
           std::max(ay, by) + 2 < box[1] || std::min(ay, by) - 2 > box[3];
}

static bool node_misses(const NODE* n, const int* box)
{
    const std::int64_t x = n->x, y = n->y;
    return x + 4 < box[0] || x - 4 > box[2] || y + 4 < box[1] || y - 4 > box[3];
}

// ---- the owner map ------------------------------------------------------------

// Some pixels of a cell: a bit per pixel, a 16-bit word per row.
static_assert(GRID_CELL <= 16, "a cell row's pixels fit in a 16-bit mask");
struct PIXEL_MASK {
    std::uint16_t row[GRID_CELL];
    int box[4];   // the pixels set lie in it: x1 y1 x2 y2
};

// True when the box of pixels meets a pixel of the mask.
static bool meets(const PIXEL_MASK& m, const int* cell, std::int64_t x1, std::int64_t y1,
                  std::int64_t x2, std::int64_t y2)
{
    x1 = std::max<std::int64_t>(x1, m.box[0]);
    y1 = std::max<std::int64_t>(y1, m.box[1]);
    x2 = std::min<std::int64_t>(x2, m.box[2]);
    y2 = std::min<std::int64_t>(y2, m.box[3]);
    if (x1 > x2 || y1 > y2)
        return false;
    const unsigned bits = ((2u << (x2 - x1)) - 1) << (x1 - cell[0]);
    for (std::int64_t y = y1; y <= y2; y++)
        if (m.row[y - cell[1]] & bits)
            return true;
    return false;
}

static void add_pixel(PIXEL_MASK* m, const int* cell, int x, int y)
{
    m->row[y - cell[1]] |= (std::uint16_t)(1u << (x - cell[0]));
    m->box[0] = std::min(m->box[0], x);
    m->box[1] = std::min(m->box[1], y);
    m->box[2] = std::max(m->box[2], x);
    m->box[3] = std::max(m->box[3], y);
}

// The owner map at the mask's pixels of the cell, drawn anew from the items
// listed there that do not float and reach those pixels, in list order, in
// scratch first so that the other pixels stay as they are.
static void draw_owners(int cell, const PIXEL_MASK& m, const int* box)
{
    set_clip_rect(under_owners, m.box[0], m.box[1], m.box[2], m.box[3]);
    rectfill(under_owners, m.box[0], m.box[1], m.box[2], m.box[3], 0);
    CELL_ITEMS roads = cell_roads(cell);
    for (int i = 0; i < roads.count; i++) {
        const EDGE* e = road_at(roads.first[i]);
        const int ax = e->from->x, ay = e->from->y, bx = e->to->x, by = e->to->y;
        if (!is_floating(roads.first[i]) &&
            meets(m, box, std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)))
            draw_line(under_owners, ax, ay, bx, by, roads.first[i]);
    }
    CELL_ITEMS nodes = cell_nodes(cell);
    for (int i = 0; i < nodes.count; i++) {
        const NODE* n = node_at(nodes.first[i]);
        const std::uint32_t id = NODE_IDS + nodes.first[i];
        if (!is_floating(id) && meets(m, box, (std::int64_t)n->x - 3, (std::int64_t)n->y - 3,
                                      (std::int64_t)n->x + 3, (std::int64_t)n->y + 3))
            fill_disc(under_owners, n->x, n->y, 3, (int)id);
    }
    for (int y = m.box[1]; y <= m.box[3]; y++) {
        std::uint32_t* owner = (std::uint32_t*)owners->line[y];
        const std::uint32_t* beneath = (const std::uint32_t*)under_owners->line[y];
        for (int x = m.box[0]; x <= m.box[2]; x++)
            if (m.row[y - box[1]] >> (x - box[0]) & 1)
                owner[x] = beneath[x];
    }
}

static void redraw_owner_cell(int cell)
{
    int box[4];
    if (!cell_box(cell, &box[0], &box[1], &box[2], &box[3]))
        return;
    PIXEL_MASK whole{{}, {box[0], box[1], box[2], box[3]}};
    for (int y = box[1]; y <= box[3]; y++)
        whole.row[y - box[1]] = (std::uint16_t)((2u << (box[2] - box[0])) - 1);
    draw_owners(cell, whole, box);
}

// ---- the layers ---------------------------------------------------------------

// The whole map with nothing hovered or selected, composed in back_buffer.
static void build_layer(int screen, BITMAP* bitmap)
{
    reset_frame(screen);
    draw_underlay();
    for (EDGE* e = edge_list; e; e = e->next)
        draw_road(back_buffer, e);
    for (NODE* n = node_list; n; n = n->next)
        draw_node(back_buffer, n);
    blit(back_buffer, bitmap, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
}

static void mark_stale(LAYER* l, int cell)
{
    if (!l->built || l->marked[cell])
        return;
    l->marked[cell] = 1;
    l->stale.push_back(cell);
}

static void drop_floating()
{
    floating.clear();
    floating_bits = 0;
    floating_cells.clear();
}

// Before a full build of the editing layer: the floating items go back into
// the owner map with the cells they lie in, and nothing floats.
static void land()
{
    for (int cell : floating_cells) {
        owners_stale[cell] = 1;
        mark_stale(&layers[LAYER_EDIT], cell);
    }
    drop_floating();
}

static void put_item(std::uint32_t id, const EDGE* road, const NODE* node, BITMAP* out, bool own);

// Makes `ids` (ascending) the floating items. The others that floated go
// back into the editing layer and the owner map the way a hovered item goes
// over a frame, at the pixels where no item drawn after them covers them.
static void float_only(const std::vector<std::uint32_t>& ids)
{
    static std::vector<std::uint32_t> landing;
    landing.clear();
    std::set_difference(floating.begin(), floating.end(), ids.begin(), ids.end(), std::back_inserter(landing));
    floating = ids;
    floating_bits = id_bits(floating);
    LAYER& l = layers[LAYER_EDIT];
    reset_frame(LAYER_EDIT);   // drawn as the layer draws them: nothing hovered or selected
    for (std::uint32_t id : landing) {
        const EDGE* road = id < NODE_IDS ? road_at(id) : nullptr;
        const NODE* node = id >= NODE_IDS ? node_at(id - NODE_IDS) : nullptr;
        if (road || node)   // else gone with an edit, which marked its cells
            put_item(id, road, node, l.built ? l.bitmap : nullptr, true);
    }
}

// The pixels of the cell the rising items were drawn last at; false when none.
static bool rising_pixels(const int* cell, PIXEL_MASK* m)
{
    *m = PIXEL_MASK{{}, {cell[2], cell[3], cell[0], cell[1]}};
    for (int y = cell[1]; y <= cell[3]; y++) {
        const std::uint32_t* owner = (const std::uint32_t*)owners->line[y];
        for (int x = cell[0]; x <= cell[2]; x++)
            if (is_rising(owner[x]))
                add_pixel(m, cell, x, y);
    }
    return m->box[0] <= m->box[2];
}

// Where the owner map is stale: every pixel of the cell the rising items
// drew before the drag moved them, covered by later items or not.
static bool rising_shapes(const int* cell, PIXEL_MASK* m)
{
    set_clip_rect(under, cell[0], cell[1], cell[2], cell[3]);
    const int blank = color_white();
    rectfill(under, cell[0], cell[1], cell[2], cell[3], blank);
    for (std::uint32_t id : rising) {
        if (id >= NODE_IDS) {
            fill_disc(under, drag_from_x, drag_from_y, 3, 0);
            continue;
        }
        const EDGE* e = road_at(id);
        const bool from = e->from == drag_node, to = e->to == drag_node;
        draw_line(under, from ? drag_from_x : e->from->x, from ? drag_from_y : e->from->y,
                  to ? drag_from_x : e->to->x, to ? drag_from_y : e->to->y, 0);
    }
    *m = PIXEL_MASK{{}, {cell[2], cell[3], cell[0], cell[1]}};
    for (int y = cell[1]; y <= cell[3]; y++) {
        const std::uint16_t* pixels = (const std::uint16_t*)under->line[y];
        for (int x = cell[0]; x <= cell[2]; x++)
            if (pixels[x] != blank)
                add_pixel(m, cell, x, y);
    }
    return m->box[0] <= m->box[2];
}

// The editing layer at the mask's pixels, from the owner map: it draws every
// road and node black, nothing being hovered or selected, over the underlay.
static void layer_from_owners(BITMAP* layer, const PIXEL_MASK& m, const int* box)
{
    set_clip_rect(under, m.box[0], m.box[1], m.box[2], m.box[3]);
    BITMAP* frame_buffer = back_buffer;
    back_buffer = under;
    draw_underlay();
    back_buffer = frame_buffer;
    for (int y = m.box[1]; y <= m.box[3]; y++) {
        const std::uint32_t* owner = (const std::uint32_t*)owners->line[y];
        const std::uint16_t* underlay = (const std::uint16_t*)under->line[y];
        std::uint16_t* out = (std::uint16_t*)layer->line[y];
        for (int x = m.box[0]; x <= m.box[2]; x++)
            if (m.row[y - box[1]] >> (x - box[0]) & 1)
                out[x] = owner[x] ? 0 : underlay[x];
    }
}

// Takes the rising items out of the cell of the owner map and the editing
// layer: where they were drawn last, the items beneath show. A stale owner
// map is drawn anew first, without them, as the frame would.
static void uncover(int cell)
{
    int box[4];
    PIXEL_MASK m;
    if (uncovered[cell] || !cell_box(cell, &box[0], &box[1], &box[2], &box[3]))
        return;
    uncovered[cell] = 1;
    LAYER& l = layers[LAYER_EDIT];
    const bool owned = !owners_stale[cell];
    if (!owned) {
        redraw_owner_cell(cell);
        owners_stale[cell] = 0;
    }
    const bool layered = l.built && !l.marked[cell];   // else drawn in full soon
    if ((!owned && !layered) || !(owned ? rising_pixels(box, &m) : rising_shapes(box, &m)))
        return;
    if (owned)
        draw_owners(cell, m, box);
    if (layered)
        layer_from_owners(l.bitmap, m, box);
}

// After a drag on the editing screen its node and roads float, and those of
// an earlier drag that do not land; false when their cells are too many to
// put over every frame, and nothing floats. The ones that start to float are
// still drawn where they were, in the cells the grid just changed.
static bool float_drag(int node)
{
    static std::vector<std::uint32_t> ids;
    ids = drag_roads;   // ascending, and every road key is below every node id
    ids.push_back(NODE_IDS + (std::uint32_t)node);
    floating_cells.clear();
    for (std::size_t k = 0; k + 1 < ids.size(); k++)
        road_cells(road_at(ids[k]), floating_cells);
    node_cells(drag_node, floating_cells);
    if ((int)floating_cells.size() > grid_cells() / 4) {
        float_only({});
        floating_cells.clear();
        return false;
    }
    rising.clear();
    std::set_difference(ids.begin(), ids.end(), floating.begin(), floating.end(), std::back_inserter(rising));
    rising_bits = id_bits(rising);
    float_only(ids);
    if (rising.empty())
        return true;
    uncovered.assign(grid_cells(), 0);
    reset_frame(LAYER_EDIT);
    for (int cell : changed)
        uncover(cell);
    return true;
}

// Brings the grid up to date with the map, and tells the owner map and both
// layers which cells they now show wrong; 1 when out of memory. The owner map
// is redrawn only in the cells a frame reads, which are few: a full build of
// it would cost as much as a layer's, and most of it would never be read.
static int follow_map(int screen)
{
    if (!owners)
        owners = create_bitmap_ex(32, SCREEN_W, SCREEN_H);
    if (!under_owners)
        under_owners = create_bitmap_ex(32, SCREEN_W, SCREEN_H);
    if (!under)
        under = create_bitmap(SCREEN_W, SCREEN_H);
    if (!shapes && (shapes = create_bitmap(SCREEN_W, SCREEN_H)))
        clear_to_color(shapes, color_white());
    if (!owners || !shapes || !under || !under_owners)
        return 1;
    changed.clear();
    if (update_grid(changed) != 0) {
        layers[LAYER_EDIT].built = layers[LAYER_SOLVE].built = false;
        owners_stale.assign(grid_cells(), 1);
        drop_floating();   // everything is redrawn, floating items included
        return 0;
    }
    if (changed.empty() && screen == LAYER_EDIT)
        return 0;
    // A drag changes only what floats after it; any other edit lands everything.
    const int node = dragged_node(drag_roads, &drag_from_x, &drag_from_y);
    drag_node = node >= 0 ? node_at(node) : nullptr;
    const bool floats = screen == LAYER_EDIT && node >= 0 && float_drag(node);
    if (!floats)
        float_only({});
    for (int cell : changed) {
        if (!floats) {
            owners_stale[cell] = 1;
            mark_stale(&layers[LAYER_EDIT], cell);
        }
        mark_stale(&layers[LAYER_SOLVE], cell);
    }
    return 0;
}

static void redraw_cell(int cell);

// True when the screen's layer shows the map as it is now: rebuilt after a
// change the log does not tell or a new background, else redrawn in the cells
// edits changed, unless those are so many that a full build is quicker.
static bool layer_ready(int screen)
{
    if (follow_map(screen) != 0)
        return false;
    LAYER& l = layers[screen];
    if (!l.bitmap)
        l.bitmap = create_bitmap(SCREEN_W, SCREEN_H);
    if (!l.bitmap)
        return false;
    if (!l.built || l.background != shown_background || (int)l.stale.size() > grid_cells() / 4) {
        if (screen == LAYER_EDIT)
            land();   // a full build draws every item
        build_layer(screen, l.bitmap);
        l.built = true;
        l.background = shown_background;
        l.marked.assign(grid_cells(), 0);
        l.stale.clear();
        return true;
    }
    // The cells are drawn straight into the layer as they would be into a frame.
    BITMAP* frame_buffer = back_buffer;
    back_buffer = l.bitmap;
    reset_frame(screen);
    leave_floating = true;
    for (int cell : l.stale) {
        redraw_cell(cell);
        l.marked[cell] = 0;
    }
    leave_floating = false;
    l.stale.clear();
    back_buffer = frame_buffer;
    return true;
}

// ---- planning a frame -----------------------------------------------------------

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
        frame.keys[0] = road;
        edge_text(frame.blue_road, text, sizeof text);
        if (texts)
            add_text(frame.road_texts, road, text);
    }
    const int node = first_node_hit(mouse_x, mouse_y);
    if (node >= 0) {
        frame.blue_node = node_at(node);
        frame.keys[2] = node;
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
        const int at = road_key(selected_edge);
        if (at < 0)
            return 1;
        frame.cyan_road = selected_edge;
        frame.keys[1] = at;
        edge_text(selected_edge, text, sizeof text);
        add_text(frame.road_texts, at, text);
    }
    if (current_node) {
        const int at = node_key(current_node);
        if (at < 0)
            return 1;
        frame.cyan_node = current_node;
        frame.cyan_radius = 3;
        frame.keys[3] = at;
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
static int plan_solve()
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
        frame.keys[2] = node;
        std::snprintf(text, sizeof text, "%s: %" PRId64, frame.blue_node->name, frame.blue_node->label);
        add_text(frame.node_texts, node, text);
    }
    if (current_node) {
        frame.keys[3] = node_key(current_node);
        if (frame.keys[3] < 0)
            return 1;
        frame.cyan_node = current_node;
        frame.cyan_radius = 4;
    }
    return 0;
}

// ---- composing a frame -----------------------------------------------------------

// Puts one item, drawn as this frame draws it, over `out`: a pixel of it
// shows unless an item drawn after it in the full frame covers it there.
// Both frames draw the same pixels of the other items, so the owner map
// tells. With `own` the item goes into the owner map too. `out` may be null.
static void put_item(std::uint32_t id, const EDGE* road, const NODE* node, BITMAP* out, bool own)
{
    item_cells.clear();
    if (road) {
        draw_road(shapes, road);
        road_cells(road, item_cells);
    } else {
        draw_node(shapes, node);
        node_cells(node, item_cells);
    }
    const std::uint16_t blank = (std::uint16_t)color_white();
    for (int cell : item_cells) {
        int x1, y1, x2, y2;
        if (!cell_box(cell, &x1, &y1, &x2, &y2))
            continue;
        if (owners_stale[cell]) {
            redraw_owner_cell(cell);
            owners_stale[cell] = 0;
        }
        for (int y = y1; y <= y2; y++) {
            std::uint16_t* shape = (std::uint16_t*)shapes->line[y];
            std::uint16_t* pixels = out ? (std::uint16_t*)out->line[y] : nullptr;
            std::uint32_t* owner = (std::uint32_t*)owners->line[y];
            for (int x = x1; x <= x2; x++)
                if (shape[x] != blank) {
                    if (owner[x] <= id) {
                        if (pixels)
                            pixels[x] = shape[x];
                        if (own)
                            owner[x] = id;
                    }
                    shape[x] = blank;
                }
        }
    }
}

// The hovered and selected items and the floating ones, in the order the
// full frame draws them.
static void put_items()
{
    static std::vector<std::uint32_t> ids;
    ids = floating;
    for (int k = 0; k < 4; k++)
        if (frame.keys[k] >= 0)
            ids.push_back((std::uint32_t)frame.keys[k] + (k >= 2 ? (std::uint32_t)NODE_IDS : 0u));
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    for (std::uint32_t id : ids) {
        if (id >= NODE_IDS)
            put_item(id, nullptr, node_at(id - NODE_IDS), back_buffer, false);
        else
            put_item(id, road_at(id), nullptr, back_buffer, false);
    }
}

// Draws one list's items of a cell in list order, each text right after its
// item; texts of items outside the cell still go in, after the last.
static void draw_in_order(CELL_ITEMS items, const std::vector<TEXT_EVENT>& texts, bool roads,
                          const int* box)
{
    std::size_t t = 0;
    for (int i = 0; i < items.count; i++) {
        for (; t < texts.size() && texts[t].position < (int)items.first[i]; t++)
            print_status("%s", texts[t].text);
        if (leave_floating && is_floating(items.first[i] + (roads ? 0u : (std::uint32_t)NODE_IDS)))
            continue;
        if (roads) {
            const EDGE* e = road_at(items.first[i]);
            if (!road_misses(e, box))
                draw_road(back_buffer, e);
        } else {
            const NODE* n = node_at(items.first[i]);
            if (!node_misses(n, box))
                draw_node(back_buffer, n);
        }
    }
    for (; t < texts.size(); t++)
        print_status("%s", texts[t].text);
}

// The cell as the full frame draws it, clipped to the cell.
static void redraw_cell(int cell)
{
    int box[4];
    if (!cell_box(cell, &box[0], &box[1], &box[2], &box[3]))
        return;
    set_clip_rect(back_buffer, box[0], box[1], box[2], box[3]);
    draw_underlay();
    draw_in_order(cell_roads(cell), frame.road_texts, true, box);
    draw_in_order(cell_nodes(cell), frame.node_texts, false, box);
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
    if ((screen == LAYER_EDIT ? plan_edit() : plan_solve()) != 0)
        return 1;
    std::stable_sort(frame.road_texts.begin(), frame.road_texts.end(), by_position);
    std::stable_sort(frame.node_texts.begin(), frame.node_texts.end(), by_position);
    blit(layers[screen].bitmap, back_buffer, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    put_items();
    redraw_dirty_cells();
    // The sprite ends as the full frame leaves it: the hover image over a node.
    set_sprite(frame.blue_node ? cursor_hover : cursor_normal);
    return 0;
}
