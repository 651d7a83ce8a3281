// Frame composition: the background and bottom bar both screens share, the
// pointer image and the copy to the screen, and the editing screen's frame.
#include "view.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "editor.h"
#include "input.h"
#include "layer.h"
#include "network/network.h"

int color_white()      { return makecol(255, 255, 255); }
int color_grey()       { return makecol(128, 128, 128); }
int color_light_grey() { return makecol(192, 192, 192); }
int color_blue()       { return makecol(0, 0, 255); }
int color_cyan()       { return makecol(0, 192, 192); }

void set_sprite(BITMAP* sprite)
{
    if (sprite == current_sprite)
        return;
    current_sprite = sprite;
    set_mouse_sprite(sprite);  // keeps the library's bookkeeping in step; never shown
}

void print_status(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    textout_ex(back_buffer, font, text, 10, SCREEN_H - 13, 0, color_white());
}

void print_label(int x, const char* text)
{
    textout_ex(back_buffer, font, text, x, SCREEN_H - 13, 0, color_white());
}

void draw_status_bar()
{
    const int h = SCREEN_H;
    if (shown_background)
        blit(shown_background, back_buffer, 0, 0, 0, 0, shown_background->w, shown_background->h);
    else
        clear_to_color(back_buffer, color_white());
    rectfill(back_buffer, 0, h - 23, 458, h, color_grey());
    rectfill(back_buffer, 0, h - 18, 345, h, color_white());
    rectfill(back_buffer, 350, h - 18, 399, h, color_white());
    rectfill(back_buffer, 404, h - 18, 453, h, color_white());
}

// A line as line() draws it. Most roads of a dense map are a pixel or so
// long, and line() draws just their two ends: written straight into a memory
// bitmap, with the same clipping, they spare its calls per pixel.
template <typename PIXEL> static void put_pixel(BITMAP* bmp, int x, int y, PIXEL color)
{
    if (x >= bmp->cl && x < bmp->cr && y >= bmp->ct && y < bmp->cb)
        ((PIXEL*)bmp->line[y])[x] = color;
}

void draw_line(BITMAP* bmp, int x1, int y1, int x2, int y2, int color)
{
    const std::int64_t dx = (std::int64_t)x2 - x1, dy = (std::int64_t)y2 - y1;
    const int depth = bitmap_color_depth(bmp);
    if (dx < -1 || dx > 1 || dy < -1 || dy > 1 || !is_memory_bitmap(bmp) || !bmp->clip ||
        (depth != 16 && depth != 32)) {
        line(bmp, x1, y1, x2, y2, color);
    } else if (depth == 16) {
        put_pixel<std::uint16_t>(bmp, x1, y1, (std::uint16_t)color);
        put_pixel<std::uint16_t>(bmp, x2, y2, (std::uint16_t)color);
    } else {
        put_pixel<std::uint32_t>(bmp, x1, y1, (std::uint32_t)color);
        put_pixel<std::uint32_t>(bmp, x2, y2, (std::uint32_t)color);
    }
}

void present_frame()
{
    if (current_sprite)
        draw_sprite(back_buffer, current_sprite, mouse_x, mouse_y);
    blit(back_buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    poll_input();
}

static void print_edge_text(const EDGE* e)
{
    print_status("%s - %s: %d", e->from->name, e->to->name, e->length);
}

static void draw_edit_roads(bool line_free)
{
    const bool nothing_selected = !selected_edge && !current_node;
    for (EDGE* e = edge_list; e; e = e->next) {
        if (current_sprite != cursor_hover && hit_edge(e, mouse_x, mouse_y)) {
            set_sprite(cursor_hover);
            line(back_buffer, e->from->x, e->from->y, e->to->x, e->to->y, color_blue());
            if (nothing_selected && line_free)
                print_edge_text(e);
        } else {
            line(back_buffer, e->from->x, e->from->y, e->to->x, e->to->y, 0);
        }
        if (e == selected_edge && line_free) {
            line(back_buffer, e->from->x, e->from->y, e->to->x, e->to->y, color_cyan());
            print_edge_text(e);
        }
    }
}

static void draw_edit_nodes(bool line_free)
{
    const bool nothing_selected = !selected_edge && !current_node;
    for (NODE* n = node_list; n; n = n->next) {
        if (current_sprite != cursor_hover && hit_node(n, mouse_x, mouse_y)) {
            set_sprite(cursor_hover);
            circlefill(back_buffer, n->x, n->y, 4, color_blue());
            if (nothing_selected && line_free)
                print_status("%s", n->name);
        } else {
            circlefill(back_buffer, n->x, n->y, 3, 0);
        }
        if (n == current_node && line_free) {
            circlefill(back_buffer, n->x, n->y, 3, color_cyan());
            print_status("%s", n->name);
        }
    }
}

void draw_edit_underlay(bool line_free)
{
    draw_status_bar();
    if (!line_free)
        print_status("%s %s", status_text, file_name);
    print_label(360, "Load");
    print_label(414, "Save");
}

void draw_edit_view()
{
    const bool line_free = status_text[0] == '\0';
    // In full from the lists when asked, or when the cached layer cannot be used.
    if (full_redraw || draw_cached_frame(LAYER_EDIT) != 0) {
        draw_edit_underlay(line_free);
        draw_edit_roads(line_free);
        set_sprite(cursor_normal);
        draw_edit_nodes(line_free);
    }
    present_frame();
}
