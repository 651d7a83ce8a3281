// Large files: one that is no map is refused from its first bytes, neither
// read whole nor held in memory; records and runs of white space may lie
// across the stretches the reader reads at a time, and a line may be longer.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "network/map_file.h"
#include "network/network.h"

namespace {

// Bytes this process has read through read() and the like so far.
long bytes_read()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long value = 0;
    while (io >> key >> value && key != "rchar:") {}
    return value;
}

TEST(MapFileMagic, OtherFilesAreRefusedUnread)
{
    const std::string path = testing::TempDir() + "map_file_magic.txt";
    for (const std::string& start : std::vector<std::string>{"9991 ", "\n 99920", "+09993", "x", std::string(62, '0') + "98"}) {
        std::ofstream(path, std::ios::binary) << start << std::string(1 << 20, ' ') << "0 0\n";
        long before = bytes_read();
        EXPECT_EQ(load_map(path.c_str()), 1) << start;
        EXPECT_LT(bytes_read() - before, 4096) << start;
    }
    std::remove(path.c_str());
}

TEST(MapFileMagic, RecordsAcrossStretchesAndLongLines)
{
    const std::string path = testing::TempDir() + "map_file_long.txt";
    std::string text = "9992\n3 100002\n1 2" + std::string(1 << 20, 'x') + "\nlong\n";
    text += "3" + std::string(1 << 20, ' ') + "4\n" + std::string(1 << 20, 'n') + "\n";
    for (int k = 0; k < 200000; k++)
        text += k % 2 ? " " : "\n";
    text += "5 6\nlast\n0 1 7 2\n  1\n8\n";
    for (int k = 0; k < 100000; k++)   // numbers cut by a stretch's end, somewhere
        text += "2 1 12345678\n";
    std::ofstream(path, std::ios::binary) << text;
    ASSERT_EQ(load_map(path.c_str()), 0);
    EXPECT_STREQ(node_list->name, "last");
    EXPECT_STREQ(node_list->next->name, "nnnnnnnnnnnnnnn");
    EXPECT_EQ(node_list->next->x * 10 + node_list->next->y, 34);
    EXPECT_STREQ(node_list->next->next->name, "long");
    long total = 0;
    for (EDGE* e = edge_list; e; e = e->next)
        total += e->length * (e->from == node_list && e->to == node_list->next);
    EXPECT_EQ(total, 100000L * 12345678 + 8);
    std::remove(path.c_str());
}

}  // namespace
