// A uniform grid of square cells over the window and a ring around it, listing
// for each cell the roads and nodes that draw there, by position in their
// lists. The cached frames use it to find what lies under the pointer and what
// to redraw in a cell; it is rebuilt, in time linear in the map, when
// map_version changes.
#pragma once

#include <cstdint>
#include <vector>

struct EDGE;
struct NODE;

enum { GRID_CELL = 16 };   // cell side in pixels

// The entries of one cell: positions in edge_list or node_list, ascending.
struct CELL_ITEMS {
    const std::uint32_t* first;
    int count;
};

void  update_grid();                       // rebuilds the lists if the map changed; call before the rest
int   grid_cells();                        // number of cells
void  cell_rect(int cell, int* x1, int* y1, int* x2, int* y2);   // the cell's pixels, corners inclusive
CELL_ITEMS cell_roads(int cell);
CELL_ITEMS cell_nodes(int cell);
EDGE* road_at(std::uint32_t position);     // the road at that position of edge_list
NODE* node_at(std::uint32_t position);
int   road_position(const EDGE* edge);     // position in edge_list, -1 when off the grid
int   node_position(const NODE* node);
int   first_road_hit(int px, int py);      // position of the first road hit_edge finds there, or -1
int   first_node_hit(int px, int py);      // likewise with hit_node
void  roads_hit(int px, int py, std::vector<int>& positions);   // every road hit there, ascending
// Append the cells an item may draw in (where the lists hold it), or that a box of pixels meets.
void  road_cells(const EDGE* edge, std::vector<int>& cells);
void  node_cells(const NODE* node, std::vector<int>& cells);
void  box_cells(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                std::vector<int>& cells);
