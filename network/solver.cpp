// The shortest-path solver. Dijkstra's method over adjacency built afresh for
// each solve, with a heap keyed by (total, position in edge_list): the same
// tree, labels, orientations and totals as scanning the whole road list once
// per settled node, at O((nodes + roads) log roads).
#include "solver.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "network.h"

// One road seen from one of its ends: its position in edge_list and the far end.
struct SLOT {
    int edge;
    int other;
};

// A candidate road into a node not yet settled; the smallest (total, edge) wins.
struct ENTRY {
    std::int64_t total;
    int edge;
    int node;
};

// The scratch of a solve, kept between solves so that the memory is reused.
static std::vector<NODE*> nodes;     // node_list by position
static std::vector<EDGE*> edges;     // edge_list by position
static std::vector<int> ends;        // two node positions per road; -1 for a self-joined one
static std::vector<int> first_slot;  // node i's slots: first_slot[i] .. first_slot[i+1]-1
static std::vector<int> next_slot;   // fill cursor while the slots are built
static std::vector<SLOT> slots;
static std::vector<ENTRY> best;      // per node: the best candidate into it, edge -1 for none
static std::vector<ENTRY> heap;

// True when a is offered before b: smaller total, then nearer the list head.
static bool before(const ENTRY& a, const ENTRY& b)
{
    return a.total < b.total || (a.total == b.total && a.edge < b.edge);
}

// std heaps keep the largest on top, so the order is turned round.
static bool heap_order(const ENTRY& a, const ENTRY& b) { return before(b, a); }

// The node's position in node_list, or -1 for a node that is not in it.
static int position_of(const NODE* n)
{
    int i = n->index;
    return i >= 0 && i < (int)nodes.size() && nodes[i] == n ? i : -1;
}

// Numbers the nodes and roads, resets every road to STATE_UNSEEN and notes
// the ends. The node's `index` is scratch that the file writer also uses.
static void number_map()
{
    nodes.clear();
    edges.clear();
    ends.clear();
    for (NODE* n = node_list; n; n = n->next) {
        n->index = (int)nodes.size();
        nodes.push_back(n);
    }
    for (EDGE* e = edge_list; e; e = e->next) {
        e->state = STATE_UNSEEN;
        e->index = (int)edges.size();
        edges.push_back(e);
        // A self-joined road is never travelled: it would settle its node twice.
        int a = position_of(e->from), b = position_of(e->to);
        bool open = a >= 0 && b >= 0 && a != b;
        ends.push_back(open ? a : -1);
        ends.push_back(open ? b : -1);
    }
}

// Counting sort of the road ends into each node's run of slots.
static void build_adjacency()
{
    const int node_count = (int)nodes.size();
    first_slot.assign(node_count + 1, 0);
    for (int end : ends)
        if (end >= 0)
            first_slot[end + 1]++;
    for (int i = 0; i < node_count; i++)
        first_slot[i + 1] += first_slot[i];
    next_slot.assign(first_slot.begin(), first_slot.end() - 1);
    slots.resize(first_slot[node_count]);
    const int edge_count = (int)edges.size();
    for (int k = 0; k < edge_count; k++) {
        int a = ends[2 * k], b = ends[2 * k + 1];
        if (a < 0)
            continue;
        slots[next_slot[a]++] = SLOT{k, b};
        slots[next_slot[b]++] = SLOT{k, a};
    }
}

// Settles node v at distance `base`: each road still open at v now runs from
// v. An unseen one becomes a candidate; a candidate from a node settled
// earlier joins two settled nodes and is discarded.
static void settle(int v, std::int64_t base)
{
    NODE* here = nodes[v];
    here->label = base;
    for (int s = first_slot[v]; s < first_slot[v + 1]; s++) {
        const SLOT slot = slots[s];
        EDGE* e = edges[slot.edge];
        if (e->state == STATE_TREE || e->state == STATE_DISCARDED)
            continue;
        e->from = here;
        e->to = nodes[slot.other];
        if (e->state == STATE_CANDIDATE) {
            e->state = STATE_DISCARDED;
            continue;
        }
        e->state = STATE_CANDIDATE;
        e->distance = base + e->length;
        ENTRY offer{e->distance, slot.edge, slot.other};
        // Only an offer better than the node's best can ever be chosen; the
        // others stay candidates until the node's settlement discards them.
        ENTRY& held = best[slot.other];
        if (held.edge < 0 || before(offer, held)) {
            held = offer;
            heap.push_back(offer);
            std::push_heap(heap.begin(), heap.end(), heap_order);
        }
    }
}

void solve_shortest_paths()
{
    number_map();
    if (!current_node || position_of(current_node) < 0)
        return;
    build_adjacency();
    best.assign(nodes.size(), ENTRY{0, -1, -1});
    heap.clear();
    settle(current_node->index, 0);
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), heap_order);
        ENTRY top = heap.back();
        heap.pop_back();
        EDGE* e = edges[top.edge];
        // A road whose far end was settled meanwhile has been discarded.
        if (e->state != STATE_CANDIDATE)
            continue;
        e->state = STATE_TREE;
        settle(top.node, top.total);
    }
}
