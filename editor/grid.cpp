// The grid of cells over the map that lists, per cell, the roads and nodes
// lying there, in list order. Built from the two lists in one pass each;
// after that it follows the map's log of edits, cell by cell, while the log
// tells the whole story and the edits stay inside the grid.
#include "grid.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "network/network.h"
#include "viewport.h"

// How far from the pointer, in window pixels, the geometry of an item that
// it hits can lie: a node's hit square reaches 9 pixels from its centre
// along each axis, a road's corridor within its grown box under 7 from its
// segment; half a pixel more for the rounding of each end.
enum { NODE_REACH = 10, ROAD_REACH = 8 };
enum { CELLS_MIN = 4096, ENTRIES_PER_CELL = 4 };

// The records of one list by key, and each cell's keys.
struct ORDER {
    std::vector<const void*> listed;   // the records of the last full build, head first
    std::vector<const void*> added;    // records added at the head since, oldest first
    std::vector<std::vector<std::uint32_t>> cells;   // per cell, its keys ascending
};

static GRID_SHAPE shape;
static bool built = false;
static unsigned built_version;
static ORDER roads, nodes;
static std::vector<int> found;                   // scratch of a query or a build
static std::vector<int> before, after;           // scratch of an edit's cells
static std::vector<BOX> pending;                 // boxes the edits followed since the view took them
static int pending_state = GRID_SAME;            // GRID_* since then

// The grid covers the map and the original screen with room around them to
// edit in; its cells hold a few entries each on average.
static void place_grid()
{
    long long x1 = 0, y1 = 0, x2 = SCREEN_W, y2 = SCREEN_H;
    long count = 0, road_count = 0;
    for (const NODE* n = node_list; n; n = n->next, count++) {
        x1 = std::min<long long>(x1, n->x), x2 = std::max<long long>(x2, n->x);
        y1 = std::min<long long>(y1, n->y), y2 = std::max<long long>(y2, n->y);
    }
    for (const EDGE* e = edge_list; e; e = e->next)
        road_count++;
    const long long margin = std::max((x2 - x1) / 8, std::max((y2 - y1) / 8, 64LL));
    x1 -= margin, y1 -= margin, x2 += margin, y2 += margin;
    const double want = std::max((double)CELLS_MIN, (double)(count + road_count) / ENTRIES_PER_CELL);
    long long cell = 2;   // a cell of one unit would list most short roads four times
    while ((double)((x2 - x1) / cell + 1) * (double)((y2 - y1) / cell + 1) > want)
        cell *= 2;
    shape = GRID_SHAPE{x1, y1, cell, (int)((x2 - x1) / cell + 1), (int)((y2 - y1) / cell + 1), count, road_count};
}

GRID_SHAPE grid_shape() { return shape; }

// Column or row of a map coordinate, clamped to [-1, count]: -1 and count stand for outside.
static int cell_index(long long p, long long origin, int count)
{
    long long d = p - origin;
    long long i = d >= 0 ? d / shape.cell : -1;
    return i >= count ? count : (int)i;
}

static bool inside(long long x, long long y)
{
    return x >= shape.x && y >= shape.y && x < shape.x + shape.cell * shape.cols &&
           y < shape.y + shape.cell * shape.rows;
}

static void box_cells(const BOX& b, std::vector<int>& cells)
{
    int c0 = std::max(cell_index(b.x1, shape.x, shape.cols), 0);
    int c1 = std::min(cell_index(b.x2, shape.x, shape.cols), shape.cols - 1);
    int r0 = std::max(cell_index(b.y1, shape.y, shape.rows), 0);
    int r1 = std::min(cell_index(b.y2, shape.y, shape.rows), shape.rows - 1);
    for (int r = r0; r <= r1; r++)
        for (int c = c0; c <= c1; c++)
            cells.push_back(r * shape.cols + c);
}

// The cells the segment passes through. One no longer than a cell takes the
// cells of its box, which holds those.
static void segment_cells(long long x1, long long y1, long long x2, long long y2, std::vector<int>& cells)
{
    const long long lo = std::min(x1, x2), hi = std::max(x1, x2);
    const long long top = std::min(y1, y2), bottom = std::max(y1, y2);
    if (hi - lo <= shape.cell || bottom - top <= shape.cell) {
        box_cells(BOX{lo, top, hi, bottom}, cells);
        return;
    }
    int c0 = std::max(cell_index(lo, shape.x, shape.cols), 0);
    int c1 = std::min(cell_index(hi, shape.x, shape.cols), shape.cols - 1);
    const double slope = ((double)y2 - y1) / ((double)x2 - x1);
    for (int c = c0; c <= c1; c++) {
        // The part of the segment in this column, then its rows.
        long long left = shape.x + c * shape.cell;
        long long a = std::max(left, lo), b = std::min(left + shape.cell - 1, hi);
        double ya = y1 + (a - x1) * slope, yb = y1 + (b - x1) * slope;
        if (ya > yb)
            std::swap(ya, yb);
        int r0 = std::max(cell_index((long long)std::floor(ya) - 1, shape.y, shape.rows), 0);
        int r1 = std::min(cell_index((long long)std::ceil(yb) + 1, shape.y, shape.rows), shape.rows - 1);
        for (int r = r0; r <= r1; r++)
            cells.push_back(r * shape.cols + c);
    }
}

static void road_cells(const EDGE* e, std::vector<int>& cells)
{
    segment_cells(e->from->x, e->from->y, e->to->x, e->to->y, cells);
}

static void node_cells(const NODE* n, std::vector<int>& cells) { box_cells(BOX{n->x, n->y, n->x, n->y}, cells); }

static const void* record_at(const ORDER& o, std::uint32_t key)
{
    return key >= GRID_FIRST_KEY ? o.listed[key - GRID_FIRST_KEY] : o.added[GRID_FIRST_KEY - 1 - key];
}

static void forget_record(ORDER* o, std::uint32_t key)
{
    if (key >= GRID_FIRST_KEY)
        o->listed[key - GRID_FIRST_KEY] = nullptr;
    else
        o->added[GRID_FIRST_KEY - 1 - key] = nullptr;
}

// Walked in list order, so each cell's keys come in ascending. A first walk
// counts each cell's entries, so that every list is made once at its size:
// a continent's grid is then built without copies and without spare room.
template <typename T> static void item_cells(const T* r, std::vector<int>& cells)
{
    if constexpr (std::is_same_v<T, EDGE>)
        road_cells(r, cells);
    else
        node_cells(r, cells);
}

template <typename T> static void build_order(ORDER* o, T* head, long count)
{
    o->listed.clear();
    o->listed.reserve(count);
    o->added.clear();
    o->cells.assign((std::size_t)shape.cols * shape.rows, {});
    std::vector<std::uint32_t> sizes(o->cells.size(), 0);
    for (T* r = head; r; r = r->next) {
        found.clear();
        item_cells(r, found);
        for (int cell : found)
            sizes[cell]++;
    }
    for (std::size_t c = 0; c < sizes.size(); c++)
        o->cells[c].reserve(sizes[c]);
    std::uint32_t key = GRID_FIRST_KEY;
    for (T* r = head; r; r = r->next, key++) {
        found.clear();
        item_cells(r, found);
        for (int cell : found)
            o->cells[cell].push_back(key);
        o->listed.push_back(r);
    }
}

// ---- following the log of edits ---------------------------------------------

// The key of `record` among the entries of `cell`; -1 when it is not there.
static long find_key(const ORDER& o, int cell, const void* record)
{
    for (std::uint32_t key : o.cells[cell])
        if (record_at(o, key) == record)
            return key;
    return -1;
}

// Moves a key out of the cells `from` and into the cells `to`; 1 when it was
// missing from one of `from`, so the lists no longer match the map.
static int move_key(ORDER* o, std::uint32_t key, const std::vector<int>& from, const std::vector<int>& to)
{
    for (int cell : from) {
        std::vector<std::uint32_t>& in = o->cells[cell];
        auto at = std::lower_bound(in.begin(), in.end(), key);
        if (at == in.end() || *at != key)
            return 1;
        in.erase(at);
    }
    for (int cell : to) {
        std::vector<std::uint32_t>& in = o->cells[cell];
        in.insert(std::lower_bound(in.begin(), in.end(), key), key);
    }
    return 0;
}

static void shape_cells(bool road, const int* p, std::vector<int>& cells)
{
    if (road)
        segment_cells(p[0], p[1], p[2], p[3], cells);
    else
        box_cells(BOX{p[0], p[1], p[0], p[1]}, cells);
}

static BOX shape_box(const int* p)
{
    return BOX{std::min(p[0], p[2]), std::min(p[1], p[3]), std::max(p[0], p[2]), std::max(p[1], p[3])};
}

// One logged change of a road or node list. A new record goes in at the
// head, below every key; the key of one that moved or went is found from its
// address in the first cell of where it was. An item leaving the grid asks
// for a new grid around the map.
static int apply_change(ORDER* o, const MAP_CHANGE& c, bool road, std::vector<BOX>& damaged)
{
    const bool added = c.kind == CHANGE_NODE_ADDED || c.kind == CHANGE_EDGE_ADDED;
    const bool removed = c.kind == CHANGE_NODE_REMOVED || c.kind == CHANGE_EDGE_REMOVED;
    before.clear();
    after.clear();
    if (!added) {
        shape_cells(road, c.before, before);
        damaged.push_back(shape_box(c.before));
    }
    if (!removed) {
        if (!inside(c.after[0], c.after[1]) || !inside(c.after[2], c.after[3]))
            return 1;
        shape_cells(road, c.after, after);
        damaged.push_back(shape_box(c.after));
    }
    long key;
    if (added) {
        if (o->added.size() + 2 >= GRID_FIRST_KEY)
            return 1;   // keys used up: a full build starts them afresh
        o->added.push_back(c.item);
        key = GRID_FIRST_KEY - (long)o->added.size();
    } else if (before.empty() || (key = find_key(*o, before[0], c.item)) < 0) {
        return 1;
    }
    if (removed)
        forget_record(o, (std::uint32_t)key);
    return move_key(o, (std::uint32_t)key, before, after);
}

// A moved node takes its roads with it. Each of its roads lists the cell of
// the node's old place, so they are found there without a walk of the map.
static int apply_move(const MAP_CHANGE& c, std::vector<BOX>& damaged)
{
    const NODE* node = (const NODE*)c.item;
    const int ox = c.before[0], oy = c.before[1];
    found.clear();
    box_cells(BOX{ox, oy, ox, oy}, found);
    if (found.empty())
        return 1;
    std::vector<std::uint32_t> moved;
    for (std::uint32_t key : roads.cells[found[0]]) {
        const EDGE* e = road_at(key);
        if (e->from == node || e->to == node)
            moved.push_back(key);
    }
    for (std::uint32_t key : moved) {
        const EDGE* e = road_at(key);
        const NODE* f = e->from;
        const NODE* t = e->to;
        MAP_CHANGE road{CHANGE_EDGE_RESHAPED, e,
                        {f == node ? ox : f->x, f == node ? oy : f->y, t == node ? ox : t->x, t == node ? oy : t->y},
                        {f == node ? c.after[0] : f->x, f == node ? c.after[1] : f->y,
                         t == node ? c.after[0] : t->x, t == node ? c.after[1] : t->y}};
        if (apply_change(&roads, road, true, damaged) != 0)
            return 1;
    }
    return apply_change(&nodes, c, false, damaged);
}

// 1 when the log does not tell the whole story since the last build.
static int apply_log(std::vector<BOX>& damaged)
{
    if (map_changes.lost || map_changes.from != built_version || map_changes.to != map_version)
        return 1;
    // The roads of a moved node are found from the place of their other end
    // now, so a log that moves two nodes is not followed.
    const void* moved = nullptr;
    for (int i = 0; i < map_changes.count; i++) {
        const MAP_CHANGE& c = map_changes.list[i];
        if (c.kind == CHANGE_NODE_MOVED && moved && moved != c.item)
            return 1;
        if (c.kind == CHANGE_NODE_MOVED)
            moved = c.item;
    }
    for (int i = 0; i < map_changes.count; i++) {
        const MAP_CHANGE& c = map_changes.list[i];
        const bool road = c.kind == CHANGE_EDGE_ADDED || c.kind == CHANGE_EDGE_REMOVED ||
                          c.kind == CHANGE_EDGE_RESHAPED;
        int failed = c.kind == CHANGE_NODE_MOVED ? apply_move(c, damaged)
                                                 : apply_change(road ? &roads : &nodes, c, road, damaged);
        if (failed)
            return 1;
    }
    return 0;
}

void update_grid()
{
    if (built && built_version == map_version)
        return;
    const std::size_t had = pending.size();
    int full = !built || apply_log(pending) != 0;
    if (full) {
        pending.resize(had);
        place_grid();
        build_order(&roads, edge_list, shape.roads);
        build_order(&nodes, node_list, shape.nodes);
    }
    forget_changes();
    built = true;
    built_version = map_version;
    pending_state = std::max<int>(pending_state, full ? GRID_REBUILT : GRID_FOLLOWED);
}

int take_grid_changes(std::vector<BOX>& damaged)
{
    update_grid();
    const int state = pending_state;
    damaged.swap(pending);
    pending.clear();
    pending_state = GRID_SAME;
    return state;
}

void drop_grid()
{
    built = false;
    roads = ORDER{};
    nodes = ORDER{};
    pending.clear();
    pending_state = GRID_SAME;
}

void keep_grid()
{
    if (built && map_changes.count == 0 && !map_changes.lost && map_changes.from == built_version) {
        forget_changes();
        built_version = map_version;
    }
}

// The key of a record from the first cell of its place; -1 when not listed.
long road_key(const EDGE* e)
{
    found.clear();
    road_cells(e, found);
    return found.empty() ? -1 : find_key(roads, found[0], e);
}

long node_key(const NODE* n)
{
    found.clear();
    node_cells(n, found);
    return found.empty() ? -1 : find_key(nodes, found[0], n);
}

bool cell_has_roads(int col, int row) { return !roads.cells[(std::size_t)row * shape.cols + col].empty(); }
EDGE* road_at(std::uint32_t key) { return (EDGE*)record_at(roads, key); }
NODE* node_at(std::uint32_t key) { return (NODE*)record_at(nodes, key); }

static void box_keys(const ORDER& o, const BOX& box, std::vector<std::uint32_t>& keys)
{
    keys.clear();
    found.clear();
    box_cells(box, found);
    for (int cell : found)
        keys.insert(keys.end(), o.cells[cell].begin(), o.cells[cell].end());
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
}

void box_roads(const BOX& box, std::vector<std::uint32_t>& keys) { box_keys(roads, box, keys); }
void box_nodes(const BOX& box, std::vector<std::uint32_t>& keys) { box_keys(nodes, box, keys); }

long box_road_entries(const BOX& box)
{
    long count = 0;
    found.clear();
    box_cells(box, found);
    for (int cell : found)
        count += (long)roads.cells[cell].size();
    return count;
}

BOX window_box(const XFORM& t, int x1, int y1, int x2, int y2)
{
    return BOX{(long long)std::floor(t.ox + x1 / t.scale), (long long)std::floor(t.oy + y1 / t.scale),
               (long long)std::ceil(t.ox + x2 / t.scale), (long long)std::ceil(t.oy + y2 / t.scale)};
}

// The map box that a square of `reach` pixels around the window point covers.
static BOX reach_box(const XFORM& t, int px, int py, int reach)
{
    return window_box(t, px - reach, py - reach, px + reach, py + reach);
}

static bool road_hit(const XFORM& t, const EDGE* e, int px, int py)
{
    return hit_segment(screen_x(t, e->from->x), screen_y(t, e->from->y), screen_x(t, e->to->x),
                       screen_y(t, e->to->y), px, py);
}

static bool node_hit(const XFORM& t, const NODE* n, int px, int py)
{
    return hit_square(screen_x(t, n->x), screen_y(t, n->y), px, py);
}

// The lowest key in the cells near the point whose record is hit there.
static long first_hit(const ORDER& o, const XFORM& t, int px, int py, bool road)
{
    long best = -1;
    found.clear();
    box_cells(reach_box(t, px, py, road ? ROAD_REACH : NODE_REACH), found);
    for (int cell : found)
        for (std::uint32_t key : o.cells[cell]) {
            if (best >= 0 && key >= best)
                break;
            const void* r = record_at(o, key);
            if (road ? road_hit(t, (const EDGE*)r, px, py) : node_hit(t, (const NODE*)r, px, py))
                best = key;
        }
    return best;
}

EDGE* first_road_hit(const XFORM& t, int px, int py)
{
    update_grid();
    long key = first_hit(roads, t, px, py, true);
    return key < 0 ? nullptr : road_at((std::uint32_t)key);
}

NODE* first_node_hit(const XFORM& t, int px, int py)
{
    update_grid();
    long key = first_hit(nodes, t, px, py, false);
    return key < 0 ? nullptr : node_at((std::uint32_t)key);
}

void roads_hit(const XFORM& t, int px, int py, std::vector<EDGE*>& out)
{
    static std::vector<std::uint32_t> keys;
    update_grid();
    box_roads(reach_box(t, px, py, ROAD_REACH), keys);
    out.clear();
    for (std::uint32_t key : keys)
        if (road_hit(t, road_at(key), px, py))
            out.push_back(road_at(key));
}
