// Loading and saving a large map (1,000,000 nodes, 2,000,000 roads) against
// a minimal pass over the same file in the same run: read it and convert
// every number with from_chars into arrays; write it with to_chars into one
// buffer and out to a file. Figures are bytes of the map file per second.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "network/map_file.h"
#include "network/network.h"

namespace {

const int NODES = 1000000;
const int ROADS = 2000000;

struct BENCH_FILES {
    std::string dir, map, out;
    size_t size = 0;
};

// Roads join nearby nodes so that lengths look like an editor's.
void build_map()
{
    std::mt19937 rng(9992);
    std::vector<NODE*> nodes(NODES);
    char name[16];
    for (int i = 0; i < NODES; i++) {
        std::snprintf(name, sizeof name, "N%d", (int)(rng() % 100000));
        NODE* n = new_node((int)(rng() % 800), (int)(rng() % 572), name);
        n->next = node_list;
        node_list = n;
        nodes[i] = n;
    }
    for (int k = 0; k < ROADS; k++) {
        int i = (int)(rng() % NODES);
        int j = (i + 1 + (int)(rng() % 50)) % NODES;
        EDGE* e = new_edge(nodes[i], nodes[j], straight_length(nodes[i], nodes[j]));
        e->next = edge_list;
        edge_list = e;
    }
}

size_t file_size(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    size_t size = (size_t)std::ftell(f);
    std::fclose(f);
    return size;
}

const BENCH_FILES& files()
{
    static BENCH_FILES f;
    if (f.size == 0) {
        const char* tmp = std::getenv("TMPDIR");
        std::string tmpl = std::string(tmp ? tmp : "/tmp") + "/map_file_bench.XXXXXX";
        if (!mkdtemp(&tmpl[0]))
            std::abort();
        f.dir = tmpl;
        f.map = f.dir + "/big.txt";
        f.out = f.dir + "/out.txt";
        build_map();
        if (save_map(f.map.c_str()) != 0)
            std::abort();
        f.size = file_size(f.map);
        std::atexit([] {
            unlink(files().map.c_str());
            unlink(files().out.c_str());
            rmdir(files().dir.c_str());
        });
    }
    return f;
}

std::vector<char> read_all(const std::string& path, size_t size)
{
    std::vector<char> data(size);
    int fd = open(path.c_str(), O_RDONLY);
    size_t got = 0;
    ssize_t n;
    while (got < size && (n = read(fd, data.data() + got, size - got)) > 0)
        got += (size_t)n;
    close(fd);
    return data;
}

// The numbers of the file in arrays, the names skipped: what any reader must do.
struct PARSED {
    std::vector<int> xy, roads;
};

const char* next_int(const char* p, const char* end, int* v)
{
    while (p < end && (*p == ' ' || *p == '\n'))
        p++;
    return std::from_chars(p, end, *v).ptr;
}

void parse_baseline(const std::vector<char>& data, PARSED* out)
{
    const char* p = data.data();
    const char* end = p + data.size();
    int magic, n, m;
    p = next_int(p, end, &magic);
    p = next_int(p, end, &n);
    p = next_int(p, end, &m);
    out->xy.resize(2 * (size_t)n);
    out->roads.resize(3 * (size_t)m);
    for (int i = 0; i < n; i++) {
        p = next_int(p, end, &out->xy[2 * i]);
        p = next_int(p, end, &out->xy[2 * i + 1]);
        p = (const char*)std::memchr(p + 1, '\n', end - p - 1) + 1;   // the name line
    }
    for (size_t k = 0; k < out->roads.size(); k++)
        p = next_int(p, end, &out->roads[k]);
}

void BM_LoadMap(benchmark::State& state)
{
    const BENCH_FILES& f = files();
    for (auto _ : state)
        if (load_map(f.map.c_str()) != 0)
            state.SkipWithError("load failed");
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)f.size);
    state.counters["file_MB"] = (double)f.size / 1e6;
}

void BM_ReadBaseline(benchmark::State& state)
{
    const BENCH_FILES& f = files();
    for (auto _ : state) {
        PARSED parsed;
        parse_baseline(read_all(f.map, f.size), &parsed);
        benchmark::DoNotOptimize(parsed.roads.data());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)f.size);
}

void BM_SaveMap(benchmark::State& state)
{
    const BENCH_FILES& f = files();
    for (auto _ : state)
        if (save_map(f.out.c_str()) != 0)
            state.SkipWithError("save failed");
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)f.size);
}

void BM_WriteBaseline(benchmark::State& state)
{
    const BENCH_FILES& f = files();
    PARSED parsed;
    parse_baseline(read_all(f.map, f.size), &parsed);
    std::vector<std::string> names;
    for (NODE* n = node_list; n; n = n->next)
        names.push_back(n->name);
    for (auto _ : state) {
        std::vector<char> buf(f.size + 64);
        char* p = buf.data();
        auto put = [&](int v, char after) { p = std::to_chars(p, p + 12, v).ptr; *p++ = after; };
        put(9992, '\n');
        put((int)names.size(), ' ');
        put((int)(parsed.roads.size() / 3), '\n');
        for (size_t i = 0; i < names.size(); i++) {
            put(parsed.xy[2 * i], ' ');
            put(parsed.xy[2 * i + 1], '\n');
            std::memcpy(p, names[i].data(), names[i].size());
            p += names[i].size();
            *p++ = '\n';
        }
        for (size_t k = 0; k < parsed.roads.size(); k++)
            put(parsed.roads[k], k % 3 == 2 ? '\n' : ' ');
        FILE* out = std::fopen(f.out.c_str(), "wb");
        std::fwrite(buf.data(), 1, (size_t)(p - buf.data()), out);
        std::fclose(out);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)f.size);
}

}  // namespace

// Best of interleaved rounds: the machine is shared, and noise only slows.
double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
#define MAP_BENCH(f) BENCHMARK(f)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", fastest)
MAP_BENCH(BM_LoadMap);
MAP_BENCH(BM_ReadBaseline);
MAP_BENCH(BM_SaveMap);
MAP_BENCH(BM_WriteBaseline);

BENCHMARK_MAIN();
