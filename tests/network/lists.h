// Map helpers for the tests and the fuzzer: records linked in at the head of
// their lists as the file reader does, the whole map as one string, and the
// reader's contract on one file.
#pragma once

#include <string>

#include "network/map_file.h"
#include "network/network.h"

inline NODE* push_node(int x, int y, const char* name)
{
    NODE* n = new_node(x, y, name);
    n->next = node_list;
    return node_list = n;
}

inline EDGE* push_edge(NODE* a, NODE* b, int length)
{
    EDGE* e = new_edge(a, b, length);
    e->next = edge_list;
    return edge_list = e;
}

// Every field in list order, road ends by node position (an end that is not in
// node_list walks off it): "x,y,name,label;...|from-to:length,state,distance;...".
inline std::string describe()
{
    auto at = [](const NODE* n) {
        int i = 0;
        for (const NODE* p = node_list; p != n; p = p->next) i++;
        return std::to_string(i);
    };
    std::string s;
    for (NODE* n = node_list; n; n = n->next)
        s += std::to_string(n->x) + "," + std::to_string(n->y) + "," + n->name + "," +
             std::to_string(n->label) + ";";
    s += "|";
    for (EDGE* e = edge_list; e; e = e->next)
        s += at(e->from) + "-" + at(e->to) + ":" + std::to_string(e->length) + "," +
             std::to_string(e->state) + "," + std::to_string(e->distance) + ";";
    return s;
}

// load_map's status on `path`, or -1 when a refused file changed the map or a
// loaded one does not come back the same from two round trips through `scratch`.
inline int load_status(const char* path, const char* scratch)
{
    clear_map();
    push_edge(push_node(1, 2, "a"), push_node(3, 4, "b"), 5);
    const std::string before = describe();
    if (load_map(path) != 0)
        return describe() == before ? 1 : -1;
    const std::string loaded = describe();
    for (int k = 0; k < 2; k++)
        if (save_map(scratch) != 0 || load_map(scratch) != 0)
            return -1;
    return describe() == loaded ? 0 : -1;
}
