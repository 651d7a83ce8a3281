// GeoJSON input: the LineStrings and MultiLineStrings of a FeatureCollection
// (or of one Feature), with OpenStreetMap tags as properties when the file
// came from it. Lines join where they share a position exactly.
#include "import.h"

#include <cmath>
#include <cstdint>
#include <exception>
#include <fstream>
#include <unordered_map>

#include <nlohmann/json.hpp>

using nlohmann::json;

// Positions to shared points, at OpenStreetMap's precision of 1e-7 degrees.
typedef std::unordered_map<std::uint64_t, long> POINT_TABLE;

static long point_at(const json& position, ROADS* roads, POINT_TABLE* table)
{
    double lon = position.at(0).get<double>(), lat = position.at(1).get<double>();
    if (!(std::fabs(lon) <= 180 && std::fabs(lat) <= 90))
        return POINT_OUTSIDE;
    std::uint64_t key = (std::uint64_t)(std::uint32_t)std::lround(lon * 1e7) << 32 |
                        (std::uint32_t)std::lround(lat * 1e7);
    auto found = table->emplace(key, (long)roads->points.size());
    if (found.second)
        roads->points.push_back({lon, lat});
    return found.first->second;
}

static void take_line(const json& coordinates, const std::string& name, ROADS* roads, POINT_TABLE* table)
{
    WAY way;
    way.name = name;
    for (const json& position : coordinates)
        way.points.push_back(point_at(position, roads, table));
    roads->ways.push_back(std::move(way));
}

static std::string text_property(const json& properties, const char* key)
{
    if (!properties.is_object())
        return "";
    auto it = properties.find(key);
    return it != properties.end() && it->is_string() ? it->get<std::string>() : "";
}

// A feature without a highway property is taken as a road: a file of bare
// lines is a road network with nothing to tell its classes apart.
static void take_feature(const OPTIONS& options, const json& feature, ROADS* roads, POINT_TABLE* table)
{
    const json& geometry = feature.at("geometry");
    if (geometry.is_null())
        return;
    const std::string type = geometry.at("type").get<std::string>();
    if (type != "LineString" && type != "MultiLineString")
        return;
    const json properties = feature.value("properties", json::object());
    std::string highway = text_property(properties, "highway");
    std::string area = text_property(properties, "area");
    if (!highway.empty() && !take_road(options, highway.c_str(), area.c_str(), roads))
        return;
    std::string name = text_property(properties, "name");
    if (type == "LineString")
        take_line(geometry.at("coordinates"), name, roads, table);
    else
        for (const json& line : geometry.at("coordinates"))
            take_line(line, name, roads, table);
}

// nlohmann::json throws on bad syntax and on members of the wrong type; this
// is where its exceptions end.
int read_geojson(const OPTIONS& options, ROADS* roads, std::string* error)
{
    try {
        std::ifstream in(options.input, std::ios::binary);
        json doc = json::parse(in);
        const std::string type = doc.is_object() ? doc.value("type", "") : "";
        POINT_TABLE table;
        if (type == "FeatureCollection") {
            for (const json& feature : doc.at("features"))
                take_feature(options, feature, roads, &table);
        } else if (type == "Feature") {
            take_feature(options, doc, roads, &table);
        } else {
            *error = "not GeoJSON: neither a FeatureCollection nor a Feature";
            return 1;
        }
    } catch (const std::exception& e) {
        *error = std::string("not readable as GeoJSON: ") + e.what();
        return 1;
    }
    return 0;
}
