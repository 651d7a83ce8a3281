// Large files and records: a file that is no map is refused unread; records
// and white space across the reader's stretches; records in freed slots.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "network/lists.h"
#include "network/map_file.h"

namespace {

// A file of each test's own: ctest runs the tests side by side.
std::string own_file()
{
    return testing::TempDir() + "map_file_scale_" +
           testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
}

long bytes_read()   // by this process so far, through read() and the like
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long value = 0;
    while (io >> key >> value && key != "rchar:") {}
    return value;
}

TEST(MapFileScale, OtherFilesAreRefusedUnread)
{
    const std::string path = own_file();
    for (std::string start : {"9991 ", "\n 99920", "+09993", "x", "0000000000000000000000000000000000000000000000000000000000000098"}) {
        std::ofstream(path) << start << std::string(1 << 20, ' ') << "0 0\n";
        long before = bytes_read();
        EXPECT_TRUE(load_map(path.c_str()) == 1 && bytes_read() - before < 4096) << start;
    }
    std::remove(path.c_str());
}

TEST(MapFileScale, RecordsAcrossStretchesAndLongLines)
{
    const std::string path = own_file();
    std::string text = "9992\n3 100001\n1 2" + std::string(1 << 20, 'x') + "\nlong\n3" +
                       std::string(1 << 20, ' ') + "4\n" + std::string(1 << 20, 'n') + "\n5 6\nz\n";
    for (int k = 0; k < 100001; k++)   // numbers cut by a stretch's end, somewhere
        text += "2 1 12345678\n";
    std::ofstream(path) << text;
    ASSERT_EQ(load_status(path.c_str(), (path + ".saved").c_str()), 0);   // saves past one buffer
    EXPECT_STREQ(node_list->next->name, "nnnnnnnnnnnnnnn");
    EXPECT_EQ(node_list->next->x * 10 + node_list->next->y, 34);
    EXPECT_STREQ(node_list->next->next->name, "long");
    long total = 0;
    for (EDGE* e = edge_list; e; e = e->next)
        total += e->length * (e->from == node_list && e->to == node_list->next);
    EXPECT_EQ(total, 100001L * 12345678);
    std::remove(path.c_str());
    std::remove((path + ".saved").c_str());
}

TEST(MapFileScale, RecordsInFreedSlotsSaveRight)
{
    const std::string path = own_file();
    clear_map();
    NODE* freed[3];
    for (NODE*& n : freed) n = new_node(0, 0, "");
    for (NODE* n : freed) free_node(n);   // they come back in rising order
    for (int k = 0; k < 3; k++) push_node(k, k, "");
    push_edge(node_list, node_list->next->next, 5);
    ASSERT_EQ(save_map(path.c_str()), 0);
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "9992\n3 1\n2 2\n\n1 1\n\n0 0\n\n0 2 5\n");
    clear_map();
    std::remove(path.c_str());
}

}  // namespace
