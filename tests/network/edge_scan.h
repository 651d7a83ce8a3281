// The road-by-road method the solver must agree with, for the tests and the
// benchmark: one scan of edge_list per settled node. "No candidate" is a null
// road rather than a total of -1; a self-joined road is never travelled.
#pragma once

#include <utility>

#include "network/network.h"

inline void edge_scan_solve()
{
    for (EDGE* e = edge_list; e; e = e->next)
        e->state = STATE_UNSEEN;
    if (current_node)
        current_node->label = 0;
    for (NODE* cur = current_node; cur;) {
        EDGE* chosen = nullptr;
        for (EDGE* e = edge_list; e; e = e->next) {
            if (e->state == STATE_TREE || e->state == STATE_DISCARDED || e->from == e->to)
                continue;
            if (e->to == cur)
                std::swap(e->from, e->to);
            if (e->from == cur && e->state == STATE_UNSEEN)
                e->distance = e->length + cur->label, e->state = STATE_CANDIDATE;
            else if (e->from == cur)
                e->state = STATE_DISCARDED;
            if (e->state == STATE_CANDIDATE && (!chosen || e->distance < chosen->distance))
                chosen = e;
        }
        if (chosen)
            chosen->state = STATE_TREE, chosen->to->label = chosen->distance;
        cur = chosen ? chosen->to : nullptr;
    }
}
