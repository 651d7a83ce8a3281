// mapedit-import: real roads (OpenStreetMap data or GeoJSON LineStrings)
// turned into the editor's map. The readers gather the wanted roads as point
// lists; the builder finds the junctions, folds the points between them into
// roads with lengths, splits the roads the editor's map cannot hold as they
// are, names and places the nodes, and fills the editor's lists.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

enum { POINT_OUTSIDE = -1 };   // a way's point whose position the input lacks

struct LONLAT {
    double lon, lat;           // degrees, WGS 84
};

struct WAY {
    std::vector<long> points;  // indices into ROADS.points, or POINT_OUTSIDE
    std::string name;          // UTF-8 as read; empty when the road has none
};

struct ROADS {
    std::vector<LONLAT> points;  // every point a road uses, shared points once
    std::vector<WAY> ways;       // the wanted roads, in input order
    std::map<std::string, long> classes;  // every road's class in the file, wanted or not, and its count
};

struct OPTIONS {
    const char* input;           // file to read; .json/.geojson is GeoJSON, else OSM
    const char* output;          // map file to write
    bool has_bbox;
    double bbox[4];              // west, south, east, north in degrees
    std::vector<std::string> classes;  // highway values wanted; empty means every one
    long max_nodes;              // 0 for no limit
    bool fit;                    // true: pixels in the window; false: metres
};

struct SUMMARY {
    long nodes, roads;           // what the map holds
    long loops, parallels;       // roads split to be kept: self-joined, a second road between two nodes
    long left_out;               // such roads with too few points to split at
};

// Road classes: the --roads default, the classes OpenStreetMap knows, and
// the filter both readers apply.
extern const char* const CAR_ROADS[];                                  // null-terminated
bool known_class(const char* highway);                                 // true for an OpenStreetMap highway class
bool take_road(const OPTIONS& options, const char* highway, const char* area, ROADS* roads);  // counts its class; true to keep

// Readers; each fills *roads and on 1 puts the reason in *error. main calls them.
int  read_osm(const OPTIONS& options, ROADS* roads, std::string* error);      // 1 unreadable or not OSM
int  read_geojson(const OPTIONS& options, ROADS* roads, std::string* error);  // 1 unreadable or not GeoJSON

// Builds node_list and edge_list from *roads; they must be empty. 1 with
// *error when the area holds no road or more nodes than allowed.
int  build_network(const ROADS& roads, const OPTIONS& options, SUMMARY* summary, std::string* error);

// A UTF-8 street name as the editor's 15 Latin-1 characters: letters Latin-1
// lacks lose their accents, anything else without a Latin-1 form is dropped.
std::string latin1_name(const std::string& utf8);
