// The editor's program-wide state, in one place: the images, the status line,
// the map file name, the view of the map and the event codes the waits
// return. Each value lives as long as the program; the map itself is in
// network/network.h. editor.cpp defines them.
#pragma once

#include <allegro.h>

enum {
    EVENT_NONE = -1,
    EVENT_LEFT = 1,
    EVENT_RIGHT = 2,  // key events are the library's KEY_* codes
    EVENT_UNDO = -2,  // Ctrl+Z
    EVENT_REDO = -3,  // Ctrl+Y or Ctrl+Shift+Z
};

// Characters the keyboard fields act on, as readkey's low byte gives them.
enum { CHAR_BACKSPACE = 8, CHAR_ENTER = 13, CHAR_ESC = 27, CHAR_DELETE = 127 };

// The rows above this are the map area; the bottom bar and its margin lie below.
#define MAP_AREA_H (SCREEN_H - 28)

// How the map lies in the window: screen = (map - origin) * scale, where
// scale = base * 2^(level / 4). Zoom steps change only `level`, so in and out
// again gives back the same scale; the origin is kept in fixed point so that
// pans and zooms about a still pointer undo exactly.
enum { VIEW_FIXED = 1 << 16 };   // origin units per map unit
struct VIEW {
    double base;     // pixels per map unit at level 0: 1, or the whole map's fit after Home
    int level;       // quarter-doublings of zoom from base
    long long x, y;  // map point at the window's top-left pixel, in 1/VIEW_FIXED map units
};

extern BITMAP* back_buffer;       // every frame is composed here, then copied to screen
extern BITMAP* cursor_normal;     // pointer image away from nodes (myska1.bmp)
extern BITMAP* cursor_hover;      // pointer image over a node (myska2.bmp)
extern BITMAP* background_image;  // backgrnd.tga, or null when it could not be read
extern BITMAP* shown_background;  // background_image, or null while K hides it
extern BITMAP* current_sprite;    // image drawn at the pointer; doubles as the hover marker
extern char status_text[12];      // prompt or message; empty leaves the line to hover texts
extern char file_name[32];        // map file name offered by load and save
extern VIEW view;                 // where the map lies in the window; one unit a pixel at start
extern bool full_redraw;          // frames drawn afresh, keeping nothing; tests compare the two
