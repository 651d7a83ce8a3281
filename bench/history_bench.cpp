// The cost of the undo history on large maps, against one plain pass over the
// same lists in the same run: the copy taken before a command and the check
// after it, for an edit at the tail of the road list (the whole map compared)
// and for a command that changes nothing; the copy alone; an undo with its redo.
// Best of interleaved rounds, in milliseconds.
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "network/history.h"
#include "network/network.h"

namespace {

// Nodes in reading order, roads joining nearby ones: as a loaded map is laid out.
void build_map(int roads)
{
    clear_map();
    history_clear();
    std::mt19937 rng(9992);
    int node_count = roads / 2;
    std::vector<NODE*> nodes(node_count);
    char name[16];
    for (int i = 0; i < node_count; i++) {
        std::snprintf(name, sizeof name, "N%d", (int)(rng() % 100000));
        NODE* n = nodes[i] = new_node((int)(rng() % 800), (int)(rng() % 572), name);
        n->next = node_list;
        node_list = n;
    }
    for (int k = 0; k < roads; k++) {
        int i = (int)(rng() % node_count), j = (i + 1 + (int)(rng() % 50)) % node_count;
        EDGE* e = new_edge(nodes[i], nodes[j], straight_length(nodes[i], nodes[j]));
        e->next = edge_list;
        edge_list = e;
    }
}

// What any copy must read: every position, name and road end.
long plain_pass()
{
    long sum = 0;
    for (NODE* n = node_list; n; n = n->next)
        sum += n->x + n->y + n->name[0];
    for (EDGE* e = edge_list; e; e = e->next)
        sum += e->from->x + e->to->y + e->length;
    return sum;
}

EDGE* last_road()
{
    EDGE* e = edge_list;
    while (e->next)
        e = e->next;
    return e;
}

double ms_of(void (*work)())
{
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

volatile long sink;
EDGE* tail_road;

}  // namespace

int main()
{
    const char* what[] = {"plain pass over the lists", "edit: copy + check + keep",
                          "no change: copy + check", "undo + redo", "copy alone (before a command)"};
    void (*work[])() = {
        [] { sink = plain_pass(); },
        [] { history_begin(); tail_road->length ^= 1; history_end(); },
        [] { history_begin(); history_end(); },
        [] { history_undo(); history_redo(); tail_road = last_road(); },
        [] { history_begin(); },
    };
    for (int roads : {100000, 1000000}) {
        build_map(roads);
        tail_road = last_road();
        double best[5] = {1e9, 1e9, 1e9, 1e9, 1e9};
        for (int round = 0; round < 7; round++)
            for (int w = 0; w < 5; w++) {
                double ms = ms_of(work[w]);
                best[w] = ms < best[w] ? ms : best[w];
            }
        std::printf("%d roads, %d nodes; history %.1f MB\n", roads, roads / 2, history_bytes() / 1e6);
        for (int w = 0; w < 5; w++)
            std::printf("  %-28s %8.2f ms  %5.2f ms per 10,000 roads  %4.1fx the plain pass\n",
                        what[w], best[w], best[w] * 10000 / roads, best[w] / best[0]);
    }
    return 0;
}
