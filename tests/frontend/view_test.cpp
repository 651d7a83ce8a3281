// The view: the transform both ways, zoom about a point and pan undone
// exactly, the view inputs of a wait, hit areas that keep their size on the
// screen, clicks at zoom, and the Home rule.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "editor/app.h"
#include "editor/editor.h"
#include "editor/grid.h"
#include "editor/view.h"
#include "editor/viewport.h"
#include "editor/waits.h"
#include "frontend/script.h"
#include "network/network.h"

namespace {

const VIEW views[] = {
    {1.0, 0, 0, 0},
    {1.0, 8, 0, 0},
    {1.0, -5, 123 * VIEW_FIXED + VIEW_FIXED / 2, -77 * VIEW_FIXED},
    {0.037, 3, 1000 * VIEW_FIXED, 2000 * VIEW_FIXED},
    {2.5, 0, -10 * VIEW_FIXED, 5 * VIEW_FIXED + 3},
};

bool same(const VIEW& a, const VIEW& b)
{
    return a.base == b.base && a.level == b.level && a.x == b.x && a.y == b.y;
}

TEST(View, MapsBothWaysAndIsTheIdentityAtTheStart)
{
    frontend_setup();
    for (const VIEW& v : views) {
        view = v;
        const double s = view_scale();
        for (int m : {-1000, -1, 0, 7, 333, 5000}) {
            EXPECT_NEAR(to_map_x(to_screen_x(m)), m, 0.5 / s + 1e-9) << v.level << " " << m;
            EXPECT_NEAR(to_map_y(to_screen_y(m)), m, 0.5 / s + 1e-9) << v.level << " " << m;
        }
        for (int p : {0, 1, 399, 799}) {
            EXPECT_LE(std::abs(to_screen_x(map_x_at(p)) - p), s / 2 + 0.5) << v.level << " " << p;
            EXPECT_LE(std::abs(to_screen_y(map_y_at(p)) - p), s / 2 + 0.5) << v.level << " " << p;
        }
    }
    view = views[0];
    for (int p : {-3, 0, 1, 555, 799, 100000})
        EXPECT_TRUE(to_screen_x(p) == p && to_screen_y(p) == p && map_x_at(p) == p && map_y_at(p) == p) << p;
}

TEST(View, ZoomKeepsThePointUnderThePointerAndStepsUndoExactly)
{
    frontend_setup();
    find_or_add_node(0, 0), find_or_add_node(30000, 20000);   // room to zoom out
    for (const VIEW& v : views)
        for (int steps : {1, 3, -2, 5}) {
            view = v;
            const double mx = to_map_x(613), my = to_map_y(97);
            zoom_view(steps, 613, 97);
            EXPECT_EQ(view.level, v.level + steps);
            EXPECT_NEAR(to_map_x(613), mx, 1e-4) << v.level << " " << steps;
            EXPECT_NEAR(to_map_y(97), my, 1e-4) << v.level << " " << steps;
            zoom_view(-steps, 613, 97);
            EXPECT_TRUE(same(view, v)) << v.level << " " << steps;
            pan_view(100, -71);
            pan_view(-100, 71);
            EXPECT_TRUE(same(view, v)) << v.level << " " << steps;
        }
    // In as far as it goes: at least 16 pixels a unit. Out as far: the whole map small.
    reset_view();
    zoom_view(1000, 0, 0);
    EXPECT_GE(view_scale(), 16);
    home_view();
    zoom_view(-1000, 400, 286);
    EXPECT_LT((to_screen_x(30000) - to_screen_x(0)) * 2, SCREEN_W);
}

// A wait's view inputs: every wheel notch since the last pass counts, a held
// key acts once, Left then Right gives the view back, Home the original screen.
TEST(View, WaitInputsMoveTheView)
{
    frontend_setup();
    mouse_x = 200, mouse_y = 100;
    view_inputs(true);
    mouse_z += 3;
    view_inputs(true);
    EXPECT_EQ(view.level, 3);
    EXPECT_NEAR(to_map_x(200), 200, 1e-4);
    const struct { int key; int level; } keys[] = {{KEY_EQUALS, 4}, {KEY_PLUS_PAD, 5}, {KEY_MINUS, 4}, {KEY_MINUS_PAD, 3}};
    for (const auto& k : keys) {
        key[k.key] = 1;
        view_inputs(true);
        view_inputs(true);   // still held: no second step
        key[k.key] = 0;
        view_inputs(true);
        EXPECT_EQ(view.level, k.level) << k.key;
    }
    view_inputs(false);
    const VIEW before = view;
    for (int k : {KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_DOWN}) {
        key[k] = 1, view_inputs(true), key[k] = 0, view_inputs(true);
        if (k == KEY_LEFT) {
            EXPECT_GT(to_screen_x(200), 200);   // the map moves right: more shows on the left
        }
    }
    EXPECT_TRUE(same(view, before));
    key[KEY_EQUALS] = 1;
    view_inputs(false);   // a field types + and -
    key[KEY_EQUALS] = 0;
    EXPECT_TRUE(same(view, before));
    key[KEY_HOME] = 1, view_inputs(true), key[KEY_HOME] = 0;
    EXPECT_TRUE(view_is_default());
    view_inputs(true);
}

// A node's 19x19 square and a road's corridor keep their size on the screen.
TEST(View, HitAreasKeepTheirSizeAtEveryZoom)
{
    frontend_setup();
    NODE* a = find_or_add_node(5000, 3000);
    add_edge(a, find_or_add_node(5200, 3000));
    for (int level : {-12, -4, 0, 6, 16}) {
        view = VIEW{1.0, level, 0, 0};
        zoom_view(0, 0, 0);
        view.x = (long long)((5100 - 400 / view_scale()) * VIEW_FIXED);
        view.y = (long long)((3000 - 300 / view_scale()) * VIEW_FIXED);
        const XFORM t = view_xform();
        const int ax = to_screen_x(5000), y = to_screen_y(3000);
        EXPECT_EQ(first_node_hit(t, ax + 9, y - 9), a) << level;
        EXPECT_EQ(first_node_hit(t, ax - 10, y), nullptr) << level;
        if (to_screen_x(5200) - ax > 40) {   // far enough apart for the road's middle to be its own
            EXPECT_EQ(first_road_hit(t, ax + 30, y + 3), edge_list) << level;   // along a level road
            EXPECT_EQ(first_road_hit(t, ax + 30, y + 4), nullptr) << level;    // the box is the limit
        }
    }
}

// The grid's answers against a walk of the lists, on a dense map at zooms
// where its cells are a pixel or less, a few pixels, and many.
TEST(View, HitsThroughTheGridAreTheFirstInListOrder)
{
    frontend_setup();
    srand(3);
    for (int i = 0; i < 6000; i++) {
        NODE* a = find_or_add_node(rand() % 800, rand() % 600);
        add_edge(a, find_or_add_node(a->x + rand() % 41 - 20, a->y + rand() % 41 - 20));
    }
    for (int level : {-20, -16, -12, 0, 9}) {
        view = VIEW{1.0, level, 300 * VIEW_FIXED, 200 * VIEW_FIXED};
        const XFORM t = view_xform();
        for (int i = 0; i < 150; i++) {
            const int px = rand() % 800, py = rand() % 600;
            NODE* n = node_list;
            while (n && !hit_square(screen_x(t, n->x), screen_y(t, n->y), px, py))
                n = n->next;
            EDGE* e = edge_list;
            while (e && !hit_segment(screen_x(t, e->from->x), screen_y(t, e->from->y), screen_x(t, e->to->x),
                                     screen_y(t, e->to->y), px, py))
                e = e->next;
            EXPECT_EQ(first_node_hit(t, px, py), n) << level << " " << px << "," << py;
            EXPECT_EQ(first_road_hit(t, px, py), e) << level << " " << px << "," << py;
        }
    }
}

// Zoomed in twice, two clicks make nodes at the map units under them, joined
// by a road of their distance in map units; a click 8 pixels off finds a node.
TEST(View, ClicksAtZoomPlaceNodesInMapUnits)
{
    frontend_setup();
    view.level = 4;   // two pixels a unit
    click(201, 101), click(401, 101);
    click(409, 93), click(201, 300);
    run_edit_steps();
    ASSERT_EQ(edge_list ? edge_list->next != nullptr : false, true);
    const EDGE* first = edge_list->next;
    EXPECT_TRUE(first->from->x == 101 && first->from->y == 51 && first->to->x == 201 && first->to->y == 51);
    EXPECT_EQ(first->length, 100);
    EXPECT_EQ(edge_list->from, first->to);   // found again 8 pixels off
}

TEST(View, HomeShowsTheOriginalScreenOrTheWholeMap)
{
    const struct { std::vector<std::pair<int, int>> nodes; bool original; } maps[] = {
        {{}, true},
        {{{0, 0}, {799, 571}}, true},
        {{{0, 0}, {799, 572}}, false},
        {{{-1, 10}, {300, 300}}, false},
        {{{1000, 1000}, {41000, 3000}}, false},
        {{{5, 5}, {5, 90000}}, false},
    };
    for (const auto& m : maps) {
        frontend_setup();
        for (auto [x, y] : m.nodes)
            find_or_add_node(x, y);
        view.level = 7;
        home_view();
        EXPECT_EQ(view_is_default(), m.original) << m.nodes.size();
        if (m.original)
            continue;
        // Inside the margin, and touching it on the axis that limits the fit.
        int x1 = 1 << 30, y1 = 1 << 30, x2 = -x1, y2 = -y1;
        for (NODE* n = node_list; n; n = n->next)
            x1 = std::min(x1, to_screen_x(n->x)), x2 = std::max(x2, to_screen_x(n->x)),
            y1 = std::min(y1, to_screen_y(n->y)), y2 = std::max(y2, to_screen_y(n->y));
        EXPECT_TRUE(x1 >= 19 && x2 <= 781 && y1 >= 19 && y2 <= 553) << x1 << " " << y1 << " " << x2 << " " << y2;
        EXPECT_TRUE(x2 - x1 >= 758 || y2 - y1 >= 530) << x1 << " " << y1 << " " << x2 << " " << y2;
    }
}

}  // namespace

namespace {

// Three roads between the same two places, the middle one selected: the
// older one, drawn after it, covers its cyan, however copies are skipped.
TEST(View, CopiesOfARoadStillCoverItsMarks)
{
    frontend_setup();
    for (int i = 0; i < 3; i++) {
        NODE* a = new_node(100, 100, "A");
        NODE* b = new_node(300, 100, "B");
        a->next = node_list, node_list = a;
        b->next = node_list, node_list = b;
        add_edge(a, b);
    }
    selected_edge = edge_list->next;
    mouse_x = 500, mouse_y = 500;
    try { draw_edit_view(); } catch (ScriptEnded&) {}
    EXPECT_EQ(getpixel(back_buffer, 200, 100), 0);
}

}  // namespace

namespace {

// Away from the original screen the bar and its texts lie over the map: a
// road through the status line does not cover the prompt.
TEST(View, TheBarStaysReadableOverTheMapAtZoom)
{
    frontend_setup();
    add_edge(find_or_add_node(0, 585), find_or_add_node(780, 595));    // under the text at one unit a pixel
    add_edge(find_or_add_node(0, 697), find_or_add_node(920, 709));    // and one zoom step out
    std::strcpy(status_text, "Save as:");
    for (int level : {0, -1}) {
        view = VIEW{1.0, level, 0, 0};
        mouse_x = 700, mouse_y = 100;
        try { draw_edit_view(); } catch (ScriptEnded&) {}
        EXPECT_EQ(status_shows(back_buffer, "Save as: novamapa.txt"), level != 0) << level;
    }
}

}  // namespace
