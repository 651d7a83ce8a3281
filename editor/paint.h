// Drawing the map through the view into any part of a bitmap: the ground
// under it (the background picture and the bottom bar), the roads and nodes
// of either screen, and the marks of a frame (hover, selection, texts). The
// frames and the layer they keep are both made of these.
#pragma once

#include <allegro.h>

#include <vector>

#include "viewport.h"

struct EDGE;
struct NODE;

struct RECT { int x1, y1, x2, y2; };   // window pixels, corners inclusive

// What a frame shows besides the plain map; all empty for the kept layer.
struct MARKS {
    bool solve;                        // solve mode's screen, else the editing screen
    bool line_free;                    // editing: no prompt in the status line
    const EDGE* hover_road;            // editing: the road drawn blue
    const NODE* hover_node;            // the node drawn as a blue disc, its text shown
    const EDGE* selected;              // editing: the selected road
    const NODE* current;               // the node a command works on, or the start node
    const std::vector<EDGE*>* texts;   // solve: the roads whose texts print, list order
};

// How crowded the view is, from the grid's cells and the scale: a window
// pixel holding a whole cell draws the cells that hold roads, not the roads;
// nodes are discs only while they stand apart.
struct DETAIL {
    bool cells;   // roads drawn as their cells
    bool discs;   // every node drawn as a disc
};

DETAIL view_detail(const XFORM& t);
void make_ground(BITMAP* ground, const XFORM& t, bool solve);   // background, bar and button labels
void paint(BITMAP* to, BITMAP* ground, const RECT& r, const XFORM& t, const DETAIL& d, const MARKS& m);
                                          // the frame's pixels inside r, as a whole frame has them
RECT road_rect(const XFORM& t, const EDGE* e);   // the pixels a road, a band or a line, may touch
RECT node_rect(const XFORM& t, const NODE* n);   // those of its largest disc
RECT map_rect(const XFORM& t, long long x1, long long y1, long long x2, long long y2);   // a map box's items
RECT status_rect(const char* text);              // those of a status line text
bool text_rect(const MARKS& m, RECT* r);         // those of all the frame's status texts; false when none

void print_status(BITMAP* to, const char* format, ...)  // black on white at the status line position
    __attribute__((format(printf, 2, 3)));
void draw_line(BITMAP* bmp, int x1, int y1, int x2, int y2, int color);   // line()'s pixels, quicker
                                            // for the shortest lines on memory bitmaps
void draw_thick_line(BITMAP* bmp, int x1, int y1, int x2, int y2, int color); // six-line band

int color_white();
int color_grey();
int color_light_grey();
int color_blue();
int color_cyan();
