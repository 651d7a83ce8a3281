// OpenStreetMap input (.osm, .osm.bz2, .osm.pbf and the other forms libosmium
// knows by their suffix): the wanted highway ways and the positions of their
// nodes. Nodes and ways may come in any order, so ways are resolved at the end.
#include "import.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <utility>

#include <osmium/io/any_input.hpp>
#include <osmium/osm/node.hpp>
#include <osmium/osm/way.hpp>

struct OSM_WAY {
    std::vector<std::int64_t> refs;   // node ids in order
    std::string name;
};

struct OSM_DATA {
    std::vector<std::pair<std::int64_t, LONLAT>> nodes;   // id and position
    std::vector<OSM_WAY> ways;
};

static void take_way(const OPTIONS& options, const osmium::Way& way, OSM_DATA* data, ROADS* roads)
{
    const osmium::TagList& tags = way.tags();
    if (!take_road(options, tags["highway"], tags["area"], roads))
        return;
    OSM_WAY w;
    for (const osmium::NodeRef& ref : way.nodes())
        w.refs.push_back(ref.ref());
    const char* name = tags["name"];
    w.name = name ? name : "";
    data->ways.push_back(std::move(w));
}

// A broken compressed file in words: libosmium names bzlib's and zlib's
// troubles by number only, and the two libraries' numbers overlap.
static const char* bzip2_trouble(int code)
{
    switch (code) {
    case BZ_DATA_ERROR:       return "the compressed data is damaged";
    case BZ_UNEXPECTED_EOF:   return "the compressed data ends early: the file is cut short";
    case BZ_DATA_ERROR_MAGIC: return "not bzip2 data, though its name ends in .bz2";
    case BZ_MEM_ERROR:        return "out of memory while decompressing";
    default:                  return nullptr;
    }
}

static const char* gzip_trouble(int code)
{
    switch (code) {
    case Z_DATA_ERROR: return "the compressed data is damaged";
    case Z_BUF_ERROR:  return "the compressed data ends early: the file is cut short";
    case Z_MEM_ERROR:  return "out of memory while decompressing";
    default:           return nullptr;
    }
}

// The words for a trouble, else the system's reason, else libosmium's text.
static std::string compression_trouble(const char* words, int system_errno, const std::exception& e)
{
    if (words)
        return words;
    if (system_errno)
        return std::strerror(system_errno);
    return std::string("not readable as OpenStreetMap data: ") + e.what();
}

// Reads every node and way. libosmium throws on files it cannot open or
// parse; this is where its exceptions end.
static int read_file(const OPTIONS& options, OSM_DATA* data, ROADS* roads, std::string* error)
{
    try {
        osmium::io::File file(options.input);
        osmium::io::Reader reader(file, osmium::osm_entity_bits::node | osmium::osm_entity_bits::way);
        while (osmium::memory::Buffer buffer = reader.read()) {
            for (const osmium::OSMEntity& entity : buffer) {
                if (entity.type() == osmium::item_type::node) {
                    const osmium::Node& node = static_cast<const osmium::Node&>(entity);
                    if (node.location().valid())
                        data->nodes.push_back({node.id(), {node.location().lon(), node.location().lat()}});
                } else if (entity.type() == osmium::item_type::way) {
                    take_way(options, static_cast<const osmium::Way&>(entity), data, roads);
                }
            }
        }
        reader.close();
    } catch (const osmium::bzip2_error& e) {
        *error = compression_trouble(bzip2_trouble(e.bzip2_error_code), e.system_errno, e);
        return 1;
    } catch (const osmium::gzip_error& e) {
        *error = compression_trouble(gzip_trouble(e.gzip_error_code), e.system_errno, e);
        return 1;
    } catch (const std::exception& e) {
        *error = std::string("not readable as OpenStreetMap data: ") + e.what();
        return 1;
    }
    return 0;
}

// Ways become point lists; a node the file lacks (an extract cut through a
// way) becomes a gap in its road.
static void resolve_ways(OSM_DATA* data, ROADS* roads)
{
    std::sort(data->nodes.begin(), data->nodes.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<long> index(data->nodes.size(), POINT_OUTSIDE);
    for (OSM_WAY& w : data->ways) {
        WAY way;
        way.name = std::move(w.name);
        for (std::int64_t ref : w.refs) {
            auto it = std::lower_bound(data->nodes.begin(), data->nodes.end(), ref,
                                       [](const auto& n, std::int64_t id) { return n.first < id; });
            if (it == data->nodes.end() || it->first != ref) {
                way.points.push_back(POINT_OUTSIDE);
                continue;
            }
            long& slot = index[it - data->nodes.begin()];
            if (slot == POINT_OUTSIDE) {
                slot = (long)roads->points.size();
                roads->points.push_back(it->second);
            }
            way.points.push_back(slot);
        }
        roads->ways.push_back(std::move(way));
    }
}

int read_osm(const OPTIONS& options, ROADS* roads, std::string* error)
{
    OSM_DATA data{};
    if (read_file(options, &data, roads, error) != 0)
        return 1;
    resolve_ways(&data, roads);
    return 0;
}
