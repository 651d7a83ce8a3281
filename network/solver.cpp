// The shortest-path solver. Dijkstra's method over adjacency built afresh for
// each solve, with a heap keyed by (total, position in edge_list): the same
// tree, labels, orientations and totals as scanning the whole road list once
// per settled node, at O((nodes + roads) log roads).
#include "solver.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "network.h"

// One road seen from one of its ends: its position in edge_list, the far
// end's position in node_list, and the road's length.
struct SLOT {
    int edge;
    int other;
    int length;
};

// A candidate road into a node not yet settled; the smallest (total, edge) wins.
struct ENTRY {
    std::int64_t total;
    int edge;
    int node;
};

// The scratch of a solve, kept between solves so that the memory is reused.
// The solve works on these arrays alone and writes the roads back at the end,
// so the road records are only ever visited in list order.
static std::vector<NODE*> nodes;          // node_list by position
static std::vector<EDGE*> edges;          // edge_list by position
static std::vector<int> ends;             // two node positions per road; -1 when never travelled
static std::vector<int> first_slot;       // node i's slots: first_slot[i] .. first_slot[i+1]-1
static std::vector<int> next_slot;        // fill cursor while the slots are built
static std::vector<SLOT> slots;
static std::vector<unsigned char> state;  // per road: STATE_*
static std::vector<int> from_end;         // per road reached: position of its `from` end
static std::vector<std::int64_t> total;   // per road reached: its `distance`
static std::vector<ENTRY> best;           // per node: the best candidate into it, edge -1 for none
static std::vector<ENTRY> heap;           // 4-ary min-heap by `before`

// True when a is offered before b: smaller total, then nearer the list head.
static bool before(const ENTRY& a, const ENTRY& b)
{
    return a.total < b.total || (a.total == b.total && a.edge < b.edge);
}

static void heap_push(const ENTRY& entry)
{
    std::size_t i = heap.size();
    heap.push_back(entry);
    while (i > 0 && before(entry, heap[(i - 1) / 4])) {
        heap[i] = heap[(i - 1) / 4];
        i = (i - 1) / 4;
    }
    heap[i] = entry;
}

static ENTRY heap_pop()
{
    const ENTRY top = heap[0];
    const ENTRY last = heap.back();
    heap.pop_back();
    const std::size_t n = heap.size();
    std::size_t i = 0;
    while (n > 0) {
        std::size_t child = 4 * i + 1;
        if (child >= n)
            break;
        std::size_t least = child;
        for (std::size_t j = child + 1; j < child + 4 && j < n; j++)
            if (before(heap[j], heap[least]))
                least = j;
        if (!before(heap[least], last))
            break;
        heap[i] = heap[least];
        i = least;
    }
    if (n > 0)
        heap[i] = last;
    return top;
}

// The node's position in node_list, or -1 for a node that is not in it.
static int position_of(const NODE* n)
{
    int i = n->index;
    return i >= 0 && i < (int)nodes.size() && nodes[i] == n ? i : -1;
}

// Numbers the nodes and roads and notes each road's ends.
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
        edges.push_back(e);
        // A self-joined road is never travelled: it would settle its node twice.
        int a = position_of(e->from), b = position_of(e->to);
        bool open = a >= 0 && b >= 0 && a != b;
        ends.push_back(open ? a : -1);
        ends.push_back(open ? b : -1);
    }
    state.assign(edges.size(), STATE_UNSEEN);
}

// Counting sort of the road ends into each node's run of slots.
static void build_adjacency()
{
    const int node_count = (int)nodes.size();
    const int edge_count = (int)edges.size();
    first_slot.assign(node_count + 1, 0);
    for (int end : ends)
        if (end >= 0)
            first_slot[end + 1]++;
    for (int i = 0; i < node_count; i++)
        first_slot[i + 1] += first_slot[i];
    next_slot.assign(first_slot.begin(), first_slot.end() - 1);
    slots.resize(first_slot[node_count]);
    for (int k = 0; k < edge_count; k++) {
        int a = ends[2 * k], b = ends[2 * k + 1];
        if (a < 0)
            continue;
        int length = edges[k]->length;
        slots[next_slot[a]++] = SLOT{k, b, length};
        slots[next_slot[b]++] = SLOT{k, a, length};
    }
    from_end.resize(edge_count);
    total.resize(edge_count);
    best.assign(node_count, ENTRY{0, -1, -1});
    heap.clear();
}

// Settles node v at distance `base`: each road still open at v now runs from
// v. An unseen one becomes a candidate; a candidate from a node settled
// earlier joins two settled nodes and is discarded.
static void settle(int v, std::int64_t base)
{
    nodes[v]->label = base;
    for (int s = first_slot[v]; s < first_slot[v + 1]; s++) {
        const SLOT slot = slots[s];
        const int k = slot.edge;
        if (state[k] == STATE_TREE || state[k] == STATE_DISCARDED)
            continue;
        from_end[k] = v;
        if (state[k] == STATE_CANDIDATE) {
            state[k] = STATE_DISCARDED;
            continue;
        }
        state[k] = STATE_CANDIDATE;
        total[k] = base + slot.length;
        ENTRY offer{total[k], k, slot.other};
        // Only an offer better than the node's best can ever be chosen; the
        // others stay candidates until the node's settlement discards them.
        ENTRY& held = best[slot.other];
        if (held.edge < 0 || before(offer, held)) {
            held = offer;
            heap_push(offer);
        }
    }
}

// Copies the outcome into the road records, in list order.
static void write_roads()
{
    const int edge_count = (int)edges.size();
    for (int k = 0; k < edge_count; k++) {
        EDGE* e = edges[k];
        e->state = state[k];
        if (state[k] == STATE_UNSEEN)
            continue;
        int from = from_end[k];
        e->from = nodes[from];
        e->to = nodes[ends[2 * k] + ends[2 * k + 1] - from];
        e->distance = total[k];
    }
}

void solve_shortest_paths()
{
    number_map();
    if (current_node && position_of(current_node) >= 0) {
        build_adjacency();
        settle(current_node->index, 0);
        while (!heap.empty()) {
            ENTRY top = heap_pop();
            // A road whose far end was settled meanwhile has been discarded.
            if (state[top.edge] != STATE_CANDIDATE)
                continue;
            state[top.edge] = STATE_TREE;
            settle(top.node, top.total);
        }
    }
    write_roads();
    map_version++;   // states and orientations decide the bands
}
