// Records linked straight in at the head of their lists, as the file reader
// does, without the editor's checks: for maps the editor cannot make.
#pragma once

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
