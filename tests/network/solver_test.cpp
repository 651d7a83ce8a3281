// The shortest-path solver: its results on small maps worked by hand, its
// handling of 64-bit totals, self-joined roads and negative lengths, and its
// agreement with the road-by-road scan on thousands of random maps.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "network/edge_scan.h"
#include "network/network.h"
#include "network/solver.h"

namespace {

struct SolverTest : ::testing::Test {
    void SetUp() override { clear_map(); }
    void TearDown() override { clear_map(); }
};

NODE* node(const char* name)
{
    NODE* n = new_node(0, 0, name);
    n->next = node_list;
    node_list = n;
    return n;
}

EDGE* road(NODE* a, NODE* b, int length)
{
    EDGE* e = new_edge(a, b, length);
    e->next = edge_list;
    edge_list = e;
    return e;
}

void expect_runs(const EDGE* e, const NODE* from, const NODE* to, int state)
{
    EXPECT_EQ(e->from, from);
    EXPECT_EQ(e->to, to);
    EXPECT_EQ(e->state, state);
}

TEST_F(SolverTest, TriangleTreeLabelsAndOrientation)
{
    NODE *a = node("A"), *b = node("B"), *c = node("C");
    EDGE* ab = road(a, b, 4);
    EDGE* bc = road(c, b, 4);   // stored the wrong way round on purpose
    EDGE* ac = road(a, c, 10);  // at the head
    current_node = a;
    for (int run = 0; run < 2; run++) {  // a second solve changes nothing
        solve_shortest_paths();
        EXPECT_EQ(a->label, 0);
        EXPECT_EQ(b->label, 4);
        EXPECT_EQ(c->label, 8);
        expect_runs(ab, a, b, STATE_TREE);
        expect_runs(bc, b, c, STATE_TREE);
        expect_runs(ac, c, a, STATE_DISCARDED);  // from the end settled later
        EXPECT_EQ(bc->distance, 8);
        EXPECT_EQ(ac->distance, 10);
    }
}

TEST_F(SolverTest, EqualTotalsGoToTheRoadNearerTheHead)
{
    NODE *s = node("S"), *p = node("P"), *q = node("Q"), *d = node("D");
    road(s, p, 1);
    road(s, q, 1);
    EDGE* older = road(p, d, 2);
    EDGE* newer = road(q, d, 2);
    current_node = s;
    solve_shortest_paths();
    EXPECT_EQ(d->label, 3);
    expect_runs(newer, q, d, STATE_TREE);
    expect_runs(older, d, p, STATE_DISCARDED);
}

TEST_F(SolverTest, StartNodeAndComponents)
{
    NODE *a = node("A"), *b = node("B"), *lone = node("L");
    NODE *x = node("X"), *y = node("Y");
    EDGE* ab = road(a, b, 5);
    EDGE* xy = road(x, y, 7);
    x->label = 42;
    ab->state = STATE_TREE;

    current_node = nullptr;                 // no start: only the states change
    solve_shortest_paths();
    EXPECT_EQ(ab->state, STATE_UNSEEN);
    EXPECT_EQ(ab->distance, -1);
    EXPECT_EQ(a->label, -1);

    current_node = a;
    solve_shortest_paths();
    EXPECT_EQ(b->label, 5);
    EXPECT_EQ(x->label, 42);                // other component untouched
    EXPECT_EQ(xy->state, STATE_UNSEEN);

    current_node = y;                       // another component keeps the first one's labels
    solve_shortest_paths();
    EXPECT_EQ(x->label, 7);
    EXPECT_EQ(b->label, 5);
    EXPECT_EQ(ab->state, STATE_UNSEEN);
    expect_runs(xy, y, x, STATE_TREE);

    current_node = lone;                    // isolated: label 0, no tree
    solve_shortest_paths();
    EXPECT_EQ(lone->label, 0);
    EXPECT_EQ(xy->state, STATE_UNSEEN);
}

TEST_F(SolverTest, TotalsAreSixtyFourBit)
{
    NODE *a = node("A"), *b = node("B"), *c = node("C"), *d = node("D");
    road(a, b, 999999999);
    road(b, c, 999999999);
    EDGE* last = road(c, d, 999999999);
    current_node = a;
    solve_shortest_paths();
    EXPECT_EQ(d->label, INT64_C(2999999997));
    EXPECT_EQ(last->distance, INT64_C(2999999997));
}

TEST_F(SolverTest, SelfJoinedRoadIsNeverTravelled)
{
    NODE *a = node("A"), *b = node("B"), *c = node("C");
    road(a, b, 3);
    EDGE* bc = road(b, c, 3);
    EDGE* loop_b = road(b, b, 0);    // would settle B again and discard B-C
    EDGE* loop_a = road(a, a, 0);
    current_node = a;
    solve_shortest_paths();
    EXPECT_EQ(a->label, 0);
    EXPECT_EQ(b->label, 3);
    EXPECT_EQ(c->label, 6);
    EXPECT_EQ(loop_a->state, STATE_UNSEEN);
    EXPECT_EQ(loop_b->state, STATE_UNSEEN);
    EXPECT_EQ(bc->state, STATE_TREE);
}

TEST_F(SolverTest, NegativeLengthsEndAndKeepTheMapWhole)
{
    NODE *a = node("A"), *b = node("B"), *c = node("C");
    road(a, b, -1);          // a total of exactly -1 is still a candidate
    road(b, c, -5);
    road(a, c, 2);
    current_node = a;
    solve_shortest_paths();
    EXPECT_EQ(b->label, -1);
    EXPECT_EQ(c->label, -6);
    int tree = 0;
    for (EDGE* e = edge_list; e; e = e->next) {
        tree += e->state == STATE_TREE;
        EXPECT_NE(e->from, e->to);
    }
    EXPECT_EQ(tree, 2);
}

// ---- agreement with the road-by-road scan --------------------------------

struct Outcome {
    std::vector<std::int64_t> labels;
    std::vector<const NODE*> ends;
    std::vector<int> states;
    std::vector<std::int64_t> distances;
};

Outcome capture()
{
    Outcome o;
    for (NODE* n = node_list; n; n = n->next)
        o.labels.push_back(n->label);
    for (EDGE* e = edge_list; e; e = e->next) {
        o.ends.push_back(e->from);
        o.ends.push_back(e->to);
        o.states.push_back(e->state);
        o.distances.push_back(e->distance);
    }
    return o;
}

void restore(const Outcome& o)
{
    size_t i = 0;
    for (NODE* n = node_list; n; n = n->next)
        n->label = o.labels[i++];
    i = 0;
    for (EDGE* e = edge_list; e; e = e->next, i++) {
        e->from = const_cast<NODE*>(o.ends[2 * i]);
        e->to = const_cast<NODE*>(o.ends[2 * i + 1]);
        e->state = o.states[i];
        e->distance = o.distances[i];
    }
}

// A random map: components, repeated and self-joined roads, stale solver fields.
std::vector<NODE*> random_map(std::mt19937& rng, int max_nodes, int lo, int hi)
{
    auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    clear_map();
    std::vector<NODE*> all;
    int count = pick(0, max_nodes);
    for (int i = 0; i < count; i++) {
        all.push_back(node("N"));
        all.back()->label = pick(-1, 3);
    }
    if (count == 0)
        return all;
    int groups = pick(1, 3);
    int roads = pick(0, count * 3);
    for (int i = 0; i < roads; i++) {
        int a = pick(0, count - 1), b = pick(0, count - 1);
        if (a % groups != b % groups && pick(0, 9) > 0)
            continue;  // mostly within a group, so that components are common
        if (a == b && pick(0, 9) > 0)
            continue;
        EDGE* e = road(all[a], all[b], pick(lo, hi));
        e->state = pick(0, 3);
        e->distance = pick(-1, 50);
    }
    return all;
}

// Runs the same sequence of starts through both methods and compares each step.
void compare_solves(const std::vector<NODE*>& all, const std::vector<int>& starts, int map)
{
    Outcome initial = capture();
    std::vector<Outcome> expected;
    for (int s : starts) {
        current_node = s < 0 ? nullptr : all[s];
        edge_scan_solve();
        expected.push_back(capture());
    }
    restore(initial);
    for (size_t i = 0; i < starts.size(); i++) {
        current_node = starts[i] < 0 ? nullptr : all[starts[i]];
        solve_shortest_paths();
        Outcome got = capture();
        ASSERT_EQ(got.labels, expected[i].labels) << "map " << map << " solve " << i;
        ASSERT_EQ(got.ends, expected[i].ends) << "map " << map << " solve " << i;
        ASSERT_EQ(got.states, expected[i].states) << "map " << map << " solve " << i;
        ASSERT_EQ(got.distances, expected[i].distances) << "map " << map << " solve " << i;
    }
}

TEST_F(SolverTest, AgreesWithTheRoadScanOnRandomMaps)
{
    std::mt19937 rng(20240611);
    const int ranges[][2] = {{0, 2}, {0, 0}, {0, 1}, {1, 30}, {0, 999999999}, {-3, 3}};
    for (int map = 0; map < 6000; map++) {
        const int* range = ranges[map % 6];
        std::vector<NODE*> all = random_map(rng, 14, range[0], range[1]);
        std::vector<int> starts;
        int solves = std::uniform_int_distribution<int>(1, 4)(rng);
        for (int i = 0; i < solves; i++)
            starts.push_back(std::uniform_int_distribution<int>(-1, (int)all.size() - 1)(rng));
        compare_solves(all, starts, map);
        if (HasFatalFailure())
            return;
    }
}

TEST_F(SolverTest, AgreesWithTheRoadScanOnLargerMaps)
{
    std::mt19937 rng(7);
    for (int map = 0; map < 12; map++) {
        std::vector<NODE*> all = random_map(rng, 1500, 0, map % 2 ? 3 : 500);
        if (all.empty())
            continue;
        compare_solves(all, {0, (int)all.size() / 2, 0}, map);
        if (HasFatalFailure())
            return;
    }
}

}  // namespace
