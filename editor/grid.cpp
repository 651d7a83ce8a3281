// The grid of cells over the window that lists, per cell, the roads and nodes
// drawing there, in list order. Built from the two lists in one pass each;
// after that it follows the map's log of edits, cell by cell, while the log
// tells the whole story. Queries never walk the whole map.
#include "grid.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "network/network.h"

// How far an item's pixels reach beyond its geometry: a band's copies lie a
// pixel off the line and each rounds half a pixel across its own direction;
// a hovered node's disc has radius 4.
enum { ROAD_MARGIN = 2, NODE_MARGIN = 4 };
// How far from the pointer a hit can lie: a node's hit square reaches 9 pixels
// from its centre, a road's corridor 6.6 pixels (in x and in y) from its
// segment (under 4.3 past an end, under 5 across). The lists already reach
// the margins above beyond the items, so the search reaches the rest.
enum { ROAD_REACH = 7 - ROAD_MARGIN, NODE_REACH = 9 - NODE_MARGIN };

// The records of one list by key, and each cell's keys.
struct ORDER {
    std::vector<const void*> listed;   // the records of the last full build, head first
    std::vector<const void*> added;    // records added at the head since, oldest first
    std::vector<std::vector<std::uint32_t>> cells;   // per cell, its keys ascending
};

static int origin_x, origin_y, cols, rows;
static bool built = false;
static unsigned built_version;
static ORDER roads, nodes;
static std::vector<int> found;                   // scratch of a query or a build
static std::vector<int> before, after;           // scratch of an edit's cells
static std::vector<std::uint32_t> moved;         // keys of the roads of the node the last update dragged
static int dragged = -1;                         // key of that node, -1 when the update did more
static int dragged_x, dragged_y;                 // where it was before the update

// The grid reaches past the window by more than any hit test can, and its
// rows are placed so that the status line's text falls in one row of cells.
static void place_grid()
{
    origin_x = -GRID_CELL;
    origin_y = (SCREEN_H - 13) % GRID_CELL - 2 * GRID_CELL;
    cols = (SCREEN_W + NODE_REACH - origin_x) / GRID_CELL + 1;
    rows = (SCREEN_H + NODE_REACH - origin_y) / GRID_CELL + 1;
}

int grid_cells() { return cols * rows; }

void cell_rect(int cell, int* x1, int* y1, int* x2, int* y2)
{
    *x1 = origin_x + (cell % cols) * GRID_CELL;
    *y1 = origin_y + (cell / cols) * GRID_CELL;
    *x2 = *x1 + GRID_CELL - 1;
    *y2 = *y1 + GRID_CELL - 1;
}

// Column or row of a pixel coordinate, clamped to [-1, count]: -1 and count stand for outside.
static int cell_index(std::int64_t p, int origin, int count)
{
    std::int64_t d = p - origin;
    std::int64_t i = d >= 0 ? d / GRID_CELL : -1;
    return i >= count ? count : (int)i;
}

void box_cells(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
               std::vector<int>& cells)
{
    int c0 = std::max(cell_index(x1, origin_x, cols), 0);
    int c1 = std::min(cell_index(x2, origin_x, cols), cols - 1);
    int r0 = std::max(cell_index(y1, origin_y, rows), 0);
    int r1 = std::min(cell_index(y2, origin_y, rows), rows - 1);
    for (int r = r0; r <= r1; r++)
        for (int c = c0; c <= c1; c++)
            cells.push_back(r * cols + c);
}

// The cells within `margin` pixels, in x and in y, of the segment. A segment
// no longer than a cell takes the cells of its box, which holds those.
static void segment_cells(int x1, int y1, int x2, int y2, int margin, std::vector<int>& cells)
{
    const std::int64_t lo = std::min(x1, x2), hi = std::max(x1, x2);
    const std::int64_t top = std::min(y1, y2), bottom = std::max(y1, y2);
    if (hi - lo <= GRID_CELL || bottom - top <= GRID_CELL) {
        box_cells(lo - margin, top - margin, hi + margin, bottom + margin, cells);
        return;
    }
    int c0 = std::max(cell_index(lo - margin, origin_x, cols), 0);
    int c1 = std::min(cell_index(hi + margin, origin_x, cols), cols - 1);
    const double slope = ((double)y2 - y1) / ((double)x2 - x1);
    for (int c = c0; c <= c1; c++) {
        // The part of the segment within `margin` of this column, then its rows.
        std::int64_t left = origin_x + c * GRID_CELL;
        std::int64_t a = std::max(left - margin, lo), b = std::min(left + GRID_CELL - 1 + margin, hi);
        double ya = y1 + (a - x1) * slope, yb = y1 + (b - x1) * slope;
        if (ya > yb)
            std::swap(ya, yb);
        int r0 = std::max(cell_index((std::int64_t)std::floor(ya) - margin, origin_y, rows), 0);
        int r1 = std::min(cell_index((std::int64_t)std::ceil(yb) + margin, origin_y, rows), rows - 1);
        for (int r = r0; r <= r1; r++)
            cells.push_back(r * cols + c);
    }
}

void road_cells(const EDGE* e, std::vector<int>& cells)
{
    segment_cells(e->from->x, e->from->y, e->to->x, e->to->y, ROAD_MARGIN, cells);
}

static void place_cells(std::int64_t x, std::int64_t y, std::vector<int>& cells)
{
    box_cells(x - NODE_MARGIN, y - NODE_MARGIN, x + NODE_MARGIN, y + NODE_MARGIN, cells);
}

void node_cells(const NODE* n, std::vector<int>& cells) { place_cells(n->x, n->y, cells); }

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

static void start_order(ORDER* o)
{
    o->listed.clear();
    o->added.clear();
    o->cells.resize(grid_cells());
    for (std::vector<std::uint32_t>& cell : o->cells)
        cell.clear();
}

// Walked in list order, so each cell's keys come in ascending.
template <typename T> static void build_order(ORDER* o, T* head)
{
    start_order(o);
    std::uint32_t key = GRID_FIRST_KEY;
    for (T* r = head; r; r = r->next, key++) {
        found.clear();
        if constexpr (std::is_same_v<T, EDGE>)
            road_cells(r, found);
        else
            node_cells(r, found);
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
static int move_key(ORDER* o, std::uint32_t key, const std::vector<int>& from,
                    const std::vector<int>& to)
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

// One logged change of a road or node list. A new record goes in at the
// head, below every key; the old cells of one that moved or went are found
// from where it was, and its key from its address in the first of them.
static int apply_change(ORDER* o, const MAP_CHANGE& c, bool road, std::vector<int>& damaged)
{
    before.clear();
    after.clear();
    const int* b = c.before;
    const int* a = c.after;
    if (c.kind != CHANGE_NODE_ADDED && c.kind != CHANGE_EDGE_ADDED)
        road ? segment_cells(b[0], b[1], b[2], b[3], ROAD_MARGIN, before) : place_cells(b[0], b[1], before);
    if (c.kind != CHANGE_NODE_REMOVED && c.kind != CHANGE_EDGE_REMOVED)
        road ? segment_cells(a[0], a[1], a[2], a[3], ROAD_MARGIN, after) : place_cells(a[0], a[1], after);
    damaged.insert(damaged.end(), before.begin(), before.end());
    damaged.insert(damaged.end(), after.begin(), after.end());
    const bool added = c.kind == CHANGE_NODE_ADDED || c.kind == CHANGE_EDGE_ADDED;
    long key;
    if (added) {
        if (o->added.size() + 2 >= GRID_FIRST_KEY)
            return 1;   // keys used up: a full build starts them afresh
        o->added.push_back(c.item);
        key = GRID_FIRST_KEY - (long)o->added.size();
    } else if (before.empty()) {
        return after.empty() ? 0 : 1;   // off the grid before: its key is not to be found
    } else if ((key = find_key(*o, before[0], c.item)) < 0) {
        return 1;
    }
    if (c.kind == CHANGE_NODE_REMOVED || c.kind == CHANGE_EDGE_REMOVED)
        forget_record(o, (std::uint32_t)key);
    return move_key(o, (std::uint32_t)key, before, after);
}

// A drag moves one node, maybe several times, and its roads with it. Each of
// its roads lists the cell of the node's old place, so they are found there
// without a walk of the map; their other ends stayed where they were.
static int apply_drag(std::vector<int>& damaged)
{
    const MAP_CHANGE& first = map_changes.list[0];
    for (int i = 1; i < map_changes.count; i++)
        if (map_changes.list[i].kind != CHANGE_NODE_MOVED || map_changes.list[i].item != first.item)
            return 1;
    const NODE* node = (const NODE*)first.item;
    const int ox = first.before[0], oy = first.before[1];
    found.clear();
    box_cells(ox, oy, ox, oy, found);
    if (found.empty())
        return 1;
    moved.clear();
    for (std::uint32_t key : roads.cells[found[0]]) {
        const EDGE* e = road_at(key);
        if (e->from == node || e->to == node)
            moved.push_back(key);
    }
    for (std::uint32_t key : moved) {
        const EDGE* e = road_at(key);
        const NODE* f = e->from;
        const NODE* t = e->to;
        MAP_CHANGE c{CHANGE_EDGE_RESHAPED, e,
                     {f == node ? ox : f->x, f == node ? oy : f->y, t == node ? ox : t->x, t == node ? oy : t->y},
                     {f->x, f->y, t->x, t->y}};
        if (apply_change(&roads, c, true, damaged) != 0)
            return 1;
    }
    MAP_CHANGE c = first;
    c.after[0] = c.after[2] = node->x;
    c.after[1] = c.after[3] = node->y;
    if (apply_change(&nodes, c, false, damaged) != 0)
        return 1;
    dragged = node_key(node);
    dragged_x = ox;
    dragged_y = oy;
    return 0;
}

// 1 when the log does not tell the whole story since the last build, or
// holds what only a full build follows: a drag mixed with other edits.
static int apply_log(std::vector<int>& damaged)
{
    if (map_changes.lost || map_changes.from != built_version || map_changes.to != map_version)
        return 1;
    if (map_changes.count > 0 && map_changes.list[0].kind == CHANGE_NODE_MOVED)
        return apply_drag(damaged);
    for (int i = 0; i < map_changes.count; i++) {
        const MAP_CHANGE& c = map_changes.list[i];
        if (c.kind == CHANGE_NODE_MOVED)
            return 1;
        const bool road = c.kind == CHANGE_EDGE_ADDED || c.kind == CHANGE_EDGE_REMOVED ||
                          c.kind == CHANGE_EDGE_RESHAPED;
        if (apply_change(road ? &roads : &nodes, c, road, damaged) != 0)
            return 1;
    }
    return 0;
}

int update_grid(std::vector<int>& cells)
{
    if (built && built_version == map_version)
        return 0;
    const std::size_t had = cells.size();
    dragged = -1;
    int full = !built || apply_log(cells) != 0;   // a drag sets `dragged` only when it applied
    if (full) {
        cells.resize(had);
        place_grid();
        build_order(&roads, edge_list);
        build_order(&nodes, node_list);
    }
    forget_changes();
    built = true;
    built_version = map_version;
    return full;
}

int dragged_node(std::vector<std::uint32_t>& road_keys, int* x, int* y)
{
    road_keys = moved;
    *x = dragged_x;
    *y = dragged_y;
    return dragged;
}

CELL_ITEMS cell_roads(int cell) { return CELL_ITEMS{roads.cells[cell].data(), (int)roads.cells[cell].size()}; }
CELL_ITEMS cell_nodes(int cell) { return CELL_ITEMS{nodes.cells[cell].data(), (int)nodes.cells[cell].size()}; }
EDGE* road_at(std::uint32_t key) { return (EDGE*)record_at(roads, key); }
NODE* node_at(std::uint32_t key) { return (NODE*)record_at(nodes, key); }

int road_key(const EDGE* edge)
{
    found.clear();
    segment_cells(edge->from->x, edge->from->y, edge->to->x, edge->to->y, 0, found);
    return found.empty() ? -1 : (int)find_key(roads, found[0], edge);
}

int node_key(const NODE* node)
{
    found.clear();
    box_cells(node->x, node->y, node->x, node->y, found);
    return found.empty() ? -1 : (int)find_key(nodes, found[0], node);
}

void roads_hit(int px, int py, std::vector<int>& keys)
{
    keys.clear();
    found.clear();
    box_cells(px - ROAD_REACH, py - ROAD_REACH, px + ROAD_REACH, py + ROAD_REACH, found);
    for (int cell : found)
        for (std::uint32_t key : roads.cells[cell])
            if (hit_edge(road_at(key), px, py))
                keys.push_back((int)key);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
}

// The lowest key in the cells near the point whose record `hit` says is there.
static int first_hit(const ORDER& o, int reach, int px, int py, bool road)
{
    long best = -1;
    found.clear();
    box_cells(px - reach, py - reach, px + reach, py + reach, found);
    for (int cell : found)
        for (std::uint32_t key : o.cells[cell]) {
            if (best >= 0 && key >= best)
                break;
            const void* r = record_at(o, key);
            if (road ? hit_edge((const EDGE*)r, px, py) : hit_node((const NODE*)r, px, py))
                best = key;
        }
    return (int)best;
}

int first_road_hit(int px, int py) { return first_hit(roads, ROAD_REACH, px, py, true); }
int first_node_hit(int px, int py) { return first_hit(nodes, NODE_REACH, px, py, false); }
