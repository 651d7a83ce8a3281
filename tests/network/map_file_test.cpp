// The map file: exact bytes, the reader's free form, refused files, a failed
// save, and every file the fuzzer keeps.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "network/lists.h"

namespace fs = std::filesystem;

namespace {

struct MapFileTest : ::testing::Test {
    std::string dir = fs::temp_directory_path() / "map_file_test.XXXXXX";
    void SetUp() override { ASSERT_TRUE(mkdtemp(dir.data())), clear_map(); }
    void TearDown() override { clear_map(), fs::remove_all(dir); }
    std::string path(const std::string& name) { return dir + "/" + name; }
    std::string text(const std::string& name)
    {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

TEST_F(MapFileTest, BytesAndTheReadersFreeForm)
{
    const std::string f = path("a.txt");
    ASSERT_EQ(save_map(f.c_str()), 0);
    EXPECT_EQ(text("a.txt"), "9992\n0 0\n");
    NODE* b = push_node(30, 40, "B");
    push_edge(push_node(10, 20, "Novy"), b, 28);
    ASSERT_EQ(save_map(f.c_str()), 0);
    EXPECT_EQ(text("a.txt"), "9992\n2 1\n10 20\nNovy\n30 40\nB\n0 1 28\n");
    ASSERT_EQ(load_map(f.c_str()), 0);
    EXPECT_EQ(describe(), "30,40,B,-1;10,20,Novy,-1;|1-0:28,0,-1;");
    ASSERT_EQ(save_map(f.c_str()), 0);
    EXPECT_EQ(text("a.txt"), "9992\n2 1\n30 40\nB\n10 20\nNovy\n1 0 28\n");
    std::ofstream(f) << " 9992\t3\n\n2 \n 1\t2 rest of line\n two  words \n5\n6\n\n7 8\nlast\n"
                        "0 1 999999999\n2\n0\n7";
    ASSERT_EQ(load_map(f.c_str()), 0);
    EXPECT_EQ(describe(), "7,8,last,-1;5,6,,-1;1,2, two  words ,-1;|0-2:7,0,-1;2-1:999999999,0,-1;");
}

TEST_F(MapFileTest, RefusedFilesLeaveTheMapAsItWas)
{
    std::ofstream(path("9991")) << "9991\n0 0\n";
    std::ofstream(path("words")) << "map 9992\n0 0\n";
    std::ofstream(path("empty")) << "";
    // Sound records first: the bad one comes after roads already read.
    std::ofstream(path("later-road")) << "9992\n2 3\n1 2\nA\n3 4\nB\n0 1 5\n1 0 6\n0 2 7\n";
    for (const std::string& name : {path("missing"), path("9991"), path("words"), path("empty"),
                                    path("later-road"), dir})
        EXPECT_EQ(load_status(name.c_str(), path("out").c_str()), 1) << name;
    EXPECT_EQ(load_map(""), 1);
}

// Plain records, read from bit masks, beside records just past what that
// reads: nine digits, a sixteenth character, a carriage return, a sign, a
// glued character, a record longer than the 32 bytes looked at.
TEST_F(MapFileTest, PlainRecordsAndTheirNeighboursReadAlike)
{
    const struct {
        const char* records;   // after "9992\n"
        const char* map;       // describe(), or "" when refused
    } cases[] = {
        {"1 2\n12345678 0012345\nfifteen chars!!\n0 0 99999999\n0 0 7\n",
         "12345678,12345,fifteen chars!!,-1;|0-0:7,0,-1;0-0:99999999,0,-1;"},
        {"1 1\n123456789 1\nA\n0 0 123456789\n", "123456789,1,A,-1;|0-0:123456789,0,-1;"},
        {"1 0\n1 2\nsixteen chars!!!\n", "1,2,sixteen chars!!,-1;|"},
        {"1 0\n1 2\nA\r\n", "1,2,A,-1;|"},
        {"2 1\n+5 -6\nA\n\t7\v8\r\n\n\f0  1\t+2\n", "7,8,,-1;5,-6,A,-1;|1-0:2,0,-1;"},
        {"1 1\n5 6\nA\n0 0 7:\n", ""},
        {"1 1\n5 6x\nA\n0 0 7\n", "5,6,A,-1;|0-0:7,0,-1;"},
        {"1 1\n5                                6\nA\n0                               0 7\n",
         "5,6,A,-1;|0-0:7,0,-1;"},
        {"2 1\n5 6\nA\n7 8\nB\n0 1 3 2 0 4\n", "7,8,B,-1;5,6,A,-1;|1-0:3,0,-1;"},
    };
    const std::string f = path("plain.txt");
    for (const auto& c : cases) {
        std::ofstream(f) << "9992\n" << c.records;
        clear_map();
        EXPECT_EQ(load_map(f.c_str()), c.map[0] ? 0 : 1) << c.records;
        EXPECT_EQ(c.map[0] ? describe() : "", c.map) << c.records;
    }
}

// Each case arranges the file "old.txt" and saves to a name: either the file
// the user meant is updated, or the save fails and leaves it as it was.
TEST_F(MapFileTest, SaveTargetsUpdateTheMeantFileOrFailKeepingIt)
{
    push_node(1, 2, "A");
    const std::string old = "9992\n0 0\n", saved = "9992\n1 0\n1 2\nA\n";
    enum { LINK, READ_ONLY, NO_FOLDER, FULL_DISK, FOLDER, OTHER_OWNER, CASES };
    for (int c = 0; c < CASES; c++) {
        std::ofstream(path("old.txt")) << old;
        chmod(path("old.txt").c_str(), 0644);
        std::string name = path("old.txt");
        rlimit limit;
        getrlimit(RLIMIT_FSIZE, &limit);
        rlimit tiny = {4, limit.rlim_max};   // as a full disk: the write fails
        if (c == LINK) {
            fs::remove(path("link"));
            fs::create_symlink("old.txt", path("link"));
            name = path("link");
        }
        if (c == READ_ONLY) chmod(name.c_str(), 0444);
        if (c == NO_FOLDER) name = path("none/old.txt");
        if (c == FOLDER) name = dir;
        if (c == OTHER_OWNER && (geteuid() != 0 || chown(name.c_str(), 4321, 4322) != 0))
            continue;                        // only an administrator can save for others
        auto handler = signal(SIGXFSZ, SIG_IGN);
        if (c == FULL_DISK) setrlimit(RLIMIT_FSIZE, &tiny);
        int status = save_map(name.c_str());
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, handler);
        bool meant = c == LINK || c == OTHER_OWNER;
        EXPECT_EQ(status, meant ? 0 : 1) << c;
        EXPECT_EQ(text("old.txt"), meant ? saved : old) << c;
        struct stat st;
        ASSERT_EQ(lstat(path(c == LINK ? "link" : "old.txt").c_str(), &st), 0);
        EXPECT_TRUE(c != LINK || S_ISLNK(st.st_mode));
        EXPECT_TRUE(c != OTHER_OWNER || (st.st_uid == 4321 && st.st_gid == 4322));
    }
}

// The fuzzer's seeds, every file it crashed on and the sample maps: all load
// but the bad-* seeds, and none misbehaves.
TEST_F(MapFileTest, FuzzFilesAndSamples)
{
    std::string tests = __FILE__;
    tests.resize(tests.rfind("/network/"));
    for (const char* folder : {"/fuzz/seeds", "/fuzz/regressions", "/../samples"})
        for (const auto& file : fs::directory_iterator(tests + folder))
            EXPECT_EQ(load_status(file.path().c_str(), path("out").c_str()),
                      file.path().filename().string().rfind("bad-", 0) == 0) << file.path();
}

}  // namespace
