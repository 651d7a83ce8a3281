// Loading and saving generated maps of 10k, 100k and 1M nodes (two roads a
// node), and the map file MAPEDIT_REAL_MAP names, each against a reference
// pass over the same file in the same run: load_reference reads the file and
// converts every number with from_chars into plain arrays; save_reference
// formats those arrays with to_chars into one buffer, writes it and waits for
// the disk, as save_map does. The references keep their buffers from round
// to round, as the editor keeps its records, and touch them once untimed:
// fresh memory on this kind of machine costs more than the parsing.
//
// Rows are load/N, load_reference/N, save/N and save_reference/N, N the node
// count, and the same four with the real map's file name (load/gothenburg).
// Compare real_time; file_MB is the file's size.
//
// Each load takes new record blocks before it lets go of the old map, and
// whether the allocator hands them out fresh depends on what ran before: a
// real-map load run alone (--benchmark_filter) gets fresh pages every time,
// as the editor does reloading a map of that size, and one run after the
// larger maps often gets recycled ones.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "network/map_file.h"
#include "network/network.h"

namespace {

const int SIZES[] = {10000, 100000, 1000000};
const int ROADS_PER_NODE = 2;

// The numbers of a map file, the names skipped, and the buffers the
// reference passes keep.
struct REFERENCE {
    std::vector<char> text;            // the whole file
    std::vector<int> xy, roads;        // two numbers a node, three a road
    std::vector<std::string> names;    // for the write, in file order
    std::vector<char> out;             // the written text
};

struct MAP_CASE {
    std::string map;         // the file loaded
    std::string out;         // save_map's target
    std::string ref_out;     // save_reference's target
    size_t size = 0;
    REFERENCE ref;
};

std::string scratch_dir()
{
    static std::string dir;
    if (dir.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        dir = std::string(tmp ? tmp : "/tmp") + "/map_file_bench.XXXXXX";
        if (!mkdtemp(&dir[0]))
            std::abort();
        std::atexit([] { std::system(("rm -rf '" + dir + "'").c_str()); });
    }
    return dir;
}

// Roads join nearby nodes so that lengths look like an editor's.
void build_map(int nodes)
{
    clear_map();
    std::mt19937 rng(9992);
    std::vector<NODE*> made((size_t)nodes);
    char name[16];
    for (int i = 0; i < nodes; i++) {
        std::snprintf(name, sizeof name, "N%d", (int)(rng() % 100000));
        NODE* n = new_node((int)(rng() % 800), (int)(rng() % 572), name);
        n->next = node_list;
        node_list = n;
        made[(size_t)i] = n;
    }
    for (int k = 0; k < ROADS_PER_NODE * nodes; k++) {
        int i = (int)(rng() % (unsigned)nodes);
        int j = (i + 1 + (int)(rng() % 50)) % nodes;
        EDGE* e = new_edge(made[(size_t)i], made[(size_t)j], straight_length(made[(size_t)i], made[(size_t)j]));
        e->next = edge_list;
        edge_list = e;
    }
}

size_t file_size(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (size_t)st.st_size : 0;
}

// The case of a generated size (real == nullptr) or of the real map, its
// file written on first use.
MAP_CASE& map_case(int nodes, const char* real)
{
    static std::map<std::string, MAP_CASE> cases;
    std::string key = real ? std::string("real") : std::to_string(nodes);
    MAP_CASE& c = cases[key];
    if (c.size == 0) {
        std::string dir = scratch_dir();
        c.out = dir + "/out-" + key + ".txt";
        c.ref_out = dir + "/reference-" + key + ".txt";
        if (real) {
            c.map = real;
        } else {
            c.map = dir + "/map-" + key + ".txt";
            build_map(nodes);
            if (save_map(c.map.c_str()) != 0)
                std::abort();
        }
        c.size = file_size(c.map);
    }
    return c;
}

// The whole file into the kept buffer, which it fits after the first time.
void read_file(const std::string& path, std::vector<char>* text)
{
    int fd = open(path.c_str(), O_RDONLY);
    size_t got = 0;
    ssize_t n;
    while (got < text->size() && (n = read(fd, text->data() + got, text->size() - got)) > 0)
        got += (size_t)n;
    close(fd);
}

const char* next_int(const char* p, const char* end, int* v)
{
    while (p < end && (*p == ' ' || *p == '\n'))
        p++;
    return std::from_chars(p, end, *v).ptr;
}

// The minimal load: every number into the arrays, the name lines skipped.
void parse_reference(const std::string& path, REFERENCE* ref)
{
    read_file(path, &ref->text);
    const char* p = ref->text.data();
    const char* end = p + ref->text.size();
    int magic, n, m;
    p = next_int(p, end, &magic);
    p = next_int(p, end, &n);
    p = next_int(p, end, &m);
    ref->xy.resize(2 * (size_t)n);
    ref->roads.resize(3 * (size_t)m);
    int* xy = ref->xy.data();
    for (int i = 0; i < n; i++) {
        p = next_int(p, end, &xy[2 * i]);
        p = next_int(p, end, &xy[2 * i + 1]);
        p = (const char*)std::memchr(p + 1, '\n', end - p - 1) + 1;   // the name line
    }
    for (int& v : ref->roads)
        p = next_int(p, end, &v);
}

// The buffers sized and every page of them touched, before any timing.
void prepare_reference(MAP_CASE* c)
{
    REFERENCE& ref = c->ref;
    if (!ref.text.empty())
        return;
    ref.text.resize(c->size);
    parse_reference(c->map, &ref);
    if (load_map(c->map.c_str()) != 0)
        std::abort();
    for (NODE* n = node_list; n; n = n->next)
        ref.names.push_back(n->name);
    std::reverse(ref.names.begin(), ref.names.end());   // file order
    ref.out.resize(c->size + 64);
}

// The minimal save of the parsed numbers and the names, synced.
void write_reference(const MAP_CASE& c, REFERENCE* ref)
{
    char* p = ref->out.data();
    auto put = [&](int v, char after) { p = std::to_chars(p, p + 12, v).ptr; *p++ = after; };
    put(9992, '\n');
    put((int)ref->names.size(), ' ');
    put((int)(ref->roads.size() / 3), '\n');
    for (size_t i = 0; i < ref->names.size(); i++) {
        put(ref->xy[2 * i], ' ');
        put(ref->xy[2 * i + 1], '\n');
        std::memcpy(p, ref->names[i].data(), ref->names[i].size());
        p += ref->names[i].size();
        *p++ = '\n';
    }
    for (size_t k = 0; k < ref->roads.size(); k++)
        put(ref->roads[k], k % 3 == 2 ? '\n' : ' ');
    int fd = open(c.ref_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const char* q = ref->out.data();
    ssize_t n;
    while (q < p && (n = write(fd, q, (size_t)(p - q))) > 0)
        q += n;
    fsync(fd);
    close(fd);
}

void report_size(benchmark::State& state, const MAP_CASE& c)
{
    state.counters["file_MB"] = (double)c.size / 1e6;
}

void load(benchmark::State& state, const char* real)
{
    MAP_CASE& c = map_case(real ? 0 : (int)state.range(0), real);
    for (auto _ : state)
        if (load_map(c.map.c_str()) != 0)
            state.SkipWithError("load failed");
    report_size(state, c);
}

void load_reference(benchmark::State& state, const char* real)
{
    MAP_CASE& c = map_case(real ? 0 : (int)state.range(0), real);
    prepare_reference(&c);
    for (auto _ : state) {
        parse_reference(c.map, &c.ref);
        benchmark::DoNotOptimize(c.ref.roads.data());
        benchmark::ClobberMemory();
    }
    report_size(state, c);
}

void save(benchmark::State& state, const char* real)
{
    MAP_CASE& c = map_case(real ? 0 : (int)state.range(0), real);
    if (load_map(c.map.c_str()) != 0)
        state.SkipWithError("load failed");
    for (auto _ : state)
        if (save_map(c.out.c_str()) != 0)
            state.SkipWithError("save failed");
    report_size(state, c);
}

void save_reference(benchmark::State& state, const char* real)
{
    MAP_CASE& c = map_case(real ? 0 : (int)state.range(0), real);
    prepare_reference(&c);
    for (auto _ : state)
        write_reference(c, &c.ref);
    report_size(state, c);
}

// Best of interleaved rounds: the machine is shared, and noise only slows.
double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// The real map's rows take its file name without the folder and extension.
std::string real_tag(const char* real)
{
    std::string tag = real;
    tag = tag.substr(tag.rfind('/') + 1);
    return tag.substr(0, tag.find('.'));
}

// Wall time, not CPU time, is what the user waits for; the rows are timed by
// it without UseRealTime, which would add "/real_time" to every name.
void register_all()
{
    using FN = void (*)(benchmark::State&, const char*);
    const std::pair<const char*, FN> kinds[] = {
        {"load", load}, {"load_reference", load_reference}, {"save", save}, {"save_reference", save_reference}};
    const char* real = std::getenv("MAPEDIT_REAL_MAP");
    bool have_real = real && access(real, R_OK) == 0;
    for (const auto& [name, fn] : kinds) {
        benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(name, fn, nullptr);
        for (int n : SIZES)
            b->Arg(n);
        b->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
        if (have_real)
            benchmark::RegisterBenchmark((std::string(name) + "/" + real_tag(real)).c_str(), fn, real)
                ->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
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
