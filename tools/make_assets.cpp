// Draws the editor's three images: the normal and hover pointers (BMP, magenta
// as the transparent mask colour) and the calm map-like background (TGA).
// Deterministic: the same program always writes the same files.
//   build/make_assets assets/
#include <allegro.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <string>

static const char* arrow_rows[] = {
    "X...........",
    "XX..........",
    "XWX.........",
    "XWWX........",
    "XWWWX.......",
    "XWWWWX......",
    "XWWWWWX.....",
    "XWWWWWWX....",
    "XWWWWWWWX...",
    "XWWWWWWWWX..",
    "XWWWWWWWWWX.",
    "XWWWWWWXXXXX",
    "XWWWXWWX....",
    "XWWXXWWX....",
    "XWX..XWWX...",
    "XX...XWWX...",
    "X.....XWWX..",
    ".......XWWX.",
    "........XX..",
};

// The arrow, filled with `fill`; a hover badge is added by the caller.
static BITMAP* draw_arrow(int fill)
{
    BITMAP* b = create_bitmap(24, 24);
    clear_to_color(b, makecol(255, 0, 255));
    for (int y = 0; y < 19; y++)
        for (int x = 0; arrow_rows[y][x]; x++) {
            char c = arrow_rows[y][x];
            if (c == 'X') putpixel(b, x, y, makecol(0, 0, 0));
            if (c == 'W') putpixel(b, x, y, fill);
        }
    return b;
}

// A small integer hash for deterministic texture.
static unsigned hash(int x, int y)
{
    unsigned h = (unsigned)x * 374761393u + (unsigned)y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

static double smooth_noise(double x, double y)
{
    int ix = (int)std::floor(x), iy = (int)std::floor(y);
    double fx = x - ix, fy = y - iy;
    auto v = [](int a, int b) { return (hash(a, b) & 0xFFFF) / 65535.0; };
    double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    double top = v(ix, iy) * (1 - sx) + v(ix + 1, iy) * sx;
    double bottom = v(ix, iy + 1) * (1 - sx) + v(ix + 1, iy + 1) * sx;
    return top * (1 - sy) + bottom * sy;
}

// Pale paper with soft parkland, a light river and faint old streets.
static BITMAP* draw_background()
{
    BITMAP* b = create_bitmap(800, 600);
    for (int y = 0; y < 600; y++)
        for (int x = 0; x < 800; x++) {
            double n = 0.6 * smooth_noise(x / 90.0, y / 90.0) + 0.4 * smooth_noise(x / 33.0, y / 33.0);
            double grain = (hash(x, y) & 7) / 7.0;
            int r = 246, g = 242, bl = 228;                // paper
            if (n > 0.62) { r = 226; g = 238; bl = 214; }  // parkland
            double river = std::fabs(y - (330 + 60 * std::sin(x / 130.0) + 25 * std::sin(x / 47.0)));
            if (river < 16) { r = 214; g = 230; bl = 240; }
            else if (river < 19) { r = 200; g = 218; bl = 230; }
            putpixel(b, x, y, makecol(r - (int)grain, g - (int)grain, bl - (int)grain));
        }
    int street = makecol(232, 224, 206);
    for (int x = 40; x < 800; x += 120)
        for (int k = 0; k < 3; k++) line(b, x + k, 0, x + k + 60, 600, street);
    for (int y = 70; y < 600; y += 140)
        for (int k = 0; k < 3; k++) line(b, 0, y + k, 800, y + k - 30, street);
    return b;
}

int main(int argc, char** argv)
{
    std::string dir = argc > 1 ? argv[1] : ".";
    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(24);
    BITMAP* normal = draw_arrow(makecol(255, 255, 255));
    BITMAP* hover = draw_arrow(makecol(255, 200, 40));
    circle(hover, 17, 17, 5, makecol(0, 0, 0));
    circle(hover, 17, 17, 4, makecol(255, 200, 40));
    circlefill(hover, 17, 17, 2, makecol(0, 0, 0));
    BITMAP* background = draw_background();
    int failed = save_bitmap((dir + "/myska1.bmp").c_str(), normal, nullptr) |
                 save_bitmap((dir + "/myska2.bmp").c_str(), hover, nullptr) |
                 save_bitmap((dir + "/backgrnd.tga").c_str(), background, nullptr);
    if (failed)
        std::fprintf(stderr, "make_assets: cannot write into %s\n", dir.c_str());
    return failed ? 1 : 0;
}
END_OF_MAIN()
