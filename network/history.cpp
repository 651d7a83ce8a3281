// The undo and redo steps. A step is a compact copy of the whole map in list
// order (positions, names, lengths and road ends as node positions), so
// putting it back gives exactly the records, order and road ends that were
// there. Solver fields come back as new records have them: label -1, roads
// unseen with distance -1. One more copy is the map as last loaded or saved.
#include "history.h"

#include <cstring>
#include <deque>
#include <vector>

#include "network.h"

enum { HISTORY_STEPS = 100, NAME_CHARS = 15 };

std::size_t history_limit = std::size_t(64) << 20;

struct MAP_COPY {
    std::vector<int> nodes;   // x, y of each node, head first
    std::vector<char> names;  // each node's name, zero-terminated, head first
    std::vector<int> roads;   // from position, to position, length of each road, head first
};

static MAP_COPY pending;                // the map before the running command
static std::deque<MAP_COPY> undo_steps; // oldest first
static std::deque<MAP_COPY> redo_steps; // furthest first; the next redo is at the back
static MAP_COPY saved;                  // the map as last loaded or saved; empty at the start

static std::size_t copy_bytes(const MAP_COPY& c)
{
    return sizeof c + c.nodes.capacity() * sizeof(int) + c.names.capacity() +
           c.roads.capacity() * sizeof(int);
}

// Numbers the nodes into `index`, which the road ends are then written as.
// The arrays keep their room from the last copy, so a copy is one pass that
// only writes; they grow in large steps when the map has grown.
static void take_copy(MAP_COPY* c)
{
    std::size_t at = 0, named = 0;
    int k = 0;
    for (NODE* n = node_list; n; n = n->next) {
        if (c->nodes.size() < at + 2)
            c->nodes.resize(2 * at + 64);
        if (c->names.size() < named + sizeof n->name)
            c->names.resize(2 * named + 256);
        n->index = k++;
        c->nodes[at++] = n->x;
        c->nodes[at++] = n->y;
        std::memcpy(&c->names[named], n->name, sizeof n->name);
        named += strnlen(n->name, NAME_CHARS) + 1;
        c->names[named - 1] = '\0';
    }
    std::size_t ends = 0;
    for (EDGE* e = edge_list; e; e = e->next) {
        if (c->roads.size() < ends + 3)
            c->roads.resize(2 * ends + 96);
        c->roads[ends++] = e->from->index;
        c->roads[ends++] = e->to->index;
        c->roads[ends++] = e->length;
    }
    c->nodes.resize(at);
    c->names.resize(named);
    c->roads.resize(ends);
}

// True when the map is exactly the copy; stops at the first difference, which
// for most commands lies at the head of a list. With `either_way`, a road
// whose two ends are the other way round matches too.
static bool map_matches(const MAP_COPY& c, bool either_way = false)
{
    std::size_t k = 0, at = 0;
    for (NODE* n = node_list; n; n = n->next, k += 2) {
        if (k >= c.nodes.size() || n->x != c.nodes[k] || n->y != c.nodes[k + 1] ||
            std::strncmp(n->name, &c.names[at], NAME_CHARS + 1) != 0)
            return false;
        at += std::strlen(&c.names[at]) + 1;
        n->index = (int)(k / 2);
    }
    if (k != c.nodes.size())
        return false;
    k = 0;
    for (EDGE* e = edge_list; e; e = e->next, k += 3) {
        if (k >= c.roads.size() || e->length != c.roads[k + 2])
            return false;
        const int a = e->from->index, b = e->to->index;
        if (!(a == c.roads[k] && b == c.roads[k + 1]) &&
            !(either_way && a == c.roads[k + 1] && b == c.roads[k]))
            return false;
    }
    return k == c.roads.size();
}

// Replaces the map with the copy's records, linked in the copy's order.
static void put_back(const MAP_COPY& c)
{
    clear_map();
    std::vector<NODE*> table(c.nodes.size() / 2);
    NODE** node_tail = &node_list;
    const char* name = c.names.data();
    for (std::size_t k = 0; k < table.size(); k++) {
        table[k] = *node_tail = new_node(c.nodes[2 * k], c.nodes[2 * k + 1], name);
        node_tail = &table[k]->next;
        name += std::strlen(name) + 1;
    }
    EDGE** edge_tail = &edge_list;
    for (std::size_t k = 0; k < c.roads.size(); k += 3) {
        *edge_tail = new_edge(table[c.roads[k]], table[c.roads[k + 1]], c.roads[k + 2]);
        edge_tail = &(*edge_tail)->next;
    }
    map_version++;
}

// Drops the steps furthest from the present map until the bounds hold.
static void trim()
{
    for (;;) {
        std::size_t steps = undo_steps.size() + redo_steps.size();
        if (steps == 0 || (steps <= HISTORY_STEPS && history_bytes() <= history_limit))
            return;
        if (!undo_steps.empty())
            undo_steps.pop_front();
        else
            redo_steps.pop_front();
    }
}

void history_begin() { take_copy(&pending); }

// Keeps a copy of the pending copy as a step, in no more room than it needs;
// the pending arrays keep their room for the next command.
static void keep_pending(std::deque<MAP_COPY>* steps)
{
    steps->push_back(MAP_COPY{pending.nodes, pending.names, pending.roads});
}

int history_end()
{
    if (map_matches(pending))
        return 1;
    redo_steps.clear();
    if (pending.nodes.size() * sizeof(int) + pending.names.size() +
        pending.roads.size() * sizeof(int) > history_limit) {
        undo_steps.clear();   // too large to keep, and nothing older can be reached past it
        return 0;
    }
    keep_pending(&undo_steps);
    trim();
    return 0;
}

// Moves the present map onto `to` and puts back the top step of `from`.
static int step_over(std::deque<MAP_COPY>* from, std::deque<MAP_COPY>* to)
{
    if (from->empty())
        return 1;
    take_copy(&pending);
    keep_pending(to);
    put_back(from->back());
    from->pop_back();
    trim();
    return 0;
}

int history_undo() { return step_over(&undo_steps, &redo_steps); }
int history_redo() { return step_over(&redo_steps, &undo_steps); }

void history_clear()
{
    undo_steps.clear();
    redo_steps.clear();
    pending = MAP_COPY{};
}

void history_mark_saved() { take_copy(&saved); }

// A solve turns roads round; that is no edit of the user's.
bool history_unsaved() { return !map_matches(saved, true); }

std::size_t history_bytes()
{
    std::size_t bytes = 0;
    for (const MAP_COPY& c : undo_steps)
        bytes += copy_bytes(c);
    for (const MAP_COPY& c : redo_steps)
        bytes += copy_bytes(c);
    return bytes;
}
