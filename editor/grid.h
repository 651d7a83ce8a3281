// A uniform grid of square cells over the window and a ring around it, listing
// for each cell the roads and nodes that draw there, by keys that follow list
// order. The cached frames use it to find what lies under the pointer and what
// to redraw in a cell. The edits the map logs update only the cells they
// touch; anything else rebuilds the lists, in time linear in the map.
#pragma once

#include <cstdint>
#include <vector>

struct EDGE;
struct NODE;

enum { GRID_CELL = 16 };   // cell side in pixels
// Keys rise along each list and never change while the record lives: a full
// build gives the head GRID_FIRST_KEY and each next record one more, and a
// record added at the head since takes the key below the lowest so far.
// (Keys stay below 2^31 for lists of up to 2^30 records, 40 GiB of roads.)
enum : std::uint32_t { GRID_FIRST_KEY = 1u << 30 };

// The entries of one cell: keys of edge_list or node_list records, ascending.
struct CELL_ITEMS {
    const std::uint32_t* first;
    int count;
};

int   update_grid(std::vector<int>& cells);   // 1 when the lists were rebuilt in full; else 0 and the
                                              // cells whose items changed appended (may repeat)
int   dragged_node(std::vector<std::uint32_t>& road_keys, int* x, int* y);
                                           // when the last update of the lists only moved one node:
                                           // its key, its roads' keys into `road_keys` and where it
                                           // was before into x, y; else -1
int   grid_cells();                        // number of cells
void  cell_rect(int cell, int* x1, int* y1, int* x2, int* y2);   // the cell's pixels, corners inclusive
CELL_ITEMS cell_roads(int cell);
CELL_ITEMS cell_nodes(int cell);
EDGE* road_at(std::uint32_t key);          // the road with that key, listed in some cell
NODE* node_at(std::uint32_t key);
int   road_key(const EDGE* edge);          // the road's key, -1 when off the grid
int   node_key(const NODE* node);
int   first_road_hit(int px, int py);      // key of the first road hit_edge finds there, or -1
int   first_node_hit(int px, int py);      // likewise with hit_node
void  roads_hit(int px, int py, std::vector<int>& keys);   // every road hit there, ascending
// Append the cells an item may draw in (where the lists hold it), or that a box of pixels meets.
void  road_cells(const EDGE* edge, std::vector<int>& cells);
void  node_cells(const NODE* node, std::vector<int>& cells);
void  box_cells(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                std::vector<int>& cells);
