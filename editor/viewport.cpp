// The view transform. Scales are powers of 2^(1/4) times a base, so that a
// zoom step and its opposite meet exactly; the origin is in fixed point, and
// a zoom about a point moves it by amounts computed the same way both ways.
#include "viewport.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "editor.h"
#include "network/network.h"

enum { HOME_MARGIN = 20, ZOOM_OUT_STEPS = 8 };

double view_scale()
{
    return view.base * std::exp2((double)view.level / ZOOM_STEPS_PER_DOUBLING);
}

XFORM view_xform()
{
    return XFORM{(double)view.x / VIEW_FIXED, (double)view.y / VIEW_FIXED, view_scale()};
}

int to_screen_x(long long x) { return screen_x(view_xform(), x); }
int to_screen_y(long long y) { return screen_y(view_xform(), y); }
double to_map_x(double sx) { return (double)view.x / VIEW_FIXED + sx / view_scale(); }
double to_map_y(double sy) { return (double)view.y / VIEW_FIXED + sy / view_scale(); }

static int round_map(double v) { return (int)std::clamp(std::floor(v + 0.5), (double)INT_MIN, (double)INT_MAX); }
int map_x_at(int sx) { return round_map(to_map_x(sx)); }
int map_y_at(int sy) { return round_map(to_map_y(sy)); }

void reset_view() { view = VIEW{1.0, 0, 0, 0}; }

bool view_is_default() { return view.base == 1.0 && view.level == 0 && view.x == 0 && view.y == 0; }

// A distance in window pixels as origin units at the given scale.
static long long fixed_span(double pixels, double scale)
{
    return std::llround(pixels / scale * VIEW_FIXED);
}

// The map's extent, or false when it has no nodes.
static bool map_box(long long* x1, long long* y1, long long* x2, long long* y2)
{
    if (!node_list)
        return false;
    *x1 = *x2 = node_list->x;
    *y1 = *y2 = node_list->y;
    for (const NODE* n = node_list->next; n; n = n->next) {
        *x1 = std::min<long long>(*x1, n->x), *x2 = std::max<long long>(*x2, n->x);
        *y1 = std::min<long long>(*y1, n->y), *y2 = std::max<long long>(*y2, n->y);
    }
    return true;
}

// Levels from far enough out to see the whole map small, to 64 pixels a unit.
static void level_range(int* lo, int* hi)
{
    long long x1 = 0, y1 = 0, x2 = SCREEN_W, y2 = MAP_AREA_H;
    map_box(&x1, &y1, &x2, &y2);
    double extent = std::max({(double)(x2 - x1) / SCREEN_W, (double)(y2 - y1) / MAP_AREA_H, 1.0});
    double fit_levels = std::log2(view.base * extent) * ZOOM_STEPS_PER_DOUBLING;
    *lo = -(int)std::ceil(fit_levels) - ZOOM_OUT_STEPS;
    *hi = (int)std::floor(std::log2(ZOOM_MAX_LEVEL_SCALE / view.base) * ZOOM_STEPS_PER_DOUBLING);
}

void zoom_view(int steps, int px, int py)
{
    int lo, hi;
    level_range(&lo, &hi);
    int level = std::clamp(view.level + steps, std::min(lo, view.level), std::max(hi, view.level));
    if (level == view.level)
        return;
    double before = view_scale();
    view.level = level;
    double after = view_scale();
    view.x += fixed_span(px, before) - fixed_span(px, after);
    view.y += fixed_span(py, before) - fixed_span(py, after);
}

void pan_view(int dx, int dy)
{
    view.x -= fixed_span(dx, view_scale());
    view.y -= fixed_span(dy, view_scale());
}

void home_view()
{
    long long x1, y1, x2, y2;
    reset_view();
    if (!map_box(&x1, &y1, &x2, &y2) ||
        (x1 >= 0 && y1 >= 0 && x2 < SCREEN_W && y2 < MAP_AREA_H))
        return;
    // Fitted with a margin, the aspect kept, and centred in the map area.
    double w = (double)std::max(x2 - x1, 1LL), h = (double)std::max(y2 - y1, 1LL);
    double scale = std::min({(SCREEN_W - 2.0 * HOME_MARGIN) / w, (MAP_AREA_H - 2.0 * HOME_MARGIN) / h,
                             (double)ZOOM_MAX_LEVEL_SCALE});
    view.base = scale;
    view.x = std::llround(((x1 + x2) / 2.0 - SCREEN_W / 2.0 / scale) * VIEW_FIXED);
    view.y = std::llround(((y1 + y2) / 2.0 - MAP_AREA_H / 2.0 / scale) * VIEW_FIXED);
}
