// Draws the editor's three images: the normal and hover pointers (BMP, magenta
// as the transparent mask colour) and the quiet paper background (TGA).
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

// A quiet kraft paper that fits any map. Its mid tone lets the light grey
// roads of solve mode stand out above it and the blue bands, black roads and
// nodes below it (checked on screenshots of the running editor); a pale
// paper swallowed the grey roads. A faint grain keeps it from looking flat.
static BITMAP* draw_background()
{
    BITMAP* b = create_bitmap(800, 600);
    for (int y = 0; y < 600; y++)
        for (int x = 0; x < 800; x++) {
            double cloud = smooth_noise(x / 140.0, y / 140.0) + 0.5 * smooth_noise(x / 37.0, y / 37.0);
            int shade = (int)std::lround(4 * cloud) + (int)(hash(x, y) & 3) - 4;
            putpixel(b, x, y, makecol(140 + shade, 134 + shade, 120 + shade));
        }
    return b;
}

// TGA with its rows top first and the header saying so (image descriptor bit
// 5): the library's own writer puts the bottom row first, which some viewers
// show upside down.
static int save_tga_top_first(const std::string& name, BITMAP* b)
{
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f)
        return 1;
    unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                (unsigned char)(b->w & 255), (unsigned char)(b->w >> 8),
                                (unsigned char)(b->h & 255), (unsigned char)(b->h >> 8), 24, 0x20};
    std::fwrite(header, 1, sizeof header, f);
    for (int y = 0; y < b->h; y++)
        for (int x = 0; x < b->w; x++) {
            int c = getpixel(b, x, y);
            unsigned char bgr[3] = {(unsigned char)getb(c), (unsigned char)getg(c), (unsigned char)getr(c)};
            std::fwrite(bgr, 1, 3, f);
        }
    bool failed = std::ferror(f) != 0;
    return (std::fclose(f) != 0 || failed) ? 1 : 0;
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
                 save_tga_top_first(dir + "/backgrnd.tga", background);
    if (failed)
        std::fprintf(stderr, "make_assets: cannot write into %s\n", dir.c_str());
    return failed ? 1 : 0;
}
END_OF_MAIN()
