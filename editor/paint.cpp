// Drawing the map through the view. paint() is the whole frame of a screen
// restricted to a rectangle: the ground, the prompt, every road and node that
// can reach the rectangle in list order with its marks, clipped to it. Since
// the library clips pixel by pixel, the pixels inside are those of the whole
// frame, which lets a frame redraw only where its marks are.
#include "paint.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "editor.h"
#include "grid.h"
#include "network/network.h"

enum { BAND_REACH = 2, DISC_REACH = 4 };   // pixels past an item's place its drawing can reach
enum { FAR = 4096, NEAR = 8 };             // lines are cut to this far outside the window
static const double DISC_SPACE = 400.0;    // window pixels per node below which discs crowd
static const double ROAD_SPACE = 2.0;      // window pixels per road below which roads crowd

int color_white()      { return makecol(255, 255, 255); }
int color_grey()       { return makecol(128, 128, 128); }
int color_light_grey() { return makecol(192, 192, 192); }
int color_blue()       { return makecol(0, 0, 255); }
int color_cyan()       { return makecol(0, 192, 192); }

void print_status(BITMAP* to, const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    textout_ex(to, font, text, 10, SCREEN_H - 13, 0, color_white());
}

RECT status_rect(const char* text)
{
    return RECT{10, SCREEN_H - 13, 10 + std::max(text_length(font, text), 1) - 1, SCREEN_H - 13 + text_height(font) - 1};
}

// Decided from the grid's average: the same for every part of the window,
// and kept by edits until the grid is built again. At one unit a pixel or
// closer, nodes are always discs, as on the original screen.
DETAIL view_detail(const XFORM& t)
{
    const GRID_SHAPE g = grid_shape();
    const double area = (double)g.cols * g.rows * (double)g.cell * (double)g.cell * t.scale * t.scale;
    const bool cells = (double)g.cell * t.scale <= 1.0 || area < ROAD_SPACE * (double)g.roads;
    return DETAIL{cells, !cells && (t.scale >= 1.0 || area >= DISC_SPACE * (double)g.nodes)};
}

// ---- lines -------------------------------------------------------------------

// A line as line() draws it. Most roads of a dense map are a pixel or so
// long, and line() draws just their two ends: written straight into a memory
// bitmap, with the same clipping, they spare its calls per pixel.
template <typename PIXEL> static void put_pixel(BITMAP* bmp, int x, int y, PIXEL color)
{
    if (x >= bmp->cl && x < bmp->cr && y >= bmp->ct && y < bmp->cb)
        ((PIXEL*)bmp->line[y])[x] = color;
}

void draw_line(BITMAP* bmp, int x1, int y1, int x2, int y2, int color)
{
    const std::int64_t dx = (std::int64_t)x2 - x1, dy = (std::int64_t)y2 - y1;
    const int depth = bitmap_color_depth(bmp);
    if (dx < -1 || dx > 1 || dy < -1 || dy > 1 || !is_memory_bitmap(bmp) || !bmp->clip ||
        (depth != 16 && depth != 32)) {
        line(bmp, x1, y1, x2, y2, color);
    } else if (depth == 16) {
        put_pixel<std::uint16_t>(bmp, x1, y1, (std::uint16_t)color);
        put_pixel<std::uint16_t>(bmp, x2, y2, (std::uint16_t)color);
    } else {
        put_pixel<std::uint32_t>(bmp, x1, y1, (std::uint32_t)color);
        put_pixel<std::uint32_t>(bmp, x2, y2, (std::uint32_t)color);
    }
}

void draw_thick_line(BITMAP* bmp, int x1, int y1, int x2, int y2, int color)
{
    // Three copies shifted one pixel along x towards the `to` end, then three
    // along y; the centre line itself is not drawn.
    const int s = x1 < x2 ? 1 : -1;
    for (int k = 1; k >= -1; k--)
        line(bmp, x1 + s, y1 + k, x2 + s, y2 + k, color);
    const int t = y1 < y2 ? 1 : -1;
    for (int k = 1; k >= -1; k--)
        line(bmp, x1 + k, y1 + t, x2 + k, y2 + t, color);
}

// The window ends of a road. Zoomed in, an end can lie millions of pixels
// away, and the library walks every pixel of a line, seen or not: a line is
// cut to a box around the window first, the same way in every frame. On the
// original screen that box lies far out, so a map drawn in the window's
// pixels keeps the library's own lines. False when nothing is left.
static bool road_ends(const XFORM& t, const EDGE* e, int* p)
{
    p[0] = screen_x(t, e->from->x), p[1] = screen_y(t, e->from->y);
    p[2] = screen_x(t, e->to->x), p[3] = screen_y(t, e->to->y);
    const int far = t.scale == 1.0 && t.ox == 0 && t.oy == 0 ? FAR : NEAR;
    const double lo_x = -far, lo_y = -far, hi_x = SCREEN_W + far, hi_y = SCREEN_H + far;
    auto in = [&](int x, int y) { return x >= lo_x && x <= hi_x && y >= lo_y && y <= hi_y; };
    if (in(p[0], p[1]) && in(p[2], p[3]))
        return true;
    if ((p[0] < lo_x && p[2] < lo_x) || (p[0] > hi_x && p[2] > hi_x) ||
        (p[1] < lo_y && p[3] < lo_y) || (p[1] > hi_y && p[3] > hi_y))
        return false;   // wholly on one side: most roads of a large map in a close view
    // Liang-Barsky against the far box.
    double x1 = p[0], y1 = p[1], dx = (double)p[2] - p[0], dy = (double)p[3] - p[1];
    double a = 0, b = 1;
    const double q[4][2] = {{-dx, x1 - lo_x}, {dx, hi_x - x1}, {-dy, y1 - lo_y}, {dy, hi_y - y1}};
    for (const auto& c : q) {
        if (c[0] == 0) {
            if (c[1] < 0)
                return false;
        } else {
            double r = c[1] / c[0];
            if (c[0] < 0)
                a = std::max(a, r);
            else
                b = std::min(b, r);
        }
    }
    if (a > b)
        return false;
    p[0] = (int)std::lround(x1 + a * dx), p[1] = (int)std::lround(y1 + a * dy);
    p[2] = (int)std::lround(x1 + b * dx), p[3] = (int)std::lround(y1 + b * dy);
    return true;
}

RECT road_rect(const XFORM& t, const EDGE* e)
{
    int p[4];
    if (!road_ends(t, e, p))
        return RECT{1, 1, 0, 0};
    return RECT{std::min(p[0], p[2]) - BAND_REACH, std::min(p[1], p[3]) - BAND_REACH,
                std::max(p[0], p[2]) + BAND_REACH, std::max(p[1], p[3]) + BAND_REACH};
}

RECT node_rect(const XFORM& t, const NODE* n)
{
    const int x = screen_x(t, n->x), y = screen_y(t, n->y);
    return RECT{x - DISC_REACH, y - DISC_REACH, x + DISC_REACH, y + DISC_REACH};
}

RECT map_rect(const XFORM& t, long long x1, long long y1, long long x2, long long y2)
{
    return RECT{screen_x(t, x1) - DISC_REACH, screen_y(t, y1) - DISC_REACH,
                screen_x(t, x2) + DISC_REACH, screen_y(t, y2) + DISC_REACH};
}

// The map box whose items can draw inside r.
static BOX reach_box(const XFORM& t, const RECT& r)
{
    const int reach = DISC_REACH + 1;
    return window_box(t, r.x1 - reach, r.y1 - reach, r.x2 + reach, r.y2 + reach);
}

// ---- the ground ----------------------------------------------------------------

// The picture covers the map's first units one a pixel and repeats beyond,
// like paper under the whole map; each window pixel takes the picture pixel
// under its centre, so at one unit a pixel it is a plain copy.
template <typename PIXEL> static void sample_picture(BITMAP* to, BITMAP* pic, const XFORM& t, int rows)
{
    std::vector<int> col(to->w);
    for (int x = 0; x < to->w; x++) {
        long long mx = (long long)std::floor(t.ox + (x + 0.5) / t.scale);
        col[x] = (int)(((mx % pic->w) + pic->w) % pic->w);
    }
    for (int y = 0; y < rows; y++) {
        long long my = (long long)std::floor(t.oy + (y + 0.5) / t.scale);
        const PIXEL* src = (const PIXEL*)pic->line[((my % pic->h) + pic->h) % pic->h];
        PIXEL* dst = (PIXEL*)to->line[y];
        for (int x = 0; x < to->w; x++)
            dst[x] = src[col[x]];
    }
}

static void draw_background(BITMAP* to, BITMAP* pic, const XFORM& t)
{
    const int depth = bitmap_color_depth(to);
    if (!pic || bitmap_color_depth(pic) != depth || (depth != 16 && depth != 32)) {
        clear_to_color(to, color_white());
        if (pic)
            blit(pic, to, 0, 0, 0, 0, pic->w, pic->h);
        return;
    }
    if (depth == 16)
        sample_picture<std::uint16_t>(to, pic, t, to->h);
    else
        sample_picture<std::uint32_t>(to, pic, t, to->h);
}

static void print_labels(BITMAP* to, bool solve)
{
    textout_ex(to, font, solve ? "Ries" : "Load", 360, SCREEN_H - 13, 0, color_white());
    textout_ex(to, font, solve ? "????" : "Save", 414, SCREEN_H - 13, 0, color_white());
}

void make_ground(BITMAP* ground, const XFORM& t, bool solve)
{
    const int h = SCREEN_H;
    set_clip_rect(ground, 0, 0, ground->w - 1, ground->h - 1);
    draw_background(ground, shown_background, t);
    rectfill(ground, 0, h - 23, 458, h, color_grey());
    rectfill(ground, 0, h - 18, 345, h, color_white());
    rectfill(ground, 350, h - 18, 399, h, color_white());
    rectfill(ground, 404, h - 18, 453, h, color_white());
    print_labels(ground, solve);
}

// ---- roads and nodes -----------------------------------------------------------

// Plain black lines and discs drawn once per place: maps can hold many
// roads between the same points (a continent drawn into a window's pixels
// does), and black over black changes nothing, so the copies are skipped.
// An open-addressed set of packed window positions, emptied for each paint.
static std::vector<std::uint64_t> drawn_at;
static bool skip_copies = false;

static void forget_drawn(std::size_t items)
{
    std::size_t size = 64;
    while (size < 2 * items)
        size *= 2;
    drawn_at.assign(size, 0);
}

// True the first time a place is seen since forget_drawn; places are window
// positions within the box roads are cut to, 16 bits each. Once a mark is
// drawn in other colours, later copies must cover it again: marks end the
// skipping for the rest of the paint (they lie in small rectangles).
static bool first_drawn(int a, int b, int c = 0, int d = 0)
{
    if (!skip_copies)
        return true;
    const std::uint64_t key = 1 + ((std::uint64_t)(std::uint16_t)a | (std::uint64_t)(std::uint16_t)b << 16 |
                                   (std::uint64_t)(std::uint16_t)c << 32 | (std::uint64_t)(std::uint16_t)d << 48);
    const std::size_t mask = drawn_at.size() - 1;
    for (std::size_t i = (key * 0x9E3779B97F4A7C15u) >> 40 & mask;; i = (i + 1) & mask) {
        if (drawn_at[i] == key)
            return false;
        if (drawn_at[i] == 0) {
            drawn_at[i] = key;
            return true;
        }
    }
}

static void road_text(BITMAP* to, const EDGE* e)
{
    print_status(to, "%s - %s: %d", e->from->name, e->to->name, e->length);
}

static void edit_road(BITMAP* to, const XFORM& t, const EDGE* e, const MARKS& m, bool drawn)
{
    int p[4];
    const bool ends = road_ends(t, e, p);
    const bool nothing_selected = !m.selected && !m.current;
    if (e == m.hover_road || e == m.selected)
        skip_copies = false;
    if (e == m.hover_road) {
        if (ends)
            draw_line(to, p[0], p[1], p[2], p[3], color_blue());
        if (nothing_selected && m.line_free)
            road_text(to, e);
    } else if (drawn && ends && first_drawn(p[0], p[1], p[2], p[3])) {
        draw_line(to, p[0], p[1], p[2], p[3], 0);
    }
    if (e == m.selected && m.line_free) {
        if (ends)
            draw_line(to, p[0], p[1], p[2], p[3], color_cyan());
        road_text(to, e);
    }
}

static void solve_road(BITMAP* to, const XFORM& t, const EDGE* e, const MARKS& m, bool drawn, bool prints)
{
    int p[4];
    if (drawn && road_ends(t, e, p)) {
        if (e->state == STATE_TREE)
            draw_thick_line(to, p[0], p[1], p[2], p[3], color_blue());
        else
            draw_line(to, p[0], p[1], p[2], p[3], color_light_grey());
    }
    if (prints)
        road_text(to, e);
    (void)m;
}

static void edit_node(BITMAP* to, const XFORM& t, const NODE* n, const MARKS& m, bool discs)
{
    const int x = screen_x(t, n->x), y = screen_y(t, n->y);
    const bool nothing_selected = !m.selected && !m.current;
    if (n == m.hover_node || n == m.current)
        skip_copies = false;
    if (n == m.hover_node) {
        circlefill(to, x, y, 4, color_blue());
        if (nothing_selected && m.line_free)
            print_status(to, "%s", n->name);
    } else if (discs && first_drawn(x, y)) {
        circlefill(to, x, y, 3, 0);
    }
    if (n == m.current && m.line_free) {
        circlefill(to, x, y, 3, color_cyan());
        print_status(to, "%s", n->name);
    }
}

static void solve_node(BITMAP* to, const XFORM& t, const NODE* n, const MARKS& m, bool discs)
{
    const int x = screen_x(t, n->x), y = screen_y(t, n->y);
    if (n == m.hover_node || n == m.current)
        skip_copies = false;
    if (n == m.hover_node) {
        circlefill(to, x, y, 4, color_blue());
        print_status(to, "%s: %" PRId64, n->name, n->label);
    } else if (discs && first_drawn(x, y)) {
        circlefill(to, x, y, 3, 0);
    }
    if (n == m.current)
        circlefill(to, x, y, 4, color_cyan());
}

// The cells that hold roads, each filled, a pixel at least: the map seen
// from far away, or too dense for its roads to be told apart.
static void paint_cells(BITMAP* to, const XFORM& t, const BOX& b, int color)
{
    const GRID_SHAPE g = grid_shape();
    const int c0 = (int)std::max(0LL, (b.x1 - g.x) / g.cell), c1 = (int)std::min<long long>(g.cols - 1, (b.x2 - g.x) / g.cell);
    const int r0 = (int)std::max(0LL, (b.y1 - g.y) / g.cell), r1 = (int)std::min<long long>(g.rows - 1, (b.y2 - g.y) / g.cell);
    for (int r = r0; r <= r1; r++) {
        const int y1 = screen_y(t, g.y + r * g.cell), y2 = std::max(y1, screen_y(t, g.y + (r + 1) * g.cell) - 1);
        if (y2 < to->ct || y1 >= to->cb)
            continue;
        for (int c = c0; c <= c1; c++) {
            if (!cell_has_roads(c, r))
                continue;
            const int x1 = screen_x(t, g.x + c * g.cell), x2 = std::max(x1, screen_x(t, g.x + (c + 1) * g.cell) - 1);
            if (x1 == x2 && y1 == y2)
                putpixel(to, x1, y1, color);
            else
                rectfill(to, x1, y1, x2, y2, color);
        }
    }
}

// Where a frame's status texts go: printed into a bitmap, or measured into
// one rectangle over all of them.
struct TEXTS {
    BITMAP* to;   // printed here, or when null measured into r
    RECT r;
    bool any;     // r holds a text
};

static void put_text(TEXTS* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
static void put_text(TEXTS* out, const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (out->to) {
        print_status(out->to, "%s", text);
        return;
    }
    const RECT t = status_rect(text);
    if (!out->any || t.x2 > out->r.x2)
        out->r = t;
    out->any = true;
}

static void put_road_text(TEXTS* out, const EDGE* e)
{
    put_text(out, "%s - %s: %d", e->from->name, e->to->name, e->length);
}

// The texts of the marked items, in the order the passes print them.
static void mark_texts(TEXTS* out, const MARKS& m)
{
    const bool nothing_selected = !m.selected && !m.current;
    if (m.solve) {
        if (m.texts)
            for (const EDGE* e : *m.texts)
                put_road_text(out, e);
        if (m.hover_node)
            put_text(out, "%s: %" PRId64, m.hover_node->name, m.hover_node->label);
        return;
    }
    if (!m.line_free)
        return;
    // Hover texts need an empty selection, so at most one road and one node print.
    if (nothing_selected && m.hover_road)
        put_road_text(out, m.hover_road);
    if (m.selected)
        put_road_text(out, m.selected);
    if (nothing_selected && m.hover_node)
        put_text(out, "%s", m.hover_node->name);
    if (m.current)
        put_text(out, "%s", m.current->name);
}

static void print_texts(BITMAP* to, const MARKS& m)
{
    TEXTS out{to, {}, false};
    mark_texts(&out, m);
}

bool text_rect(const MARKS& m, RECT* r)
{
    TEXTS out{nullptr, {}, false};
    if (!m.solve && !m.line_free)
        put_text(&out, "%s %s", status_text, file_name);
    mark_texts(&out, m);
    *r = out.r;
    return out.any;
}

static void add_key(std::vector<std::uint32_t>& keys, long key)
{
    if (key >= 0)
        keys.push_back((std::uint32_t)key);
}

// The keys of what can draw in the box, and of the marked items wherever
// they are (their texts print in their turn), in list order.
static void road_keys(const BOX& b, const MARKS& m, bool cells, std::vector<std::uint32_t>& keys)
{
    if (cells && !m.solve)
        keys.clear();
    else
        box_roads(b, keys);
    const EDGE* marked[] = {m.hover_road, m.selected};
    for (const EDGE* e : marked)
        if (e)
            add_key(keys, road_key(e));
    if (m.texts)
        for (const EDGE* e : *m.texts)
            add_key(keys, road_key(e));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
}

static void node_keys(const BOX& b, const MARKS& m, bool discs, std::vector<std::uint32_t>& keys)
{
    if (discs)
        box_nodes(b, keys);
    else
        keys.clear();
    const NODE* marked[] = {m.hover_node, m.current};
    for (const NODE* n : marked)
        if (n)
            add_key(keys, node_key(n));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
}

static bool in_texts(const MARKS& m, const EDGE* e)
{
    return m.texts && std::find(m.texts->begin(), m.texts->end(), e) != m.texts->end();
}

static void paint_road(BITMAP* to, const XFORM& t, const EDGE* e, const MARKS& m, bool cells)
{
    if (m.solve)
        solve_road(to, t, e, m, !cells || e->state == STATE_TREE, in_texts(m, e));
    else
        edit_road(to, t, e, m, !cells);
}

// The editing screen's prompt line; the button labels, drawn after it, stay on top.
static void print_prompt(BITMAP* to, const MARKS& m)
{
    if (m.solve || m.line_free)
        return;
    print_status(to, "%s %s", status_text, file_name);
    print_labels(to, false);
}

// Away from the original screen a map runs under the bottom bar, which then
// lies over it with its texts, so they can be read over a dense city.
static void bar_over_map(BITMAP* to, BITMAP* ground, const RECT& r, const MARKS& m)
{
    const int x2 = std::min(r.x2, 458), y1 = std::max(r.y1, SCREEN_H - 23);
    if (r.x1 > x2 || y1 > r.y2)
        return;
    blit(ground, to, r.x1, y1, r.x1, y1, x2 - r.x1 + 1, r.y2 - y1 + 1);
    print_prompt(to, m);
    print_texts(to, m);
}

void paint(BITMAP* to, BITMAP* ground, const RECT& r, const XFORM& t, const DETAIL& d, const MARKS& m)
{
    static std::vector<std::uint32_t> keys;
    if (r.x1 > r.x2 || r.y1 > r.y2)
        return;
    set_clip_rect(to, r.x1, r.y1, r.x2, r.y2);
    blit(ground, to, r.x1, r.y1, r.x1, r.y1, r.x2 - r.x1 + 1, r.y2 - r.y1 + 1);
    print_prompt(to, m);
    const BOX b = reach_box(t, r);
    if (d.cells)
        paint_cells(to, t, b, m.solve ? color_light_grey() : 0);
    // Most of a large map in sight: its list is quicker to walk than to sort.
    const bool whole = r.x1 <= 0 && r.y1 <= 0 && r.x2 >= to->w - 1 && r.y2 >= to->h - 1;
    if (whole && (m.solve || !d.cells) && box_road_entries(b) > grid_shape().roads / 4) {
        for (const EDGE* e = edge_list; e; e = e->next)
            paint_road(to, t, e, m, d.cells);
    } else {
        road_keys(b, m, d.cells, keys);
        forget_drawn(keys.size());
        skip_copies = !m.solve;
        for (std::uint32_t key : keys)
            paint_road(to, t, road_at(key), m, d.cells);
        skip_copies = false;
    }
    node_keys(b, m, d.discs, keys);
    forget_drawn(keys.size());
    skip_copies = true;
    for (std::uint32_t key : keys)
        m.solve ? solve_node(to, t, node_at(key), m, d.discs) : edit_node(to, t, node_at(key), m, d.discs);
    skip_copies = false;
    if (!view_is_default())
        bar_over_map(to, ground, r, m);
    set_clip_rect(to, 0, 0, to->w - 1, to->h - 1);
}
