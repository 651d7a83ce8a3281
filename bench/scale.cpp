// A map the size of the United States road network (24 million nodes, 58
// million roads): `scale generate FILE` writes one, grid-like, straight to
// the file; `scale run FILE` loads it, draws its first frame, steps the view
// through every zoom, solves from its middle node and saves it beside
// itself, printing each step's time and the peak memory. The frames are the
// editor's own, drawn headless.
// `make bench-scale` runs both, after checking disk and memory.
#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "editor/editor.h"
#include "editor/grid.h"
#include "editor/view.h"
#include "editor/viewport.h"
#include "headless.h"
#include "network/map_file.h"
#include "network/network.h"
#include "network/solver.h"

void poll_input(bool) {}   // the pointer stays where the benchmark puts it

namespace {

const int SIDE = 4899;                 // SIDE x SIDE nodes: 24.0 million
const std::int64_t ROADS = 58000000;   // grid roads, then diagonals up to this

// A fixed pseudo-random number per (a, b): lengths and diagonals repeat.
std::uint64_t mix(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t x = a * 0x9E3779B97F4A7C15u ^ (b + 0x632BE59BD9B4E019u);
    x ^= x >> 31;
    x *= 0xBF58476D1CE4E5B9u;
    return x ^ (x >> 29);
}

struct OUT {
    FILE* file;
    std::vector<char> buf;
    size_t used;
};

void flush(OUT* out)
{
    if (std::fwrite(out->buf.data(), 1, out->used, out->file) != out->used) {
        std::perror("scale: write");
        std::exit(1);
    }
    out->used = 0;
}

// A number and the character after it; the buffer is flushed when nearly full.
void put(OUT* out, std::int64_t value, char after)
{
    if (out->used + 32 > out->buf.size())
        flush(out);
    char* p = out->buf.data() + out->used;
    char* end = std::to_chars(p, p + 24, value).ptr;
    *end++ = after;
    out->used += (size_t)(end - p);
}

// Node i sits in row i / SIDE, column i % SIDE. Roads join right and lower
// neighbours, and a share of the cells get a diagonal, chosen so that the
// total comes to ROADS.
int generate(const char* path)
{
    OUT out{std::fopen(path, "wb"), std::vector<char>(1 << 24), 0};
    if (!out.file) {
        std::perror(path);
        return 1;
    }
    const std::int64_t nodes = (std::int64_t)SIDE * SIDE;
    const std::int64_t grid = 2 * (std::int64_t)SIDE * (SIDE - 1);
    const std::int64_t cells = (std::int64_t)(SIDE - 1) * (SIDE - 1);
    const std::uint64_t share = (std::uint64_t)((double)(ROADS - grid) / cells * 1000000.0);
    std::int64_t diagonals = 0;
    for (std::int64_t c = 0; c < cells; c++)
        diagonals += mix(c, 7) % 1000000 < share;
    put(&out, 9992, '\n');
    put(&out, nodes, ' ');
    put(&out, grid + diagonals, '\n');
    for (std::int64_t i = 0; i < nodes; i++) {
        put(&out, (i % SIDE) % 800, ' ');
        put(&out, (i / SIDE) % 572, '\n');
        out.buf[out.used++] = 'N';
        put(&out, (std::int64_t)(mix(i, 1) % 100000), '\n');
    }
    auto road = [&](std::int64_t a, std::int64_t b) {
        put(&out, a, ' ');
        put(&out, b, ' ');
        put(&out, 1 + (std::int64_t)(mix(a, b) % 1000), '\n');
    };
    for (std::int64_t r = 0; r < SIDE; r++)
        for (std::int64_t c = 0; c < SIDE; c++) {
            std::int64_t i = r * SIDE + c;
            if (c + 1 < SIDE) road(i, i + 1);
            if (r + 1 < SIDE) road(i, i + SIDE);
            if (r + 1 < SIDE && c + 1 < SIDE && mix(r * (SIDE - 1) + c, 7) % 1000000 < share)
                road(i, i + SIDE + 1);
        }
    flush(&out);
    if (std::fclose(out.file) != 0) {
        std::perror(path);
        return 1;
    }
    return 0;
}

// Wall-clock, user and system time of a step: on a shared machine the wall
// clock also counts waiting for a core, and system time is mostly the
// kernel finding and clearing pages.
struct CLOCKS {
    std::chrono::steady_clock::time_point wall;
    double user, system;
};

double seconds(const timeval& t) { return (double)t.tv_sec + t.tv_usec / 1e6; }

CLOCKS start_clocks()
{
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return {std::chrono::steady_clock::now(), seconds(u.ru_utime), seconds(u.ru_stime)};
}

void report(const char* step, const CLOCKS& c, const char* target)
{
    CLOCKS now = start_clocks();
    std::printf("%-6s %6.2f s  (user %5.2f s, system %5.2f s; target under %s)\n", step,
                std::chrono::duration<double>(now.wall - c.wall).count(), now.user - c.user,
                now.system - c.system, target);
}

// The process's peak resident memory in GB, from the kernel's own count.
double peak_gb()
{
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss * 1024.0 / 1e9;
}

double frame_ms()
{
    auto start = std::chrono::steady_clock::now();
    draw_edit_view();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The first frame after each of a step in, out, right and left, at zooms
// from the whole map in, and at a view of at most 10,000 roads.
void view_steps(const NODE* middle)
{
    home_view();
    const VIEW home = view;
    double worst = 0;
    std::printf("first frame after a view step, ms (target under 500):");
    for (int level = 0; level <= 24; level += 4) {   // to the closest zoom
        view = home;
        view.level = level;
        draw_edit_view();
        double most = 0;
        for (int k = 0; k < 4; k++) {
            if (k < 2)
                zoom_view(k == 0 ? 1 : -1, to_screen_x(middle->x), to_screen_y(middle->y));
            else
                pan_view(k == 2 ? 100 : -100, 0);
            most = std::max(most, frame_ms());
        }
        std::printf(" %.0f at %g px/unit;", most, view_scale());
        worst = std::max(worst, most);
    }
    std::printf(" worst %.0f\n", worst);
    view = home;
    for (int i = 0; i < 60; i++) {
        const XFORM t = view_xform();
        std::vector<std::uint32_t> keys;
        box_roads(window_box(t, 0, 0, SCREEN_W - 1, SCREEN_H - 1), keys);
        if (keys.size() <= 10000)
            break;
        zoom_view(1, to_screen_x(middle->x), to_screen_y(middle->y));
    }
    draw_edit_view();
    double most = 0;
    for (int k = 0; k < 4; k++) {
        pan_view(k % 2 ? -100 : 100, 0);
        most = std::max(most, frame_ms());
    }
    std::printf("first frame after a pan step with at most 10,000 roads in view: %.2f ms at %g px/unit "
                "(target under 5 ms)\n", most, view_scale());
    home_view();
}

int run(const char* path)
{
    if (start_headless_editor(ASSETS_DIR) != 0) {
        std::fprintf(stderr, "scale: cannot load the images from %s\n", ASSETS_DIR);
        return 1;
    }
    CLOCKS c = start_clocks();
    if (load_map(path) != 0) {
        std::fprintf(stderr, "scale: cannot load %s\n", path);
        return 1;
    }
    report("load", c, "7 s");
    c = start_clocks();
    home_view();
    mouse_x = 400, mouse_y = 300;
    draw_edit_view();
    report("first frame", c, "5 s");
    long nodes = 0, roads = 0;
    for (NODE* n = node_list; n; n = n->next)
        nodes++;
    for (EDGE* e = edge_list; e; e = e->next)
        roads++;
    NODE* middle = node_list;
    for (long i = 0; i < nodes / 2; i++)
        middle = middle->next;
    view_steps(middle);
    current_node = middle;
    c = start_clocks();
    solve_shortest_paths();
    report("solve", c, "10 s");
    map_solved();
    c = start_clocks();
    draw_solve_view();
    report("solve mode's first frame", c, "-");
    long tree = 0;
    for (EDGE* e = edge_list; e; e = e->next)
        tree += e->state == STATE_TREE;
    std::string saved = std::string(path) + ".saved";
    c = start_clocks();
    int status = save_map(saved.c_str());
    report("save", c, "8 s, with writing the file out to disk");
    unlink(saved.c_str());
    if (status != 0) {
        std::fprintf(stderr, "scale: cannot save %s\n", saved.c_str());
        return 1;
    }
    std::printf("map: %ld nodes, %ld roads; the solve's tree has %ld roads\n", nodes, roads, tree);
    std::printf("peak memory %.2f GB, of the load, the view and the solve together (target under 7 GB)\n", peak_gb());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "generate") == 0)
        return generate(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "run") == 0)
        return run(argv[2]);
    std::fprintf(stderr, "usage: %s generate|run FILE\n", argv[0]);
    return 2;
}
