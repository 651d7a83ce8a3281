// From gathered roads to the editor's map: cut to the area, junctions become
// nodes, the points between them fold into roads whose length is the sum of
// their pieces, loops and twins are split into roads the editor can hold,
// then the nodes are named and placed and the lists filled.
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

// OpenStreetMap's highway values for ways, so that a mistyped --roads class
// is told apart from one the file happens not to hold.
static const char* const KNOWN_CLASSES[] = {
    "motorway", "trunk", "primary", "secondary", "tertiary", "unclassified", "residential",
    "motorway_link", "trunk_link", "primary_link", "secondary_link", "tertiary_link",
    "living_street", "service", "pedestrian", "track", "bus_guideway", "escape", "raceway",
    "road", "busway", "footway", "bridleway", "steps", "corridor", "path", "via_ferrata",
    "cycleway", "proposed", "construction", "elevator", "platform", "rest_area", "services",
    "emergency_bay", nullptr};

bool known_class(const char* highway)
{
    for (int k = 0; KNOWN_CLASSES[k]; k++)
        if (std::strcmp(KNOWN_CLASSES[k], highway) == 0)
            return true;
    return false;
}

bool take_road(const OPTIONS& options, const char* highway, const char* area, ROADS* roads)
{
    if (!highway || (area && std::strcmp(area, "yes") == 0))
        return false;
    roads->classes[highway]++;
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
    const WAY* run;            // the stretch it lies on
    std::size_t first, last;   // its end points' places in run->points
    long a, b;                 // end points, indices into ROADS.points
    double metres;
};

static long point_of(const PIECE& piece, std::size_t k)
{
    return piece.run->points[k];
}

static double step_metres(const ROADS& roads, const PIECE& piece, std::size_t k)
{
    return metres_between(roads.points[point_of(piece, k - 1)], roads.points[point_of(piece, k)]);
}

// The road along run->points[first .. last].
static PIECE make_piece(const ROADS& roads, const WAY* run, std::size_t first, std::size_t last)
{
    PIECE piece{run, first, last, run->points[first], run->points[last], 0.0};
    for (std::size_t k = first + 1; k <= last; k++)
        piece.metres += step_metres(roads, piece, k);
    return piece;
}

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
        std::size_t first = 0;
        for (std::size_t k = 1; k < run.points.size(); k++)
            if (uses[run.points[k]] >= 2) {
                pieces.push_back(make_piece(roads, &run, first, k));
                first = k;
            }
    }
    return pieces;
}

// Of the piece's points first+1 .. last-1 from `from` on, the one whose
// distance along the piece from its start comes nearest to `along`.
static std::size_t point_near(const ROADS& roads, const PIECE& piece, std::size_t from, double along)
{
    std::size_t best = from;
    double walked = 0, best_miss = INFINITY;
    for (std::size_t k = piece.first + 1; k < piece.last; k++) {
        walked += step_metres(roads, piece, k);
        if (k >= from && std::fabs(walked - along) < best_miss) {
            best = k;
            best_miss = std::fabs(walked - along);
        }
    }
    return best;
}

// A second road between two nodes becomes two, meeting at the point that
// halves it most evenly; a loop becomes three, a triangle, cut near its
// thirds. Each cut point is a point of this piece alone, so a new node.
static void split_piece(const ROADS& roads, const PIECE& piece, std::vector<PIECE>* kept)
{
    std::vector<std::size_t> cuts{piece.first};
    if (piece.a == piece.b) {
        std::size_t third = point_near(roads, piece, piece.first + 1, piece.metres / 3);
        third = std::min(third, piece.last - 2);
        cuts.push_back(third);
        cuts.push_back(point_near(roads, piece, third + 1, piece.metres * 2 / 3));
    } else {
        cuts.push_back(point_near(roads, piece, piece.first + 1, piece.metres / 2));
    }
    cuts.push_back(piece.last);
    for (std::size_t k = 1; k < cuts.size(); k++)
        kept->push_back(make_piece(roads, piece.run, cuts[k - 1], cuts[k]));
}

static std::size_t inner_points(const PIECE& piece)
{
    return piece.last - piece.first - 1;
}

static std::pair<long, long> ends_of(const PIECE& piece)
{
    return {std::min(piece.a, piece.b), std::max(piece.a, piece.b)};
}

// For each pair of nodes, the road between them that stays whole: the
// first, or the first straight one, which has no point to split at.
static std::map<std::pair<long, long>, std::size_t> whole_roads(const std::vector<PIECE>& pieces)
{
    std::map<std::pair<long, long>, std::size_t> whole;
    for (std::size_t k = 0; k < pieces.size(); k++) {
        auto found = whole.emplace(ends_of(pieces[k]), k);
        if (inner_points(pieces[found.first->second]) > 0 && inner_points(pieces[k]) == 0)
            found.first->second = k;
    }
    return whole;
}

// The editor allows no road from a node to itself and one road at most
// between two nodes. Every loop, and every road between two nodes but the
// one kept whole, is split at its own points. One too short of points to
// split (a straight twin, a loop out and back) is left out and counted.
static std::vector<PIECE> sound_roads(const ROADS& roads, const std::vector<PIECE>& pieces,
                                      SUMMARY* summary)
{
    std::map<std::pair<long, long>, std::size_t> whole = whole_roads(pieces);
    std::vector<PIECE> kept;
    for (std::size_t k = 0; k < pieces.size(); k++) {
        const PIECE& piece = pieces[k];
        bool loop = piece.a == piece.b;
        if (!loop && whole.at(ends_of(piece)) == k) {
            kept.push_back(piece);
        } else if (inner_points(piece) < (loop ? 2u : 1u)) {
            summary->left_out++;
        } else {
            split_piece(roads, piece, &kept);
            (loop ? summary->loops : summary->parallels)++;
        }
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
        std::string name = latin1_name(piece.run->name);
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

// Why the map would be empty. When the chosen classes match none of the
// file's roads, the classes it does hold, the commonest first.
static std::string no_roads(const ROADS& roads, const OPTIONS& options)
{
    if (!roads.ways.empty())
        return options.has_bbox ? "no roads of the chosen classes inside --bbox"
                                : "no road of the chosen classes has two points with positions";
    if (roads.classes.empty())
        return "holds no roads at all";
    std::vector<std::pair<long, std::string>> held;
    for (const auto& c : roads.classes)
        held.push_back({-c.second, c.first});
    std::sort(held.begin(), held.end());
    std::string list;
    for (const auto& c : held)
        list += (list.empty() ? "" : ", ") + c.second + " (" + std::to_string(-c.first) + ")";
    return "no roads of the chosen classes; it holds " + list +
           ": name some with --roads, or take every one with --roads all";
}

int build_network(const ROADS& roads, const OPTIONS& options, SUMMARY* summary, std::string* error)
{
    std::vector<WAY> runs = cut_to_area(roads, options);
    std::vector<PIECE> kept = sound_roads(roads, fold_roads(roads, runs), summary);
    if (kept.empty()) {
        *error = no_roads(roads, options);
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
