// mapedit-import's command line: options, the reader for the input's kind,
// and the map file written through the editor's own writer, which puts a
// complete file in place or leaves the old one untouched.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "import.h"
#include "network/map_file.h"
#include "network/network.h"

static const char HELP[] =
    "usage: mapedit-import [options] INPUT OUTPUT\n"
    "\n"
    "Turns the roads of a real place into a mapedit map file. INPUT is\n"
    "OpenStreetMap data (.osm, .osm.bz2, .osm.gz, .osm.pbf) or GeoJSON\n"
    "(.json, .geojson) with LineString or MultiLineString features; GeoJSON\n"
    "lines join where they share a position, and a feature without a \"highway\"\n"
    "property counts as a road of any class.\n"
    "\n"
    "Nodes are the places where roads meet or end; the points between them fold\n"
    "into the road, whose length is its true length in whole metres. A node is\n"
    "named after a street that meets there (15 Latin-1 characters at most;\n"
    "other letters lose their accents), or N1, N2, ... when none has a name.\n"
    "A road that comes back to where it started, and the longer of two roads\n"
    "joining the same two nodes, are left out: no shortest path uses them.\n"
    "\n"
    "options:\n"
    "  --bbox W,S,E,N   only the roads inside this box (degrees); a road leaving\n"
    "                   it ends at its last point inside\n"
    "  --roads LIST     highway classes to keep, comma-separated, or \"all\";\n"
    "                   default: the roads a car uses (motorway, trunk, primary,\n"
    "                   secondary, tertiary, unclassified, residential,\n"
    "                   living_street and the _link roads)\n"
    "  --max-nodes N    refuse an area of more than N nodes (default 1000 with\n"
    "                   --fit on, no limit with --fit off; 0 for no limit)\n"
    "  --fit on|off     on (default): positions in pixels, the area scaled into\n"
    "                   the editor's window with its aspect kept; off: positions\n"
    "                   in metres from the north-west corner, for the solver\n"
    "  --help           this text\n"
    "\n"
    "On any failure it prints why, exits with status 1 and leaves OUTPUT as it\n"
    "was. OpenStreetMap data is (c) OpenStreetMap contributors, available under\n"
    "the Open Database Licence (ODbL); credit it wherever you share a map made\n"
    "from it.\n"
    "\n"
    "example:\n"
    "  mapedit-import --bbox -122.2880,37.8030,-122.2790,37.8100 \\\n"
    "      West-Oakland.osm.bz2 oakland.txt\n";

static int fail(const char* what, const std::string& why)
{
    std::fprintf(stderr, "mapedit-import: %s%s%s\n", what, *what ? ": " : "", why.c_str());
    return 1;
}

static int parse_bbox(const char* text, OPTIONS* options)
{
    double* b = options->bbox;
    char end;
    if (std::sscanf(text, "%lf,%lf,%lf,%lf%c", &b[0], &b[1], &b[2], &b[3], &end) != 4 ||
        !(b[0] < b[2] && b[1] < b[3]))
        return 1;
    options->has_bbox = true;
    return 0;
}

static int parse_roads(const char* text, OPTIONS* options)
{
    options->classes.clear();
    if (std::strcmp(text, "all") == 0)
        return 0;
    std::string list = text;
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t comma = std::min(list.find(',', start), list.size());
        if (comma == start)
            return 1;
        options->classes.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return 0;
}

static int parse_count(const char* text, long* value)
{
    char* end;
    errno = 0;
    *value = std::strtol(text, &end, 10);
    return end == text || *end || errno || *value < 0;
}

// One option and its value; 1 with a message for anything not understood.
static int parse_option(const char* option, const char* value, OPTIONS* options, bool* max_given)
{
    if (!value)
        return fail(option, "needs a value (see --help)");
    int bad = 0;
    if (std::strcmp(option, "--bbox") == 0)
        bad = parse_bbox(value, options);
    else if (std::strcmp(option, "--roads") == 0)
        bad = parse_roads(value, options);
    else if (std::strcmp(option, "--max-nodes") == 0) {
        bad = parse_count(value, &options->max_nodes);
        *max_given = true;
    }
    else if (std::strcmp(option, "--fit") == 0) {
        bad = std::strcmp(value, "on") != 0 && std::strcmp(value, "off") != 0;
        options->fit = std::strcmp(value, "off") != 0;
    } else {
        return fail(option, "unknown option (see --help)");
    }
    return bad ? fail(option, std::string("cannot use \"") + value + "\" (see --help)") : 0;
}

static int parse_command_line(int argc, char** argv, OPTIONS* options, bool* help)
{
    bool max_given = false;
    int files = 0;
    for (int k = 1; k < argc; k++) {
        if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
            *help = true;
            return 0;
        }
        if (argv[k][0] == '-' && argv[k][1]) {
            if (parse_option(argv[k], k + 1 < argc ? argv[k + 1] : nullptr, options, &max_given))
                return 1;
            k++;
        } else if (files < 2) {
            (files++ ? options->output : options->input) = argv[k];
        } else {
            return fail("", "one INPUT and one OUTPUT only (see --help)");
        }
    }
    if (files < 2)
        return fail("", "needs an INPUT and an OUTPUT file (see --help)");
    if (!max_given)
        options->max_nodes = options->fit ? 1000 : 0;
    return 0;
}

static bool ends_with(const std::string& s, const char* suffix)
{
    std::size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// The input's roads, by the reader its name asks for.
static int read_roads(const OPTIONS& options, ROADS* roads)
{
    struct stat st;
    if (stat(options.input, &st) != 0)
        return fail(options.input, std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        return fail(options.input, "not a file");
    std::string name = options.input, error;
    bool json = ends_with(name, ".json") || ends_with(name, ".geojson");
    if ((json ? read_geojson(options, roads, &error) : read_osm(options, roads, &error)) != 0)
        return fail(options.input, error);
    return 0;
}

int main(int argc, char** argv)
{
    OPTIONS options{nullptr, nullptr, false, {0, 0, 0, 0}, {}, 0, true};
    for (int k = 0; CAR_ROADS[k]; k++)
        options.classes.push_back(CAR_ROADS[k]);
    bool help = false;
    if (parse_command_line(argc, argv, &options, &help) != 0)
        return 1;
    if (help) {
        std::fputs(HELP, stdout);
        return 0;
    }
    ROADS roads;
    if (read_roads(options, &roads) != 0)
        return 1;
    SUMMARY summary{0, 0, 0, 0};
    std::string error;
    if (build_network(roads, options, &summary, &error) != 0)
        return fail(options.input, error);
    if (save_map(options.output) != 0)
        return fail(options.output, "cannot write the map file");
    clear_map();
    std::printf("%s: %ld nodes, %ld roads; left out %ld loops and %ld longer parallel roads\n",
                options.output, summary.nodes, summary.roads, summary.loops, summary.parallels);
    return 0;
}
