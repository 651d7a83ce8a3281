// The map file: exact bytes, round trips and the reader's free form, unsound
// files refused with the map kept, a save that fails half way, and the
// fuzzer's files.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "network/lists.h"
#include "network/map_file.h"

namespace fs = std::filesystem;

namespace {

struct MapFileTest : ::testing::Test {
    std::string dir;
    void SetUp() override
    {
        char tmpl[] = "/tmp/map_file_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        clear_map();
    }
    void TearDown() override { clear_map(); fs::remove_all(dir); }
    std::string path(const std::string& name) { return dir + "/" + name; }
};

std::string read_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void write_text(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// The map in list order, ends named by list position: "x,y,name;...|i-j:len;...".
std::string describe()
{
    std::string out;
    int i = 0;
    for (NODE* n = node_list; n; n = n->next, i++) {
        n->index = i;
        out += std::to_string(n->x) + "," + std::to_string(n->y) + "," + n->name + ";";
    }
    out += "|";
    for (EDGE* e = edge_list; e; e = e->next)
        out += std::to_string(e->from->index) + "-" + std::to_string(e->to->index) + ":" +
               std::to_string(e->length) + ";";
    return out;
}

std::vector<std::string> files_in(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    return names;
}

TEST_F(MapFileTest, ExampleBytesRoundTripsAndTheReadersFreeForm)
{
    NODE* b = push_node(30, 40, "B");
    push_edge(push_node(10, 20, "Novy"), b, 28);
    ASSERT_EQ(save_map(path("a.txt").c_str()), 0);
    EXPECT_EQ(read_text(path("a.txt")), "9992\n2 1\n10 20\nNovy\n30 40\nB\n0 1 28\n");
    ASSERT_EQ(load_map(path("a.txt").c_str()), 0);
    EXPECT_EQ(describe(), "30,40,B;10,20,Novy;|1-0:28;");
    ASSERT_EQ(save_map(path("a.txt").c_str()), 0);
    EXPECT_EQ(read_text(path("a.txt")), "9992\n2 1\n30 40\nB\n10 20\nNovy\n1 0 28\n");

    for (const char* name : {"", "  two blanks", "fifteen chars!!", "\x80\xa0\xe9\xfe\xff"})
        push_node(-5, 70000, name);
    push_edge(node_list, node_list, 0);   // self-joined and repeated roads are kept
    push_edge(node_list, node_list->next, 2147483647);
    push_edge(node_list, node_list->next, 2147483647);
    const std::string before = describe();
    for (int k = 0; k < 2; k++) {         // twice reversed is the original order
        ASSERT_EQ(save_map(path("n.txt").c_str()), 0);
        ASSERT_EQ(load_map(path("n.txt").c_str()), 0);
    }
    EXPECT_EQ(describe(), before);

    write_text(path("free.txt"),
               " 9992\t3\n\n 2 \n 1\t2 ignored rest\r\nWindows\r\n"
               "+3\n4\nthis name is longer than fifteen\n5 6\n\tlast\r\n0 2 0\n 1\n1\n7");
    ASSERT_EQ(load_map(path("free.txt").c_str()), 0);
    EXPECT_EQ(describe(), "5,6,\tlast;3,4,this name is lo;1,2,Windows;|1-1:7;2-0:0;");
    write_text(path("eof.txt"), "9992 2 0 7 8\nmid\n9 10\nend");
    ASSERT_EQ(load_map(path("eof.txt").c_str()), 0);
    EXPECT_EQ(describe(), "9,10,end;7,8,mid;|");
}

TEST_F(MapFileTest, UnsoundFilesAreRefusedAndTheMapStays)
{
    push_edge(push_node(1, 2, "A"), push_node(3, 4, "B"), 5);
    const std::string before = describe();
    const NODE* head = node_list;
    const std::string good = "9992\n2 1\n1 1\nx\n2 2\ny\n";
    const std::vector<std::string> bad = {   // besides the bad-* seeds below
        "", "nonsense", "9992", "9992\n1", "9992abc 0 0", "9992\n-1 0\n", "9992\n0 -1\n",
        "9992\n2 0\n1 1\nx\n", good + "0 1", good + "0 x 5\n", good + "0 1 5x\n",
        good + "2 0 5\n", good + "-1 0 5\n", good + "0 1 2147483648\n",
        "9992\n1 0\n+-1 0\nx\n", "9992\n1 0\n4294967296 0\nbig\n",
        "9992\n2000000000 2000000000\n1 1\nx\n",   // claims far more than it holds
    };
    for (const std::string& text : bad) {
        write_text(path("bad.txt"), text);
        EXPECT_EQ(load_map(path("bad.txt").c_str()), 1) << text;
        EXPECT_TRUE(describe() == before && node_list == head) << text;
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
        write_text(path("old.txt"), old);
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
        EXPECT_EQ(read_text(path("old.txt")), meant ? saved : old) << c;
        struct stat st;
        ASSERT_EQ(lstat(path(c == LINK ? "link" : "old.txt").c_str(), &st), 0);
        EXPECT_TRUE(c != LINK || S_ISLNK(st.st_mode));
        EXPECT_TRUE(c != OTHER_OWNER || (st.st_uid == 4321 && st.st_gid == 4322));
    }
}

// Every file the fuzzer ever crashed on, its seeds (ok-* must load, bad-* must
// not) and the sample maps (must load). What loads must survive the fuzzer's
// round trips: loading reverses the lists, so the third save equals the first.
TEST_F(MapFileTest, FuzzRegressionsSeedsAndSamplesBehave)
{
    std::string here = __FILE__, out = path("out.txt");
    std::string tests = here.substr(0, here.rfind("/network/"));
    int seen = 0;
    for (std::string folder : {"/fuzz/seeds/", "/fuzz/regressions/", "/../samples/"}) {
        for (const std::string& name : files_in(tests + folder)) {
            seen++;
            clear_map();
            push_node(1, 1, "keep");
            int status = load_map((tests + folder + name).c_str());
            bool must_load = folder[1] == '.' || name.rfind("ok-", 0) == 0;
            EXPECT_EQ(status, must_load ? 0 : name.rfind("bad-", 0) == 0 ? 1 : status) << name;
            if (status == 1) {
                EXPECT_EQ(describe(), "1,1,keep;|") << name;
                continue;
            }
            ASSERT_EQ(save_map(out.c_str()), 0);
            std::string first = read_text(out);
            for (int k = 0; k < 2; k++)
                ASSERT_TRUE(load_map(out.c_str()) == 0 && save_map(out.c_str()) == 0) << name;
            EXPECT_EQ(read_text(out), first) << name;
        }
    }
    EXPECT_GT(seen, 10);
}

}  // namespace
