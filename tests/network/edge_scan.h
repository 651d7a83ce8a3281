// The road-by-road method the solver must agree with: no queue, one scan of
// the whole edge_list per settled node. Kept for the tests and the benchmark
// only; it costs O(nodes x roads).
#pragma once

#include "network/network.h"

// Same fields and tie rule as solve_shortest_paths. "No candidate" is a null
// road rather than a total of -1, and a self-joined road is never travelled.
inline void edge_scan_solve()
{
    for (EDGE* e = edge_list; e; e = e->next)
        e->state = STATE_UNSEEN;
    if (!current_node)
        return;
    NODE* cur = current_node;
    std::int64_t base = 0;
    cur->label = 0;
    for (;;) {
        EDGE* chosen = nullptr;
        for (EDGE* e = edge_list; e; e = e->next) {
            if (e->state == STATE_TREE || e->state == STATE_DISCARDED || e->from == e->to)
                continue;
            if (e->to == cur) {
                NODE* t = e->from;
                e->from = e->to;
                e->to = t;
            }
            if (e->from == cur) {
                if (e->state == STATE_UNSEEN) {
                    e->distance = e->length + base;
                    e->state = STATE_CANDIDATE;
                } else {
                    e->state = STATE_DISCARDED;
                }
            }
            if (e->state == STATE_CANDIDATE && (!chosen || e->distance < chosen->distance))
                chosen = e;
        }
        if (!chosen)
            return;
        chosen->state = STATE_TREE;
        cur = chosen->to;
        cur->label = chosen->distance;
        base = chosen->distance;
    }
}
