// The grid of cells over the window that lists, per cell, the roads and nodes
// drawing there, in list order. Built from the two lists in one pass each when
// map_version has moved; queries never walk the whole map.
#include "grid.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>

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

struct CELL_ENTRY {
    int cell;
    std::uint32_t position;
};

static int origin_x, origin_y, cols, rows;
static bool built = false;
static unsigned built_version;
static std::vector<EDGE*> edges;                 // edge_list by position
static std::vector<NODE*> nodes;                 // node_list by position
static std::vector<std::uint32_t> road_first;    // cell c's roads: road_first[c] .. road_first[c+1]-1
static std::vector<std::uint32_t> road_entries;
static std::vector<std::uint32_t> node_first;
static std::vector<std::uint32_t> node_entries;
static std::vector<CELL_ENTRY> pairs;            // scratch of a build
static std::vector<int> found;                   // scratch of a query

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

void node_cells(const NODE* n, std::vector<int>& cells)
{
    const std::int64_t x = n->x, y = n->y;
    box_cells(x - NODE_MARGIN, y - NODE_MARGIN, x + NODE_MARGIN, y + NODE_MARGIN, cells);
}

// Sorts the (cell, position) pairs, made in list order, into per-cell lists.
static void fill_cells(std::vector<std::uint32_t>& first, std::vector<std::uint32_t>& entries)
{
    first.assign(grid_cells() + 1, 0);
    for (const CELL_ENTRY& p : pairs)
        first[p.cell + 1]++;
    for (int c = 0; c < grid_cells(); c++)
        first[c + 1] += first[c];
    std::vector<std::uint32_t> cursor(first.begin(), first.end() - 1);
    entries.resize(pairs.size());
    for (const CELL_ENTRY& p : pairs)
        entries[cursor[p.cell]++] = p.position;
}

static void build_roads()
{
    edges.clear();
    pairs.clear();
    for (EDGE* e = edge_list; e; e = e->next) {
        found.clear();
        road_cells(e, found);
        for (int cell : found)
            pairs.push_back(CELL_ENTRY{cell, (std::uint32_t)edges.size()});
        edges.push_back(e);
    }
    fill_cells(road_first, road_entries);
}

static void build_nodes()
{
    nodes.clear();
    pairs.clear();
    for (NODE* n = node_list; n; n = n->next) {
        found.clear();
        node_cells(n, found);
        for (int cell : found)
            pairs.push_back(CELL_ENTRY{cell, (std::uint32_t)nodes.size()});
        nodes.push_back(n);
    }
    fill_cells(node_first, node_entries);
}

void update_grid()
{
    if (built && built_version == map_version)
        return;
    place_grid();
    build_roads();
    build_nodes();
    built = true;
    built_version = map_version;
}

static CELL_ITEMS items(const std::vector<std::uint32_t>& first,
                        const std::vector<std::uint32_t>& entries, int cell)
{
    return CELL_ITEMS{entries.data() + first[cell], (int)(first[cell + 1] - first[cell])};
}

CELL_ITEMS cell_roads(int cell) { return items(road_first, road_entries, cell); }
CELL_ITEMS cell_nodes(int cell) { return items(node_first, node_entries, cell); }
EDGE* road_at(std::uint32_t position) { return edges[position]; }
NODE* node_at(std::uint32_t position) { return nodes[position]; }

int road_position(const EDGE* edge)
{
    found.clear();
    segment_cells(edge->from->x, edge->from->y, edge->to->x, edge->to->y, 0, found);
    if (found.empty())
        return -1;
    CELL_ITEMS in = cell_roads(found[0]);
    for (int i = 0; i < in.count; i++)
        if (edges[in.first[i]] == edge)
            return (int)in.first[i];
    return -1;
}

int node_position(const NODE* node)
{
    found.clear();
    box_cells(node->x, node->y, node->x, node->y, found);
    if (found.empty())
        return -1;
    CELL_ITEMS in = cell_nodes(found[0]);
    for (int i = 0; i < in.count; i++)
        if (nodes[in.first[i]] == node)
            return (int)in.first[i];
    return -1;
}

void roads_hit(int px, int py, std::vector<int>& positions)
{
    positions.clear();
    found.clear();
    box_cells(px - ROAD_REACH, py - ROAD_REACH, px + ROAD_REACH, py + ROAD_REACH, found);
    for (int cell : found) {
        CELL_ITEMS in = cell_roads(cell);
        for (int i = 0; i < in.count; i++)
            if (hit_edge(edges[in.first[i]], px, py))
                positions.push_back((int)in.first[i]);
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
}

int first_road_hit(int px, int py)
{
    int best = -1;
    found.clear();
    box_cells(px - ROAD_REACH, py - ROAD_REACH, px + ROAD_REACH, py + ROAD_REACH, found);
    for (int cell : found) {
        CELL_ITEMS in = cell_roads(cell);
        for (int i = 0; i < in.count && (best < 0 || (int)in.first[i] < best); i++)
            if (hit_edge(edges[in.first[i]], px, py))
                best = (int)in.first[i];
    }
    return best;
}

int first_node_hit(int px, int py)
{
    int best = -1;
    found.clear();
    box_cells(px - NODE_REACH, py - NODE_REACH, px + NODE_REACH, py + NODE_REACH, found);
    for (int cell : found) {
        CELL_ITEMS in = cell_nodes(cell);
        for (int i = 0; i < in.count && (best < 0 || (int)in.first[i] < best); i++)
            if (hit_node(nodes[in.first[i]], px, py))
                best = (int)in.first[i];
    }
    return best;
}
