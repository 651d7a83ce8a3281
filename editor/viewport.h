// The view transform between map units and window pixels, and the zoom, pan
// and Home steps that change it. Reads and writes `view` (editor.h); every
// drawing and hit test goes through these.
#pragma once

#include <algorithm>
#include <cmath>

struct NODE;

// The transform of one frame, taken once and applied to every item.
struct XFORM {
    double ox, oy;   // map point at the window's top-left pixel
    double scale;    // window pixels per map unit
};
// floor(v + 0.5), kept far off screen rather than past int: at one unit a
// pixel and the origin at zero this is the map coordinate itself.
inline int screen_round(double v)
{
    return (int)std::clamp(std::floor(v + 0.5), -268435456.0, 268435456.0);
}
inline int screen_x(const XFORM& t, long long x) { return screen_round(((double)x - t.ox) * t.scale); }
inline int screen_y(const XFORM& t, long long y) { return screen_round(((double)y - t.oy) * t.scale); }

enum { ZOOM_STEPS_PER_DOUBLING = 4, ZOOM_MAX_LEVEL_SCALE = 64 };

double view_scale();                       // window pixels per map unit
XFORM  view_xform();                       // the transform of the current view
int    to_screen_x(long long x);           // a map x as a window column, clamped far outside
int    to_screen_y(long long y);           // a map y as a window row
double to_map_x(double sx);                // a window column as a map x, unrounded
double to_map_y(double sy);
int    map_x_at(int sx);                   // the whole map unit under a window column
int    map_y_at(int sy);
void   reset_view();                       // one map unit a pixel, origin at the top left
void   zoom_view(int steps, int px, int py);   // steps in (> 0) or out about the window point
void   pan_view(int dx, int dy);           // moves the map by dx, dy window pixels
void   home_view();                        // the original screen if the map fits it, else the whole map
bool   view_is_default();                  // one unit a pixel at the origin
