// The shortest-path solver. Dijkstra's method over adjacency built afresh for
// each solve, with a heap keyed by (total, position in edge_list): the same
// tree, labels, orientations and totals as scanning the whole road list once
// per settled node, at O((nodes + roads) log roads).
#include "solver.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "network.h"

// One road seen from one of its ends: its position in edge_list, the far
// end's position in node_list, and the road's length.
struct SLOT {
    int edge;
    int other;
    int length;
};

// What the search knows of a node. Until the node is settled, `total` and
// `edge` are its best offer so far (edge -1: none); once it is settled, its
// distance and the tree road into it. `order` counts settlements, -1 before.
// Its slots lie in slots[first .. last-1], at hand when the node is reached.
struct REACH {
    std::int64_t total;
    int edge;
    int order;
    int first;
    int last;
};

// A candidate road into a node not yet settled; the smallest (total, edge)
// wins. It carries the node's slot run, to fetch before the node is settled.
struct ENTRY {
    std::int64_t total;
    int edge;
    int node;
    int first;
    int last;
};

// The scratch of a solve. The search touches only these arrays; the road
// records are read and written in list order, before and after it. Small
// maps keep them for the next solve, large ones hand them back.
template <typename T> struct SCRATCH {
    T* items = nullptr;
    std::size_t room = 0;
};

static SCRATCH<int> ends;         // two node positions per road; -1 when never travelled
static SCRATCH<int> first_slot;   // while the slots are built: where node i's run ends
static SCRATCH<SLOT> slots;
static SCRATCH<REACH> reach;      // per node
static std::vector<ENTRY> heap;   // 4-ary min-heap by `before`

enum { KEEP_BYTES = 64 << 20 };   // scratch kept between solves up to this size

// Room for `count` items; the solve cannot go on without it.
template <typename T> static T* room_for(SCRATCH<T>* s, std::size_t count)
{
    if (s->room < count) {
        free_large(s->items);
        s->items = (T*)new_large(count * sizeof(T));
        if (!s->items)
            throw std::bad_alloc();
        s->room = count;
    }
    return s->items;
}

template <typename T> static void release_if_large(SCRATCH<T>* s)
{
    if (s->room * sizeof(T) > KEEP_BYTES) {
        free_large(s->items);
        s->items = nullptr;
        s->room = 0;
    }
}

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

static inline int position_of(const NODE_RUN& run, const NODE* v)
{
    long position = run_position(run, v);
    return position >= 0 ? (int)position : v->index;
}

// Numbers the nodes into `index` and notes each road's ends as positions.
// Returns the start's position, or -1 when there is no start in node_list.
static int number_map(int* node_count, int* edge_count)
{
    int n = 0, start = -1;
    NODE_RUN run{};
    for (NODE* v = node_list, *before = nullptr; v; before = v, v = v->next, n++) {
        note_run(&run, v, before, n);
        v->index = n;
        if (v == current_node)
            start = n;
    }
    int m = 0;
    for (EDGE* e = edge_list; e; e = e->next)
        m++;
    int* end = room_for(&ends, 2 * (std::size_t)m);
    // The ends lie scattered over the node records. Those in the run are
    // numbered by address; ask for the others a few roads ahead, so that
    // their cache misses overlap.
    EDGE* ahead = edge_list;
    for (int k = 0; k < 8 && ahead; k++)
        ahead = ahead->next;
    for (EDGE* e = edge_list; e; e = e->next, end += 2) {
        if (ahead) {
            if (run_position(run, ahead->from) < 0)
                __builtin_prefetch(ahead->from);
            if (run_position(run, ahead->to) < 0)
                __builtin_prefetch(ahead->to);
            ahead = ahead->next;
        }
        // A self-joined road is never travelled: it would settle its node twice.
        int a = position_of(run, e->from), b = position_of(run, e->to);
        bool open = a >= 0 && a < n && b >= 0 && b < n && a != b;
        end[0] = open ? a : -1;
        end[1] = open ? b : -1;
    }
    *node_count = n;
    *edge_count = m;
    return start;
}

// Counting sort of the road ends into each node's run of slots: first the
// run ends, then filling each run from its back leaves its start.
static void build_adjacency(int node_count, int edge_count)
{
    int* first = room_for(&first_slot, (std::size_t)node_count + 1);
    const int* end = ends.items;
    for (int i = 0; i <= node_count; i++)
        first[i] = 0;
    for (int k = 0; k < 2 * edge_count; k++)
        if (end[k] >= 0)
            first[end[k] + 1]++;
    for (int i = 0; i < node_count; i++)
        first[i + 1] += first[i];
    SLOT* slot = room_for(&slots, (std::size_t)first[node_count]);
    for (int i = node_count; i > 0; i--)
        first[i] = first[i - 1];
    // first[i + 1] is now the fill cursor of node i's run, and ends at its end.
    EDGE* e = edge_list;
    for (int k = 0; k < edge_count; k++, e = e->next) {
        int a = end[2 * k], b = end[2 * k + 1];
        if (a < 0)
            continue;
        slot[first[a + 1]++] = SLOT{k, b, e->length};
        slot[first[b + 1]++] = SLOT{k, a, e->length};
    }
    REACH* r = room_for(&reach, (std::size_t)node_count);
    for (int i = 0; i < node_count; i++)
        r[i] = REACH{0, -1, -1, first[i], first[i + 1]};
    heap.clear();
}

// Settles node v at its best offer: every neighbour not yet settled is
// offered the road, and keeps it when it beats the neighbour's best.
// Only an offer better than the best can ever be chosen.
static void settle(int v, int order)
{
    REACH* r = reach.items;
    const SLOT* slot = slots.items;
    r[v].order = order;
    const std::int64_t base = r[v].total;
    for (int s = r[v].first; s < r[v].last; s++) {
        REACH& far = r[slot[s].other];
        if (far.order >= 0)
            continue;
        ENTRY offer{base + slot[s].length, slot[s].edge, slot[s].other, far.first, far.last};
        if (far.edge < 0 || offer.total < far.total ||
            (offer.total == far.total && offer.edge < far.edge)) {
            far.total = offer.total;
            far.edge = offer.edge;
            heap_push(offer);
        }
    }
}

// The search: settles the start, then always the best offer left.
static void search(int start)
{
    REACH* r = reach.items;
    const SLOT* slot = slots.items;
    int order = 0;
    settle(start, order++);
    while (!heap.empty()) {
        ENTRY top = heap_pop();
        if (r[top.node].order >= 0)
            continue;   // settled meanwhile through a better road
        // While this node is settled: the roads of the likely next few, and
        // the neighbours of the next, whose roads an earlier pass asked for.
        for (std::size_t h = 0; h < heap.size() && h < 5; h++) {
            __builtin_prefetch(&slot[heap[h].first]);
            __builtin_prefetch(&slot[heap[h].last - 1]);
            __builtin_prefetch(&r[heap[h].node]);
        }
        if (!heap.empty())
            for (int s = heap[0].first; s < heap[0].last; s++)
                __builtin_prefetch(&r[slot[s].other]);
        settle(top.node, order++);
    }
}

// The road records, in list order, from their ends. Both ends unsettled: the
// road was never reached. Otherwise both are settled (the search ends only
// when no road leaves the settled nodes), and the road became a candidate
// when the earlier of them was settled. It is in the tree when it is the
// later end's road in, running from the earlier end; else the later end's
// settlement discarded it, and it runs from the later end.
static void write_roads(int edge_count)
{
    const REACH* r = reach.items;
    const int* end = ends.items;
    const int AHEAD = 8;
    EDGE* e = edge_list;
    for (int k = 0; k < edge_count; k++, e = e->next) {
        if (k + AHEAD < edge_count && end[2 * (k + AHEAD)] >= 0) {
            __builtin_prefetch(&r[end[2 * (k + AHEAD)]]);
            __builtin_prefetch(&r[end[2 * (k + AHEAD) + 1]]);
        }
        e->state = STATE_UNSEEN;
        int a = end[2 * k], b = end[2 * k + 1];
        if (a < 0 || r[a].order < 0)
            continue;
        bool from_first = r[a].order < r[b].order;   // `from` was settled first
        const REACH& early = r[from_first ? a : b];
        const REACH& late = r[from_first ? b : a];
        bool tree = late.edge == k;
        e->state = tree ? STATE_TREE : STATE_DISCARDED;
        e->distance = early.total + e->length;
        if (tree != from_first) {
            NODE* t = e->from;
            e->from = e->to;
            e->to = t;
        }
    }
}

static void write_labels()
{
    const REACH* r = reach.items;
    int i = 0;
    for (NODE* v = node_list; v; v = v->next, i++)
        if (r[i].order >= 0)
            v->label = r[i].total;
}

void solve_shortest_paths()
{
    int node_count, edge_count;
    int start = number_map(&node_count, &edge_count);
    build_adjacency(node_count, edge_count);
    if (start >= 0) {
        reach.items[start].total = 0;
        search(start);
    }
    write_roads(edge_count);
    write_labels();
    release_if_large(&ends);
    release_if_large(&first_slot);
    release_if_large(&slots);
    release_if_large(&reach);
    if (heap.capacity() * sizeof(ENTRY) > KEEP_BYTES)
        std::vector<ENTRY>().swap(heap);
    map_version++;   // states and orientations decide the bands
}
