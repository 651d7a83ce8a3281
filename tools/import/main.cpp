// mapedit-import's command line: options, the checks that OUTPUT can be
// written and is not the input, the reader for the input's kind, and the map
// file written through the editor's own writer, which puts a complete file
// in place or leaves the old one untouched.
#include <sys/stat.h>
#include <unistd.h>

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
    "property counts as a road of any class. OUTPUT may not be INPUT.\n"
    "\n"
    "Nodes are the places where roads meet or end; the points between them fold\n"
    "into the road, whose length is its true length in whole metres. A node is\n"
    "named after a street that meets there (15 Latin-1 characters at most;\n"
    "other letters lose their accents), or N1, N2, ... when none has a name.\n"
    "The editor's map holds no road that comes back to where it started and no\n"
    "second road between the same two nodes. Such a road is split at its own\n"
    "points instead (a loop into three roads, a second road into two), so the\n"
    "map keeps every road and its whole length; only a second road straight\n"
    "between the two nodes has no point to split at, and is left out, counted.\n"
    "\n"
    "options:\n"
    "  --bbox W,S,E,N   only the roads inside this box (degrees); a road leaving\n"
    "                   it ends at its last point inside\n"
    "  --roads LIST     highway classes to keep, comma-separated, or \"all\";\n"
    "                   default: the roads a car uses (motorway, trunk, primary,\n"
    "                   secondary, tertiary, unclassified, residential,\n"
    "                   living_street and the _link roads)\n"
    "  --fit off|on     off (default): positions in metres east and south of the\n"
    "                   area's north-west corner, for a whole town; on: the area\n"
    "                   scaled into the editor's 800 x 572 map area, aspect kept\n"
    "  --max-nodes N    refuse an area of more than N nodes (default: no limit)\n"
    "  --help           this text\n"
    "\n"
    "A map made with --fit on has positions in pixels but lengths in metres.\n"
    "\n"
    "On any failure it prints why, exits with status 1 and leaves OUTPUT as it\n"
    "was. OpenStreetMap data is (c) OpenStreetMap contributors, available under\n"
    "the Open Database Licence (ODbL); credit it wherever you share a map made\n"
    "from it.\n"
    "\n"
    "examples: West Oakland whole, in metres; then a corner of it to edit\n"
    "  mapedit-import West-Oakland.osm.bz2 oakland-metres.txt\n"
    "  mapedit-import --fit on --roads residential,unclassified,secondary,service \\\n"
    "      --bbox -122.3026,37.8064,-122.2990,37.8088 \\\n"
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
static int parse_option(const char* option, const char* value, OPTIONS* options)
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
    } else if (std::strcmp(option, "--fit") == 0) {
        bad = std::strcmp(value, "on") != 0 && std::strcmp(value, "off") != 0;
        options->fit = std::strcmp(value, "on") == 0;
    } else {
        return fail(option, "unknown option (see --help)");
    }
    return bad ? fail(option, std::string("cannot use \"") + value + "\" (see --help)") : 0;
}

static int parse_command_line(int argc, char** argv, OPTIONS* options, bool* help)
{
    int files = 0;
    for (int k = 1; k < argc; k++) {
        if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
            *help = true;
            return 0;
        }
        if (argv[k][0] == '-' && argv[k][1]) {
            if (parse_option(argv[k], k + 1 < argc ? argv[k + 1] : nullptr, options))
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

// True when OUTPUT names the input file, by a link or another path: stat
// follows links, and the device and inode tell files apart.
static bool same_file(const char* input, const char* output)
{
    struct stat in, out;
    return stat(input, &in) == 0 && stat(output, &out) == 0 && in.st_dev == out.st_dev &&
           in.st_ino == out.st_ino;
}

// The refusals of save_map that leave no errno behind, found before any
// work is done: a name that cannot be looked up, a folder or other
// non-file, a file read-only even for an administrator. A new file is fine.
static int check_output(const char* output)
{
    struct stat st;
    if (!output[0])
        return fail("OUTPUT", "an empty name");
    if (stat(output, &st) != 0)
        return errno == ENOENT ? 0 : fail(output, std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return fail(output, std::strerror(EISDIR));
    if (!S_ISREG(st.st_mode))
        return fail(output, "not a regular file");
    if (access(output, W_OK) != 0)
        return fail(output, std::strerror(errno));
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return fail(output, "the file is read-only");
    return 0;
}

// A --roads class OpenStreetMap does not know and the file does not hold
// is a mistake, not an empty choice.
static int check_classes(const OPTIONS& options, const ROADS& roads)
{
    for (const std::string& c : options.classes)
        if (!known_class(c.c_str()) && roads.classes.count(c) == 0)
            return fail("--roads", "unknown road class \"" + c + "\"");
    return 0;
}

static void report(const OPTIONS& options, const SUMMARY& summary)
{
    std::printf("%s: %ld nodes, %ld roads; split %ld loops and %ld second roads between two nodes "
                "to keep them\n",
                options.output, summary.nodes, summary.roads, summary.loops, summary.parallels);
    if (summary.left_out)
        std::fprintf(stderr, "mapedit-import: %s: left out %ld roads with no point to split at "
                     "(a second road straight between two nodes, or a loop out and back)\n",
                     options.input, summary.left_out);
}

int main(int argc, char** argv)
{
    OPTIONS options{nullptr, nullptr, false, {0, 0, 0, 0}, {}, 0, false};
    for (int k = 0; CAR_ROADS[k]; k++)
        options.classes.push_back(CAR_ROADS[k]);
    bool help = false;
    if (parse_command_line(argc, argv, &options, &help) != 0)
        return 1;
    if (help) {
        std::fputs(HELP, stdout);
        return 0;
    }
    if (same_file(options.input, options.output))
        return fail(options.output, "is the input file; name another file for the map");
    ROADS roads;
    if (check_output(options.output) != 0 || read_roads(options, &roads) != 0 ||
        check_classes(options, roads) != 0)
        return 1;
    SUMMARY summary{0, 0, 0, 0, 0};
    std::string error;
    if (build_network(roads, options, &summary, &error) != 0)
        return fail(options.input, error);
    errno = 0;
    if (save_map(options.output) != 0)
        return fail(options.output, errno ? std::strerror(errno) : "cannot write the map file");
    clear_map();
    report(options, summary);
    return 0;
}
