// The map in memory: node and road records, the two newest-first lists that
// own them, their editing operations and the hit tests the editor asks.
// Nothing here knows about screens or input.
#pragma once

#include <cstddef>
#include <cstdint>

struct NODE {
    std::int64_t label;   // -1 new; file index after a save; solve distance in solve mode
    int x, y;             // window pixels
    NODE* next;           // next (older) node in node_list
    char name[16];        // zero-terminated, at most 15 characters
    int index;            // scratch numbering for the solver, the undo history and the editor's saved copy
};

struct EDGE {
    NODE* from;           // the two ends; the order matters for printing and splits
    NODE* to;
    EDGE* next;           // next (older) road in edge_list
    int length;
    int state;            // STATE_*, written by the solver
    std::int64_t distance; // solver's tentative total through this road, -1 when new
};

enum { STATE_UNSEEN = 0, STATE_CANDIDATE = 1, STATE_DISCARDED = 2, STATE_TREE = 3 };

// The log of what the edits below changed since the editor last took it, so
// that a view can redraw only that. Each logged edit moves map_version by one;
// any other change of map_version (a load, an undo, a solve, clear_map)
// leaves the log's `to` behind it, which tells a view to redraw everything.
enum { CHANGE_NODE_ADDED, CHANGE_NODE_REMOVED, CHANGE_NODE_MOVED,
       CHANGE_EDGE_ADDED, CHANGE_EDGE_REMOVED, CHANGE_EDGE_RESHAPED };
enum { CHANGE_LOG = 1024 };   // changes kept; past that the log is lost
struct MAP_CHANGE {
    int kind;            // CHANGE_*
    const void* item;    // the NODE or EDGE; a removed one is freed, only its address is left
    int before[4];       // a road's ends x1 y1 x2 y2 before the change; a node's place twice
    int after[4];        // the same after it (an added item, a reshaped road)
};
struct MAP_CHANGES {
    unsigned from, to;   // map_version when the log was last taken, and after its last edit
    bool lost;           // an edit went unlogged or the log overflowed
    int count;
    MAP_CHANGE list[CHANGE_LOG];
};

extern NODE* node_list;      // every node, newest first; owns its records
extern EDGE* edge_list;      // every road, newest first; owns its records
extern NODE* current_node;   // node a command works on, or the solve start; else null
extern EDGE* selected_edge;  // road selected for an action; else null
extern unsigned map_version; // changes whenever what the map draws changes; views cache on it
extern std::size_t history_limit; // bytes the undo and redo steps may hold; the oldest go first
extern MAP_CHANGES map_changes; // what the edits changed since the editor took the log

// Hit tests and geometry; 64-bit inside, so any stored coordinates are safe.
bool  hit_node(const NODE* node, int px, int py);      // true inside the node's 19x19 square
bool  hit_edge(const EDGE* edge, int px, int py);      // true on the road's 5-pixel corridor
bool  hit_square(int x, int y, int px, int py);        // hit_node for a node at (x, y)
bool  hit_segment(int x1, int y1, int x2, int y2, int px, int py);  // hit_edge for a road (x1,y1)-(x2,y2)
int   straight_length(const NODE* a, const NODE* b);   // truncated distance, capped at INT_MAX

// Edits; each keeps both lists newest first.
NODE* find_or_add_node(int px, int py);   // node under the point, or a new "Novy" splitting a road
NODE* add_node(int x, int y, EDGE* split); // a new "Novy" at (x, y), splitting `split` unless null
void  add_edge(NODE* a, NODE* b);         // new road a-b unless a == b or they are joined
void  delete_edge(EDGE* edge);            // unlinks and frees the road
void  delete_node(NODE* node);            // frees the node's roads, then the node
void  clear_map();                        // frees everything; clears current_node, selected_edge
void  move_node(NODE* node, int x, int y); // places the node there; its roads follow

void  forget_changes();                   // empties the log, starting it at the present map_version

// Record allocation, shared with the file reader which links records itself.
NODE* new_node(int x, int y, const char* name);   // label -1, not linked into node_list
EDGE* new_edge(NODE* from, NODE* to, int length); // state 0, distance -1, not linked
void  free_node(NODE* node);                      // releases an unlinked record
void  free_edge(EDGE* edge);                      // releases an unlinked record

// Large scratch and blocks, on huge pages where the system offers them.
void* new_large(std::size_t bytes);   // null when out of memory; release with free_large
void  free_large(void* memory);

// A loaded map's nodes lie in one block, each list record just below the one
// before it. Walks that number the nodes note the stretch at the list's tail
// laid out so, and then tell a node's position there from its address alone,
// without a cache miss on the record.
struct NODE_RUN {
    const NODE* high;   // the stretch's first record in list order, at the highest address
    const NODE* low;    // its last record
    long first;         // the list position of `high`
};
inline void note_run(NODE_RUN* run, const NODE* n, const NODE* before, long position)
{
    if (!before || n != before - 1)
        *run = NODE_RUN{n, n, position};
    run->low = n;
}
inline long run_position(const NODE_RUN& run, const NODE* n)   // -1 when outside the stretch
{
    std::uintptr_t a = (std::uintptr_t)n, lo = (std::uintptr_t)run.low, hi = (std::uintptr_t)run.high;
    return a - lo <= hi - lo ? run.first + (long)((hi - a) / sizeof(NODE)) : -1;
}

// Whole blocks for the file reader, filled before the old map is dropped.
NODE* new_node_block(std::size_t count);   // count unset records, null when 0 or out of memory
EDGE* new_edge_block(std::size_t count);   // the same for roads
void  free_block(void* block);             // releases a block the map was never given
void  keep_blocks(NODE* nodes, std::size_t node_count, EDGE* edges, std::size_t edge_count);
                                           // after clear_map: the map owns both blocks
