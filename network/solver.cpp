// The shortest-path solver. Dijkstra's method over adjacency built afresh for
// each solve, taking offers by (total, position in edge_list): the same tree,
// labels, orientations and totals as scanning the whole road list once per
// settled node, in time near linear in nodes and roads.
#include "solver.h"

#include <algorithm>
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

// The same in eight bytes, used when the map's counts and longest road fit:
// the edge in the low bits, the far end above it, the length on top. A third
// less memory to clear and to bring in while searching.
struct PACKED {
    std::uint64_t bits;
};
static unsigned edge_bits, other_bits;   // widths of the packed fields

static inline int edge_of(const SLOT& s) { return s.edge; }
static inline int other_of(const SLOT& s) { return s.other; }
static inline int length_of(const SLOT& s) { return s.length; }
static inline int edge_of(const PACKED& s) { return (int)(s.bits & ((1ull << edge_bits) - 1)); }
static inline int other_of(const PACKED& s) { return (int)(s.bits >> edge_bits & ((1ull << other_bits) - 1)); }
static inline int length_of(const PACKED& s) { return (int)(s.bits >> (edge_bits + other_bits)); }
static inline void make_slot(SLOT* s, int edge, int other, int length) { *s = SLOT{edge, other, length}; }
static inline void make_slot(PACKED* s, int edge, int other, int length)
{
    s->bits = (std::uint64_t)edge | (std::uint64_t)other << edge_bits |
              (std::uint64_t)length << (edge_bits + other_bits);
}

// Bits needed for the numbers 0 .. most.
static unsigned bits_for(std::uint64_t most) { return most ? 64 - __builtin_clzll(most) : 0; }

// What the search knows of a node. Until the node is settled, `total` and
// `edge` are its best offer so far (edge -1: none); once it is settled, its
// distance and the tree road into it. `order` counts settlements, -1 before.
// Its road ends lie in slots first .. last-1, at hand when the node is reached.
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

static SCRATCH<std::uint32_t> slot_words;   // SLOT or PACKED records
static SCRATCH<REACH> reach;      // per node
static NODE_RUN run;              // the nodes this solve numbers by address
// One bit per node, set once it is settled: a few megabytes that stay in
// cache where the nodes' REACH records would not, so that settled neighbours
// cost no read of their record.
static std::vector<std::uint64_t> settled;

static inline bool is_settled(int v) { return settled[(unsigned)v / 64] >> ((unsigned)v % 64) & 1; }
static inline void mark_settled(int v) { settled[(unsigned)v / 64] |= 1ull << ((unsigned)v % 64); }

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

// The offers waiting, in a radix heap keyed on the total: the search takes
// totals in rising order, so an offer waits in the bucket of the highest bit
// where its total differs from the least total taken so far, and moves to a
// lower bucket only when its own is emptied. Bucket 0 holds the offers at
// that least total, sorted when filled, its first offer last; offers at that
// total made afterwards (over roads of length 0) wait beside it in `late`, a
// heap. Few buckets take the pushes, so they stay in cache, and knowing the
// next offers in order lets the search ask for their memory early.
enum { BUCKETS = 65 };
static std::vector<ENTRY> bucket[BUCKETS];
static std::vector<ENTRY> late;
static std::uint64_t least;   // total of the offers in bucket 0

// Offer a is taken after offer b: larger total, then further from the list head.
// A lambda rather than a function, so that the sorts and heaps inline it.
static const auto after = [](const ENTRY& a, const ENTRY& b) {
    return a.total > b.total || (a.total == b.total && a.edge > b.edge);
};

static int bucket_of(std::uint64_t total)
{
    return total == least ? 0 : 64 - __builtin_clzll(total ^ least);
}

static void queue_clear()
{
    for (std::vector<ENTRY>& b : bucket)
        b.clear();
    late.clear();
    least = 0;
}

static void queue_push(const ENTRY& entry)
{
    const int b = bucket_of((std::uint64_t)entry.total);
    if (b == 0) {
        late.push_back(entry);
        std::push_heap(late.begin(), late.end(), after);
    } else {
        bucket[b].push_back(entry);
    }
}

// The memory settling an offer needs comes in two steps: first its node's
// roads, then, once those have come, the neighbours they lead to; here the
// second, for the offer NEIGHBOURS places after the next one in bucket 0,
// and when the bucket is filled, for its first offers.
enum { NEIGHBOURS = 4 };

template <typename S> static void ask_for_neighbours(const S* slot, const ENTRY& e)
{
    for (int s = e.first; s < e.last; s++)
        if (!is_settled(other_of(slot[s])))
            __builtin_prefetch(&reach.items[other_of(slot[s])]);
}

template <typename S> static void ask_ahead_of_search(const S* slot)
{
    const std::vector<ENTRY>& now = bucket[0];
    if (now.size() > NEIGHBOURS)
        ask_for_neighbours(slot, now[now.size() - 1 - NEIGHBOURS]);
}

// Bucket 0 from the lowest bucket in use, sorted; false when no offer waits.
// The offers moving into it are taken next: their nodes' roads and records
// are asked for now. Asking for offers further off as well measured slower,
// crowding out what the next settlements need.
template <typename S> static bool queue_refill(const S* slot)
{
    int i = 1;
    while (i < BUCKETS && bucket[i].empty())
        i++;
    if (i == BUCKETS)
        return false;
    std::vector<ENTRY>& from = bucket[i];
    std::uint64_t low = (std::uint64_t)from[0].total;
    for (const ENTRY& e : from)
        low = std::min(low, (std::uint64_t)e.total);
    least = low;
    for (const ENTRY& e : from) {
        const int b = bucket_of((std::uint64_t)e.total);
        if (b == 0) {
            __builtin_prefetch(&slot[e.first]);
            __builtin_prefetch(&slot[e.last - 1]);
            __builtin_prefetch(&reach.items[e.node]);
        }
        bucket[b].push_back(e);
    }
    from.clear();
    std::vector<ENTRY>& now = bucket[0];
    // All at the least total: the list position decides.
    std::sort(now.begin(), now.end(), [](const ENTRY& a, const ENTRY& b) { return a.edge > b.edge; });
    for (std::size_t k = 0; k < now.size() && k <= NEIGHBOURS; k++)
        ask_for_neighbours(slot, now[now.size() - 1 - k]);
    return true;
}

// The best offer waiting; false when none is left.
template <typename S> static bool queue_pop(const S* slot, ENTRY* top)
{
    std::vector<ENTRY>* now = &bucket[0];
    if (now->empty() && late.empty() && !queue_refill(slot))
        return false;
    if (!late.empty() && (now->empty() || after(now->back(), late.front()))) {
        std::pop_heap(late.begin(), late.end(), after);
        *top = late.back();
        late.pop_back();
    } else {
        *top = now->back();
        now->pop_back();
    }
    return true;
}

static inline int position_of(const NODE* v)
{
    long position = run_position(run, v);
    return position >= 0 ? (int)position : v->index;
}

// The road's ends as node positions; false when the search never travels
// it, as a self-joined road, which would settle its node twice.
static inline bool road_ends(const EDGE* e, int node_count, int* a, int* b)
{
    *a = position_of(e->from);
    *b = position_of(e->to);
    return *a >= 0 && *a < node_count && *b >= 0 && *b < node_count && *a != *b;
}

// Each walk of the road list asks for the ends of the road a few ahead that
// lie outside the run, so that their cache misses overlap; a loaded map's
// nodes all lie in it.
enum { AHEAD = 8 };
static bool scattered;   // some nodes lie outside the run

static EDGE* ahead_of_head()
{
    EDGE* ahead = edge_list;
    for (int k = 0; k < AHEAD && ahead; k++)
        ahead = ahead->next;
    return ahead;
}

static inline void ask_ahead(EDGE** ahead)
{
    if (!*ahead)
        return;
    if (scattered && run_position(run, (*ahead)->from) < 0)
        __builtin_prefetch((*ahead)->from);
    if (scattered && run_position(run, (*ahead)->to) < 0)
        __builtin_prefetch((*ahead)->to);
    *ahead = (*ahead)->next;
}

// Numbers the nodes into `index`, counts each node's travelled roads into its
// REACH's `last` and decides whether the slots pack. Returns the start's
// position, or -1 when there is no start in node_list.
static int number_map(int* node_count, bool* packs)
{
    int n = 0, start = -1;
    for (NODE* v = node_list, *before = nullptr; v; before = v, v = v->next, n++) {
        note_run(&run, v, before, n);
        v->index = n;
        if (v == current_node)
            start = n;
    }
    scattered = run.first != 0 || run_position(run, run.low) != n - 1;
    REACH* r = room_for(&reach, (std::size_t)n);
    for (int i = 0; i < n; i++)
        r[i] = REACH{0, -1, -1, 0, 0};
    settled.assign((std::size_t)n / 64 + 1, 0);
    int a, b, edge_count = 0, longest = 0;
    EDGE* ahead = ahead_of_head();
    for (EDGE* e = edge_list; e; e = e->next, edge_count++) {
        ask_ahead(&ahead);
        if (road_ends(e, n, &a, &b)) {
            r[a].last++;
            r[b].last++;
            longest = std::max(longest, e->length);
        }
    }
    // Positions run to count - 1; the length keeps a bit even when all are 0,
    // so that no shift reaches 64.
    edge_bits = bits_for((std::uint64_t)std::max(edge_count - 1, 0));
    other_bits = bits_for((std::uint64_t)std::max(n - 1, 0));
    *packs = edge_bits + other_bits + std::max(bits_for((std::uint64_t)longest), 1u) <= 64;
    *node_count = n;
    return start;
}

// Counting sort of the road ends into each node's run of slots: the counts
// give each run's start, and filling the runs leaves `last` at their ends.
template <typename S> static S* build_adjacency(int node_count)
{
    REACH* r = reach.items;
    int sum = 0;
    for (int i = 0; i < node_count; i++) {
        r[i].first = sum;
        sum += r[i].last;
        r[i].last = r[i].first;
    }
    const std::size_t words = sizeof(S) / sizeof(std::uint32_t);
    S* slot = (S*)room_for(&slot_words, (std::size_t)sum * words);
    int k = 0, a, b;
    EDGE* ahead = ahead_of_head();
    for (EDGE* e = edge_list; e; e = e->next, k++) {
        ask_ahead(&ahead);
        if (road_ends(e, node_count, &a, &b)) {
            make_slot(&slot[r[a].last++], k, b, e->length);
            make_slot(&slot[r[b].last++], k, a, e->length);
        }
    }
    queue_clear();
    return slot;
}

// Settles node v at its best offer: every neighbour not yet settled is
// offered the road, and keeps it when it beats the neighbour's best.
// Only an offer better than the best can ever be chosen.
template <typename S> static void settle(const S* slot, int v, int order)
{
    REACH* r = reach.items;
    r[v].order = order;
    mark_settled(v);
    const std::int64_t base = r[v].total;
    for (int s = r[v].first; s < r[v].last; s++) {
        const int other = other_of(slot[s]);
        if (is_settled(other))
            continue;
        REACH& far = r[other];
        ENTRY offer{base + length_of(slot[s]), edge_of(slot[s]), other, far.first, far.last};
        if (far.edge < 0 || offer.total < far.total ||
            (offer.total == far.total && offer.edge < far.edge)) {
            far.total = offer.total;
            far.edge = offer.edge;
            queue_push(offer);
        }
    }
}

// The search: settles the start, then always the best offer left.
template <typename S> static void search(const S* slot, int start)
{
    if (start < 0)
        return;
    reach.items[start].total = 0;
    int order = 0;
    settle(slot, start, order++);
    ENTRY top;
    while (queue_pop(slot, &top)) {
        if (is_settled(top.node))
            continue;   // settled meanwhile through a better road
        ask_ahead_of_search(slot);
        settle(slot, top.node, order++);
    }
}

// The road records, in list order, from their ends. Both ends unsettled: the
// road was never reached. Otherwise both are settled (the search ends only
// when no road leaves the settled nodes), and the road became a candidate
// when the earlier of them was settled. It is in the tree when it is the
// later end's road in, running from the earlier end; else the later end's
// settlement discarded it, and it runs from the later end.
static void write_roads(int node_count)
{
    const REACH* r = reach.items;
    int k = 0, a, b;
    EDGE* ahead = ahead_of_head();
    for (EDGE* e = edge_list; e; e = e->next, k++) {
        if (ahead && road_ends(ahead, node_count, &a, &b)) {
            __builtin_prefetch(&r[a]);
            __builtin_prefetch(&r[b]);
        }
        ask_ahead(&ahead);
        e->state = STATE_UNSEEN;
        if (!road_ends(e, node_count, &a, &b) || r[a].order < 0)
            continue;
        bool from_first = r[a].order < r[b].order;   // `from` was settled first
        const REACH& earlier = r[from_first ? a : b];
        const REACH& later = r[from_first ? b : a];
        bool tree = later.edge == k;
        e->state = tree ? STATE_TREE : STATE_DISCARDED;
        e->distance = earlier.total + e->length;
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
    int node_count;
    bool packs;
    int start = number_map(&node_count, &packs);
    if (packs)
        search(build_adjacency<PACKED>(node_count), start);
    else
        search(build_adjacency<SLOT>(node_count), start);
    write_roads(node_count);
    write_labels();
    release_if_large(&slot_words);
    release_if_large(&reach);
    for (std::vector<ENTRY>& b : bucket)
        if (b.capacity() * sizeof(ENTRY) > KEEP_BYTES)
            std::vector<ENTRY>().swap(b);
    if (late.capacity() * sizeof(ENTRY) > KEEP_BYTES)
        std::vector<ENTRY>().swap(late);
    map_version++;   // states and orientations decide the bands
}
