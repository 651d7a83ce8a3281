// From gathered roads to the editor's map: cut to the area, junctions become
// nodes, the points between them fold into roads whose length is the sum of
// their pieces, then the nodes are named and placed and the lists filled.
#include "import.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

#include "network/network.h"

const char* const CAR_ROADS[] = {
    "motorway", "trunk", "primary", "secondary", "tertiary", "unclassified", "residential",
    "living_street", "motorway_link", "trunk_link", "primary_link", "secondary_link",
    "tertiary_link", nullptr};

// The window's map area: 800 wide, above the bottom bar; the margin keeps a
// node's whole 19-pixel hover square inside it.
enum { AREA_W = 800, AREA_H = 600 - 28, MARGIN = 20 };

static const double EARTH_RADIUS = 6371008.8;   // mean radius, metres
static const double RADIAN = M_PI / 180;

bool wanted_road(const OPTIONS& options, const char* highway, const char* area)
{
    if (!highway || (area && std::strcmp(area, "yes") == 0))
        return false;
    if (options.classes.empty())
        return true;
    return std::find(options.classes.begin(), options.classes.end(), highway) != options.classes.end();
}

// Great-circle distance in metres.
static double metres_between(LONLAT a, LONLAT b)
{
    double dlat = (b.lat - a.lat) * RADIAN, dlon = (b.lon - a.lon) * RADIAN;
    double h = std::sin(dlat / 2) * std::sin(dlat / 2) +
               std::cos(a.lat * RADIAN) * std::cos(b.lat * RADIAN) * std::sin(dlon / 2) * std::sin(dlon / 2);
    return 2 * EARTH_RADIUS * std::asin(std::sqrt(std::min(1.0, h)));
}

static bool inside(const ROADS& roads, const OPTIONS& options, long point)
{
    if (point == POINT_OUTSIDE)
        return false;
    const LONLAT& p = roads.points[point];
    return !options.has_bbox || (p.lon >= options.bbox[0] && p.lat >= options.bbox[1] &&
                                 p.lon <= options.bbox[2] && p.lat <= options.bbox[3]);
}

// The stretches of the ways inside the area: a way leaving it ends there.
static std::vector<WAY> cut_to_area(const ROADS& roads, const OPTIONS& options)
{
    std::vector<WAY> runs;
    for (const WAY& way : roads.ways) {
        WAY run;
        run.name = way.name;
        for (std::size_t k = 0; k <= way.points.size(); k++) {
            if (k < way.points.size() && inside(roads, options, way.points[k])) {
                if (run.points.empty() || run.points.back() != way.points[k])
                    run.points.push_back(way.points[k]);
                continue;
            }
            if (run.points.size() >= 2)
                runs.push_back(run);
            run.points.clear();
        }
    }
    return runs;
}

struct PIECE {
    long a, b;                 // end points, indices into ROADS.points
    double metres;
    const std::string* name;
};

// A point is a junction where a stretch ends or where stretches meet; every
// point between two junctions folds into the road joining them.
static std::vector<PIECE> fold_roads(const ROADS& roads, const std::vector<WAY>& runs)
{
    std::vector<int> uses(roads.points.size(), 0);
    for (const WAY& run : runs) {
        for (long p : run.points)
            uses[p]++;
        uses[run.points.front()] += 2;
        uses[run.points.back()] += 2;
    }
    std::vector<PIECE> pieces;
    for (const WAY& run : runs) {
        PIECE piece{run.points[0], 0, 0.0, &run.name};
        for (std::size_t k = 1; k < run.points.size(); k++) {
            piece.metres += metres_between(roads.points[run.points[k - 1]], roads.points[run.points[k]]);
            if (uses[run.points[k]] >= 2) {
                piece.b = run.points[k];
                pieces.push_back(piece);
                piece = PIECE{run.points[k], 0, 0.0, &run.name};
            }
        }
    }
    return pieces;
}

// The editor allows no road from a node to itself and one road at most
// between two nodes. A loop and the longer of two twins are never on a
// shortest path, so leaving them out keeps every distance as it was.
static std::vector<PIECE> sound_roads(const std::vector<PIECE>& pieces, SUMMARY* summary)
{
    std::map<std::pair<long, long>, std::size_t> by_ends;
    std::vector<PIECE> kept;
    for (const PIECE& piece : pieces) {
        if (piece.a == piece.b) {
            summary->loops++;
            continue;
        }
        auto found = by_ends.emplace(std::minmax(piece.a, piece.b), kept.size());
        if (found.second) {
            kept.push_back(piece);
            continue;
        }
        summary->parallels++;
        PIECE& twin = kept[found.first->second];
        if (piece.metres < twin.metres)
            twin = piece;
    }
    return kept;
}

struct PLACE {
    long point;                // index into ROADS.points
    double x, y;               // metres east and north of the area's south-west corner
    std::string name;          // Latin-1, at most 15 characters
    NODE* node;
};

// The road ends, numbered in the order they first appear.
static std::vector<PLACE> number_places(const std::vector<PIECE>& kept, std::map<long, long>* place_of)
{
    std::vector<PLACE> places;
    for (const PIECE& piece : kept)
        for (long p : {piece.a, piece.b})
            if (place_of->emplace(p, (long)places.size()).second)
                places.push_back(PLACE{p, 0, 0, "", nullptr});
    return places;
}

// Each place takes a street meeting there, the one fewest places took so
// far, so that hovering along a street shows its cross streets too.
static void name_places(const std::vector<PIECE>& kept, const std::map<long, long>& place_of,
                        std::vector<PLACE>* places)
{
    std::vector<std::vector<std::string>> streets(places->size());
    for (const PIECE& piece : kept) {
        std::string name = latin1_name(*piece.name);
        if (name.empty())
            continue;
        for (long p : {piece.a, piece.b}) {
            std::vector<std::string>& at = streets[place_of.at(p)];
            if (std::find(at.begin(), at.end(), name) == at.end())
                at.push_back(name);
        }
    }
    std::map<std::string, int> taken;
    int unnamed = 0;
    for (std::size_t k = 0; k < places->size(); k++) {
        const std::string* best = nullptr;
        for (const std::string& name : streets[k])
            if (!best || taken[name] < taken[*best])
                best = &name;
        (*places)[k].name = best ? *best : "N" + std::to_string(++unnamed);
        if (best)
            taken[*best]++;
    }
}

// A local flat projection: metres east and north of the places' south-west
// corner, the east-west scale taken at their middle latitude.
static void project_places(const ROADS& roads, std::vector<PLACE>* places, double* width, double* height)
{
    double west = 180, south = 90, east = -180, north = -90;
    for (const PLACE& place : *places) {
        const LONLAT& p = roads.points[place.point];
        west = std::min(west, p.lon), east = std::max(east, p.lon);
        south = std::min(south, p.lat), north = std::max(north, p.lat);
    }
    double across = EARTH_RADIUS * RADIAN * std::cos((south + north) / 2 * RADIAN);
    for (PLACE& place : *places) {
        place.x = (roads.points[place.point].lon - west) * across;
        place.y = (roads.points[place.point].lat - south) * EARTH_RADIUS * RADIAN;
    }
    *width = (east - west) * across;
    *height = (north - south) * EARTH_RADIUS * RADIAN;
}

// Window pixels (the area scaled into the map area, aspect kept, centred) or
// whole metres, y growing southwards as on the screen either way.
static void place_nodes(const OPTIONS& options, double width, double height, std::vector<PLACE>* places)
{
    double scale = 1, left = 0, top = height;
    if (options.fit) {
        double room_w = AREA_W - 2 * MARGIN, room_h = AREA_H - 2 * MARGIN;
        scale = std::min(width > 0 ? room_w / width : 1e9, height > 0 ? room_h / height : 1e9);
        if (scale == 1e9)
            scale = 1;
        left = MARGIN + (room_w - width * scale) / 2;
        top = MARGIN + (room_h + height * scale) / 2;
    }
    for (PLACE& place : *places) {
        int x = (int)std::lround(left + place.x * scale);
        int y = (int)std::lround(top - place.y * scale);
        place.node = new_node(x, y, place.name.c_str());
    }
}

// Links the records so that the file lists them in the order made.
static void fill_lists(const std::vector<PLACE>& places, const std::vector<PIECE>& kept,
                       const std::map<long, long>& place_of)
{
    for (std::size_t k = places.size(); k-- > 0;) {
        places[k].node->next = node_list;
        node_list = places[k].node;
    }
    for (std::size_t k = kept.size(); k-- > 0;) {
        EDGE* edge = new_edge(places[place_of.at(kept[k].a)].node, places[place_of.at(kept[k].b)].node,
                              (int)std::lround(kept[k].metres));
        edge->next = edge_list;
        edge_list = edge;
    }
    map_version++;
}

int build_network(const ROADS& roads, const OPTIONS& options, SUMMARY* summary, std::string* error)
{
    std::vector<WAY> runs = cut_to_area(roads, options);
    std::vector<PIECE> kept = sound_roads(fold_roads(roads, runs), summary);
    if (kept.empty()) {
        *error = "no roads of the chosen classes in the area";
        return 1;
    }
    std::map<long, long> place_of;
    std::vector<PLACE> places = number_places(kept, &place_of);
    if (options.max_nodes > 0 && (long)places.size() > options.max_nodes) {
        *error = std::to_string(places.size()) + " nodes, more than --max-nodes " +
                 std::to_string(options.max_nodes) + " allows; choose a smaller --bbox or fewer --roads";
        return 1;
    }
    name_places(kept, place_of, &places);
    double width, height;
    project_places(roads, &places, &width, &height);
    place_nodes(options, width, height, &places);
    fill_lists(places, kept, place_of);
    summary->nodes = (long)places.size();
    summary->roads = (long)kept.size();
    return 0;
}
