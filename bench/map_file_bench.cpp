// Loading and saving a large map (1,000,000 nodes, 2,000,000 roads) against
// a minimal pass over the same file in the same run: read it and convert
// every number with from_chars into arrays; write it with to_chars into one
// buffer and out to a file. Figures are bytes of the map file per second.
// With MAPEDIT_REAL_MAP naming a map file (a real road graph), that file too.
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
#include <utility>
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

// The file a benchmark works on: the generated map, or the one named by
// MAPEDIT_REAL_MAP (a real road graph) when `real`.
struct MAP_CASE {
    std::string map, out;
    size_t size;
};

MAP_CASE map_case(bool real)
{
    const BENCH_FILES& f = files();
    if (!real)
        return {f.map, f.out, f.size};
    std::string map = std::getenv("MAPEDIT_REAL_MAP");
    return {map, f.out, file_size(map)};
}

void BM_LoadMap(benchmark::State& state, bool real)
{
    MAP_CASE c = map_case(real);
    for (auto _ : state)
        if (load_map(c.map.c_str()) != 0)
            state.SkipWithError("load failed");
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)c.size);
    state.counters["file_MB"] = (double)c.size / 1e6;
}

void BM_ReadBaseline(benchmark::State& state, bool real)
{
    MAP_CASE c = map_case(real);
    for (auto _ : state) {
        PARSED parsed;
        parse_baseline(read_all(c.map, c.size), &parsed);
        benchmark::DoNotOptimize(parsed.roads.data());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)c.size);
}

void BM_SaveMap(benchmark::State& state, bool real)
{
    MAP_CASE c = map_case(real);
    if (load_map(c.map.c_str()) != 0)
        state.SkipWithError("load failed");
    for (auto _ : state)
        if (save_map(c.out.c_str()) != 0)
            state.SkipWithError("save failed");
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)c.size);
}

// The minimal write; `synced` also waits for the disk, as save_map does so
// that a saved map survives a crash.
void write_baseline(benchmark::State& state, bool real, bool synced)
{
    MAP_CASE c = map_case(real);
    PARSED parsed;
    parse_baseline(read_all(c.map, c.size), &parsed);
    load_map(c.map.c_str());
    std::vector<std::string> names;
    for (NODE* n = node_list; n; n = n->next)
        names.push_back(n->name);
    for (auto _ : state) {
        std::vector<char> buf(c.size + 64);
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
        FILE* out = std::fopen(c.out.c_str(), "wb");
        std::fwrite(buf.data(), 1, (size_t)(p - buf.data()), out);
        std::fflush(out);
        if (synced)
            fsync(fileno(out));
        std::fclose(out);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)c.size);
}

void BM_WriteBaseline(benchmark::State& state, bool real) { write_baseline(state, real, false); }
void BM_WriteBaselineSynced(benchmark::State& state, bool real) { write_baseline(state, real, true); }

// Best of interleaved rounds: the machine is shared, and noise only slows.
double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// The generated map always; the real one too when MAPEDIT_REAL_MAP names one.
void register_all()
{
    const char* real = std::getenv("MAPEDIT_REAL_MAP");
    for (bool r : {false, true}) {
        if (r && (!real || access(real, R_OK) != 0))
            continue;
        std::string tag = r ? "/real" : "/1M_nodes";
        for (auto [name, fn] : {std::pair{"BM_LoadMap", BM_LoadMap}, {"BM_ReadBaseline", BM_ReadBaseline},
                                {"BM_SaveMap", BM_SaveMap}, {"BM_WriteBaseline", BM_WriteBaseline},
                                {"BM_WriteBaselineSynced", BM_WriteBaselineSynced}})
            benchmark::RegisterBenchmark((name + tag).c_str(), fn, r)
                ->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", fastest);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    register_all();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
