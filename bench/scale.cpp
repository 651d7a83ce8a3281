// A map the size of the United States road network (24 million nodes, 58
// million roads): `scale generate FILE` writes one, grid-like, straight to
// the file; `scale run FILE` loads it, solves from its middle node and saves
// it beside itself, printing each step's time and the peak memory.
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

#include "network/map_file.h"
#include "network/network.h"
#include "network/solver.h"

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

int run(const char* path)
{
    CLOCKS c = start_clocks();
    if (load_map(path) != 0) {
        std::fprintf(stderr, "scale: cannot load %s\n", path);
        return 1;
    }
    report("load", c, "7 s");
    long nodes = 0, roads = 0;
    for (NODE* n = node_list; n; n = n->next)
        nodes++;
    for (EDGE* e = edge_list; e; e = e->next)
        roads++;
    current_node = node_list;
    for (long i = 0; i < nodes / 2; i++)
        current_node = current_node->next;
    c = start_clocks();
    solve_shortest_paths();
    report("solve", c, "10 s");
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
    std::printf("peak memory %.2f GB  (target under 7 GB)\n", peak_gb());
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
