// A file that is no map is refused from its first bytes: neither read whole
// nor held in memory, however large it is.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "network/map_file.h"

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

}  // namespace
