// A uniform grid of square cells over the map, in map units, listing for each
// cell the roads and nodes whose geometry lies there, by keys that follow list
// order. Frames use it to find what lies in a part of the window and what is
// under the pointer without walking the map. The edits the map logs update
// only the cells they touch; anything else rebuilds the grid, in time linear
// in the map.
#pragma once

#include <cstdint>
#include <vector>

struct EDGE;
struct NODE;
struct XFORM;

// Keys rise along each list and never change while the record lives: a full
// build gives the head GRID_FIRST_KEY and each next record one more, and a
// record added at the head since takes the key below the lowest so far.
enum : std::uint32_t { GRID_FIRST_KEY = 1u << 30 };

struct BOX { long long x1, y1, x2, y2; };   // map units, corners inclusive

struct GRID_SHAPE {
    long long x, y;      // map point of the first cell's top-left corner
    long long cell;      // cell side in map units, a power of two
    int cols, rows;
    long nodes, roads;   // items listed at the last full build
};

enum { GRID_SAME, GRID_FOLLOWED, GRID_REBUILT };
void  update_grid();                 // follows the map's edits, or rebuilds; the hit tests call it too
int   take_grid_changes(std::vector<BOX>& damaged);   // GRID_* since the last take; when FOLLOWED,
                                                      // the boxes the edits changed, before and after
void  drop_grid();                   // forgets everything: the next update builds afresh
void  keep_grid();                   // the map's version moved but no place did (a solve)
GRID_SHAPE grid_shape();
bool  cell_has_roads(int col, int row);
void  box_roads(const BOX& box, std::vector<std::uint32_t>& keys);   // keys of roads there, ascending
void  box_nodes(const BOX& box, std::vector<std::uint32_t>& keys);   // the same for nodes
long  box_road_entries(const BOX& box);   // entries in the box's cells, a road counted once a cell
EDGE* road_at(std::uint32_t key);
NODE* node_at(std::uint32_t key);
long  road_key(const EDGE* road);    // the road's key, -1 when it is not listed
long  node_key(const NODE* node);
BOX   window_box(const XFORM& t, int x1, int y1, int x2, int y2);   // the map units under a window rectangle
// Hit tests in the window through the transform; the first in list order, or null.
EDGE* first_road_hit(const XFORM& t, int px, int py);
NODE* first_node_hit(const XFORM& t, int px, int py);
void  roads_hit(const XFORM& t, int px, int py, std::vector<EDGE*>& roads);   // every one, list order
