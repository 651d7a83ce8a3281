// The map's records and lists, and the edits the editor makes on them.
// Geometry is computed in 64-bit integers and doubles so that coordinates
// read from any file stay defined; inside the window the results are exact.
#include "network.h"

#include <sanitizer/asan_interface.h>
#include <sys/mman.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

NODE* node_list = nullptr;
EDGE* edge_list = nullptr;
NODE* current_node = nullptr;
EDGE* selected_edge = nullptr;
unsigned map_version = 0;
MAP_CHANGES map_changes = {0, 0, false, 0, {}};

// Records come from large blocks rather than one allocation each: the file
// reader fills a whole block per list, and clear_map hands every block back
// at once. Freed records wait in a free list for the next new record.
// Sanitizer builds poison every slot that is not a live record, so a use of a
// freed record is still reported.
// The largest whole block a dropped map leaves is kept as a spare for the
// next load of a like size: memory touched once is much quicker to fill
// than fresh pages the kernel must clear, which were most of a reload's
// time. The kernel may take a spare's pages back when memory runs short.
struct BLOCK {
    void* memory;
    std::size_t bytes;
    bool large;      // from new_large
};

struct POOL {
    std::size_t record;            // bytes per record
    std::vector<BLOCK> blocks;     // every block, owned here
    std::vector<void*> freed;      // records freed since the last clear_map
    char* next;                    // unused tail of the newest small block
    char* end;
    BLOCK spare;                   // a dropped map's block kept for the next load, or none
    BLOCK handed;                  // the block new_block gave last, at its whole size
};

static POOL node_pool = {sizeof(NODE), {}, {}, nullptr, nullptr, {}, {}};
static POOL edge_pool = {sizeof(EDGE), {}, {}, nullptr, nullptr, {}, {}};

enum { SMALL_BLOCK_BYTES = 1 << 16, HUGE_PAGE = 1 << 21 };
static const std::align_val_t HUGE_ALIGN{HUGE_PAGE};

static void* take_record(POOL* pool)
{
    void* slot;
    if (!pool->freed.empty()) {
        slot = pool->freed.back();
        pool->freed.pop_back();
    } else {
        if (pool->end - pool->next < (std::ptrdiff_t)pool->record) {
            void* memory = ::operator new(SMALL_BLOCK_BYTES);
            pool->blocks.push_back(BLOCK{memory, SMALL_BLOCK_BYTES, false});
            ASAN_POISON_MEMORY_REGION(memory, SMALL_BLOCK_BYTES);
            pool->next = (char*)memory;
            pool->end = pool->next + SMALL_BLOCK_BYTES;
        }
        slot = pool->next;
        pool->next += pool->record;
    }
    ASAN_UNPOISON_MEMORY_REGION(slot, pool->record);
    return slot;
}

static void give_back(POOL* pool, void* record)
{
    pool->freed.push_back(record);
    ASAN_POISON_MEMORY_REGION(record, pool->record);
}

static void free_whole(const BLOCK& b)
{
    ASAN_UNPOISON_MEMORY_REGION(b.memory, b.bytes);
    if (b.large)
        free_large(b.memory);
    else
        ::operator delete(b.memory);
}

// Keeps the larger of the block and the spare, poisoned and free for the
// kernel to take back; frees the other.
static void keep_spare(POOL* pool, const BLOCK& b)
{
    if (!b.large || b.bytes <= pool->spare.bytes) {
        free_whole(b);
        return;
    }
    if (pool->spare.memory)
        free_whole(pool->spare);
    pool->spare = b;
    madvise(b.memory, b.bytes, MADV_FREE);
    ASAN_POISON_MEMORY_REGION(b.memory, b.bytes);
}

static void release_pool(POOL* pool)
{
    for (const BLOCK& b : pool->blocks)
        keep_spare(pool, b);
    // A block just handed to the file reader is not the old map's: it stays handed.
    *pool = POOL{pool->record, {}, {}, nullptr, nullptr, pool->spare, pool->handed};   // lists' memory too
}

NODE* new_node(int x, int y, const char* name)
{
    NODE* node = new (take_record(&node_pool)) NODE{};
    node->label = -1;
    node->x = x;
    node->y = y;
    std::strncpy(node->name, name, sizeof node->name - 1);
    return node;
}

EDGE* new_edge(NODE* from, NODE* to, int length)
{
    EDGE* edge = new (take_record(&edge_pool)) EDGE{};
    edge->from = from;
    edge->to = to;
    edge->length = length;
    edge->state = STATE_UNSEEN;
    edge->distance = -1;
    return edge;
}

void free_node(NODE* node) { give_back(&node_pool, node); }
void free_edge(EDGE* edge) { give_back(&edge_pool, edge); }

// Large memory lies on huge pages where the system offers them: a million
// records then fault in, and are handed back, in a few dozen pages.
void* new_large(std::size_t bytes)
{
    void* memory = ::operator new(bytes, HUGE_ALIGN, std::nothrow);
    if (memory && bytes >= HUGE_PAGE)
        madvise(memory, bytes, MADV_HUGEPAGE);
    return memory;
}

void free_large(void* memory) { ::operator delete(memory, HUGE_ALIGN); }

// The spare when it fits without wasting more than half of it, else a new block.
static void* new_block(POOL* pool, std::size_t count)
{
    if (count == 0 || count > SIZE_MAX / pool->record)
        return nullptr;
    const std::size_t bytes = count * pool->record;
    if (pool->spare.memory && pool->spare.bytes >= bytes && pool->spare.bytes / 2 <= bytes) {
        pool->handed = pool->spare;
        pool->spare = BLOCK{};
        ASAN_UNPOISON_MEMORY_REGION(pool->handed.memory, pool->handed.bytes);
    } else {
        pool->handed = BLOCK{new_large(bytes), bytes, true};
    }
    return pool->handed.memory;
}

// The whole size of a block new_block gave; `bytes` is what was asked for.
static BLOCK handed_block(const POOL& pool, void* memory, std::size_t bytes)
{
    return pool.handed.memory == memory ? pool.handed : BLOCK{memory, bytes, true};
}

NODE* new_node_block(std::size_t count) { return (NODE*)new_block(&node_pool, count); }
EDGE* new_edge_block(std::size_t count) { return (EDGE*)new_block(&edge_pool, count); }

void free_block(void* block)
{
    if (!block)
        return;
    for (POOL* pool : {&node_pool, &edge_pool})
        if (pool->handed.memory == block) {
            keep_spare(pool, pool->handed);
            pool->handed = BLOCK{};
            return;
        }
    free_large(block);
}

void keep_blocks(NODE* nodes, std::size_t node_count, EDGE* edges, std::size_t edge_count)
{
    if (nodes)
        node_pool.blocks.push_back(handed_block(node_pool, nodes, node_count * sizeof(NODE)));
    if (edges)
        edge_pool.blocks.push_back(handed_block(edge_pool, edges, edge_count * sizeof(EDGE)));
    node_pool.handed = edge_pool.handed = BLOCK{};
}

bool hit_square(int x, int y, int px, int py)
{
    std::int64_t dx = (std::int64_t)px - x;
    std::int64_t dy = (std::int64_t)py - y;
    return dx > -10 && dx < 10 && dy > -10 && dy < 10;
}

bool hit_node(const NODE* node, int px, int py) { return hit_square(node->x, node->y, px, py); }

// True when p lies within [lo - 3, hi + 3] for the two ends taken either way.
static bool within_grown_span(std::int64_t p, std::int64_t a, std::int64_t b)
{
    return (a - 3 <= p && p <= b + 3) || (b - 3 <= p && p <= a + 3);
}

bool hit_segment(int x1, int y1, int x2, int y2, int px, int py)
{
    if (!within_grown_span(px, x1, x2) || !within_grown_span(py, y1, y2))
        return false;
    std::int64_t dy = (std::int64_t)y2 - y1;
    std::int64_t dx = (std::int64_t)x1 - x2;
    double norm = (double)dy * dy + (double)dx * dx;
    if (norm == 0)
        return false;  // both ends on one pixel: no line to be near
    double s = (double)dy * ((std::int64_t)px - x1) + (double)dx * ((std::int64_t)py - y1);
    double d = s / std::sqrt(norm);
    return d > -5 && d < 5;
}

bool hit_edge(const EDGE* edge, int px, int py)
{
    return hit_segment(edge->from->x, edge->from->y, edge->to->x, edge->to->y, px, py);
}

int straight_length(const NODE* a, const NODE* b)
{
    double dx = (double)((std::int64_t)a->x - b->x);
    double dy = (double)((std::int64_t)a->y - b->y);
    double len = std::sqrt(dx * dx + dy * dy);
    return len >= (double)INT_MAX ? INT_MAX : (int)len;
}

void forget_changes()
{
    map_changes.from = map_changes.to = map_version;
    map_changes.lost = false;
    map_changes.count = 0;
}

static void log_change(const MAP_CHANGE& change)
{
    if (map_changes.count == CHANGE_LOG)
        map_changes.lost = true;
    if (!map_changes.lost)
        map_changes.list[map_changes.count++] = change;
}

static void log_node(int kind, const NODE* n, int old_x, int old_y)
{
    log_change(MAP_CHANGE{kind, n, {old_x, old_y, old_x, old_y}, {n->x, n->y, n->x, n->y}});
}

static void log_edge(int kind, const EDGE* e, const NODE* old_to)
{
    log_change(MAP_CHANGE{kind, e, {e->from->x, e->from->y, old_to->x, old_to->y},
                          {e->from->x, e->from->y, e->to->x, e->to->y}});
}

// Ends every logged edit. A change of map_version since the last one was not
// logged, so the log no longer holds everything the views must redraw.
static void logged_edit()
{
    if (map_changes.to != map_version)
        map_changes.lost = true;
    map_version++;
    map_changes.to = map_version;
}

// Splits `edge` at the new node: the old record now ends at the node, and a
// new record at the head joins the old far end to it.
static void split_edge(EDGE* edge, NODE* node)
{
    NODE* old = edge->to;
    edge->to = node;
    edge->length = straight_length(edge->from, node);
    log_edge(CHANGE_EDGE_RESHAPED, edge, old);
    EDGE* rest = new_edge(old, node, straight_length(old, node));
    rest->next = edge_list;
    edge_list = rest;
    log_edge(CHANGE_EDGE_ADDED, rest, node);
}

NODE* find_or_add_node(int px, int py)
{
    for (NODE* n = node_list; n; n = n->next)
        if (hit_node(n, px, py))
            return n;
    EDGE* split = edge_list;
    while (split && !hit_edge(split, px, py))
        split = split->next;
    return add_node(px, py, split);
}

NODE* add_node(int x, int y, EDGE* split)
{
    NODE* node = new_node(x, y, "Novy");
    node->next = node_list;
    node_list = node;
    log_node(CHANGE_NODE_ADDED, node, x, y);
    if (split)
        split_edge(split, node);
    logged_edit();
    return node;
}

void add_edge(NODE* a, NODE* b)
{
    if (a == b)
        return;
    for (EDGE* e = edge_list; e; e = e->next)
        if ((e->from == a && e->to == b) || (e->from == b && e->to == a))
            return;
    EDGE* edge = new_edge(a, b, straight_length(a, b));
    edge->next = edge_list;
    edge_list = edge;
    log_edge(CHANGE_EDGE_ADDED, edge, b);
    logged_edit();
}

void delete_edge(EDGE* edge)
{
    for (EDGE** link = &edge_list; *link; link = &(*link)->next) {
        if (*link == edge) {
            *link = edge->next;
            log_edge(CHANGE_EDGE_REMOVED, edge, edge->to);
            free_edge(edge);
            logged_edit();
            return;
        }
    }
}

void delete_node(NODE* node)
{
    bool removed = false;
    EDGE** link = &edge_list;
    while (*link) {
        EDGE* e = *link;
        if (e->from == node || e->to == node) {
            *link = e->next;
            log_edge(CHANGE_EDGE_REMOVED, e, e->to);
            free_edge(e);
            removed = true;
        } else {
            link = &e->next;
        }
    }
    for (NODE** nl = &node_list; *nl; nl = &(*nl)->next) {
        if (*nl == node) {
            *nl = node->next;
            log_node(CHANGE_NODE_REMOVED, node, node->x, node->y);
            free_node(node);
            removed = true;
            break;
        }
    }
    if (removed)
        logged_edit();
}

void move_node(NODE* node, int x, int y)
{
    if (node->x == x && node->y == y)
        return;
    const int old_x = node->x, old_y = node->y;
    node->x = x;
    node->y = y;
    log_node(CHANGE_NODE_MOVED, node, old_x, old_y);
    logged_edit();
}

void clear_map()
{
    release_pool(&edge_pool);
    release_pool(&node_pool);
    edge_list = nullptr;
    node_list = nullptr;
    current_node = nullptr;
    selected_edge = nullptr;
    map_version++;
}
