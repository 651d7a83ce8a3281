// The map file. The reader takes the whole file into memory and checks all
// of it before it lets go of the map in memory; the writer formats into one
// buffer and puts the file in place with a rename, so a failed save leaves
// the old file as it was.
#include "map_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <charconv>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "network.h"

enum { MAP_MAGIC = 9992, NAME_CHARS = 15 };

// ---- reading ------------------------------------------------------------

struct SCANNER {
    const char* p;     // next unread byte
    const char* end;   // one past the last byte of the file
};

// The white space fscanf's %d skips in the C locale.
static bool is_space(char c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// One decimal int after any white space. 1 when there is none, when it needs
// more than 32 bits, or when `whole` and other characters are glued to it.
static int read_int(SCANNER* s, int* value, bool whole)
{
    const char* p = s->p;
    while (p < s->end && is_space(*p))
        p++;
    if (p < s->end && *p == '+' && ++p < s->end && *p == '-')
        return 1;   // %d takes an explicit plus, and other tools may write one
    std::from_chars_result r = std::from_chars(p, s->end, *value);
    if (r.ec != std::errc() || (whole && r.ptr < s->end && !is_space(*r.ptr)))
        return 1;
    s->p = r.ptr;
    return 0;
}

static int read_count(SCANNER* s, int* value)
{
    return read_int(s, value, true) || *value < 0;
}

// The rest of the current line, without its line end, and moves past it.
static void take_line(SCANNER* s, const char** start, const char** stop)
{
    const char* nl = (const char*)std::memchr(s->p, '\n', s->end - s->p);
    *start = s->p;
    *stop = nl ? nl : s->end;
    s->p = nl ? nl + 1 : s->end;
}

// The file's content, checked, before any record exists.
struct MAP_TEXT {
    std::vector<int> positions;   // x, y of each node record in file order
    std::vector<char> names;      // 16 bytes per node record, zero-terminated
    std::vector<int> roads;       // from index, to index, length of each road line
};

// A position line and the name line after it. Anything after y on the
// position line is skipped. A name keeps its first 15 characters up to any
// zero byte, without the carriage returns at its end: one is a foreign line
// end, and a name ending in one would not read back as written.
static int read_node(SCANNER* s, int* position, char* name)
{
    if (read_int(s, &position[0], true) || read_int(s, &position[1], false))
        return 1;
    const char *start, *stop;
    take_line(s, &start, &stop);
    take_line(s, &start, &stop);
    std::size_t len = strnlen(start, std::min<std::size_t>(stop - start, NAME_CHARS));
    while (len > 0 && start[len - 1] == '\r')
        len--;
    std::memcpy(name, start, len);
    name[len] = '\0';
    return 0;
}

static int read_road(SCANNER* s, int* road, int node_count)
{
    if (read_int(s, &road[0], true) || read_int(s, &road[1], true) ||
        read_int(s, &road[2], true))
        return 1;
    return road[0] < 0 || road[0] >= node_count || road[1] < 0 || road[1] >= node_count ||
           road[2] < 0;
}

// Reads and checks the whole text into *text. Nothing is allocated for a
// count that the rest of the file cannot hold: a node record takes at least
// three bytes and a road line five.
static int parse_map(SCANNER* s, MAP_TEXT* text)
{
    int magic, node_count, road_count;
    if (read_int(s, &magic, true) || magic != MAP_MAGIC)
        return 1;
    if (read_count(s, &node_count) || read_count(s, &road_count))
        return 1;
    if (3 * (std::int64_t)node_count + 5 * (std::int64_t)road_count > s->end - s->p)
        return 1;
    text->positions.resize(2 * (std::size_t)node_count);
    text->names.resize(16 * (std::size_t)node_count);
    text->roads.resize(3 * (std::size_t)road_count);
    for (int k = 0; k < node_count; k++)
        if (read_node(s, &text->positions[2 * k], &text->names[16 * (std::size_t)k]))
            return 1;
    for (int k = 0; k < road_count; k++)
        if (read_road(s, &text->roads[3 * (std::size_t)k], node_count))
            return 1;
    return 0;
}

// Replaces the map with the records of a checked text, each list running
// from the file's last record to its first.
static void build_map(const MAP_TEXT& text)
{
    clear_map();
    std::size_t node_count = text.positions.size() / 2;
    std::vector<NODE*> table(node_count);
    for (std::size_t k = 0; k < node_count; k++) {
        NODE* node = new_node(text.positions[2 * k], text.positions[2 * k + 1], &text.names[16 * k]);
        node->next = node_list;
        node_list = node;
        table[k] = node;
    }
    // Road ends are table slots anywhere in the table: ask for them early,
    // or every road waits for two cache misses.
    const int* road = text.roads.data();
    const int* last = road + text.roads.size();
    const int AHEAD = 3 * 16;
    for (; road < last; road += 3) {
        if (last - road > AHEAD) {
            __builtin_prefetch(&table[road[AHEAD]]);
            __builtin_prefetch(&table[road[AHEAD + 1]]);
        }
        EDGE* edge = new_edge(table[road[0]], table[road[1]], road[2]);
        edge->next = edge_list;
        edge_list = edge;
    }
    map_version++;
}

// The whole of a regular file. Anything else (a folder, a pipe, a device)
// is no map file; O_NONBLOCK keeps a named pipe from hanging the editor.
static int read_file(const char* name, std::unique_ptr<char[]>* data, std::size_t* size)
{
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return 1;
    }
    std::size_t want = (std::size_t)st.st_size, got = 0;
    data->reset(new (std::nothrow) char[want + 1]);
    if (!*data) {
        close(fd);
        return 1;
    }
    while (got < want) {
        ssize_t n = read(fd, data->get() + got, want - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            close(fd);
            return 1;
        }
        if (n == 0)
            break;   // shrank while we read: take what is there
        got += (std::size_t)n;
    }
    close(fd);
    *size = got;
    return 0;
}

int load_map(const char* name)
{
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    if (read_file(name, &data, &size) != 0)
        return 1;
    SCANNER s{data.get(), data.get() + size};
    MAP_TEXT text;
    if (parse_map(&s, &text) != 0)
        return 1;
    data.reset();
    build_map(text);
    return 0;
}

// ---- writing ------------------------------------------------------------

// Room per 32-bit number and its separator; labels count nodes, so they fit
// too. The slack covers the header and lets to_chars see room for 20 digits.
enum { NUMBER_ROOM = 12, NODE_ROOM = 2 * NUMBER_ROOM + NAME_CHARS + 1,
       EDGE_ROOM = 3 * NUMBER_ROOM, SLACK = 96 };

static inline char* put_int(char* p, std::int64_t value, char after)
{
    p = std::to_chars(p, p + 20, value).ptr;
    *p++ = after;
    return p;
}

static char* put_nodes(char* p)
{
    for (NODE* n = node_list; n; n = n->next) {
        p = put_int(p, n->x, ' ');
        p = put_int(p, n->y, '\n');
        std::size_t len = strnlen(n->name, NAME_CHARS);
        std::memcpy(p, n->name, len);
        p += len;
        *p++ = '\n';
    }
    return p;
}

// The ends' labels lie scattered over the node records. Gathering them in a
// loop this short lets their cache misses overlap; formatting between the
// reads would wait for each in turn.
static char* put_roads(char* p, std::size_t count)
{
    std::unique_ptr<int[]> roads(new int[3 * count]);
    int* r = roads.get();
    for (EDGE* e = edge_list; e; e = e->next, r += 3) {
        r[0] = (int)e->from->label;
        r[1] = (int)e->to->label;
        r[2] = e->length;
    }
    for (r = roads.get(); r < roads.get() + 3 * count; r += 3) {
        p = put_int(p, r[0], ' ');
        p = put_int(p, r[1], ' ');
        p = put_int(p, r[2], '\n');
    }
    return p;
}

// The whole file in one buffer. Numbers the nodes into `label`, which the
// road lines then name. 1 for a map too large for the reader's ints.
static int format_map(std::unique_ptr<char[]>* out, std::size_t* size)
{
    std::size_t node_count = 0, edge_count = 0;
    for (NODE* n = node_list; n; n = n->next)
        n->label = (std::int64_t)node_count++;
    for (EDGE* e = edge_list; e; e = e->next)
        edge_count++;
    if (node_count > INT_MAX || edge_count > INT_MAX)
        return 1;
    out->reset(new char[SLACK + node_count * NODE_ROOM + edge_count * EDGE_ROOM]);
    char* p = out->get();
    p = put_int(p, MAP_MAGIC, '\n');
    p = put_int(p, (std::int64_t)node_count, ' ');
    p = put_int(p, (std::int64_t)edge_count, '\n');
    p = put_roads(put_nodes(p), edge_count);
    *size = (std::size_t)(p - out->get());
    return 0;
}

static int write_all(int fd, const char* p, std::size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return 1;
        p += n;
        size -= (std::size_t)n;
    }
    return 0;
}

// A new file beside the target, named after it; *temp receives its name.
static int create_temp(const char* name, std::string* temp)
{
    for (int attempt = 0; attempt < 100; attempt++) {
        *temp = std::string(name) + ".save-" + std::to_string(getpid()) + "-" +
                std::to_string(attempt);
        int fd = open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// The file a save must update: the name itself, or for a symbolic link the
// file it points to, followed link by link, so that the link stays a link.
// A link that points nowhere yet names the file to create, as opening the
// link for writing would.
static int resolve_target(const char* name, std::string* target)
{
    *target = name;
    for (int hops = 0; hops < 40; hops++) {
        struct stat st;
        if (lstat(target->c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return 0;
        char link[PATH_MAX];
        ssize_t n = readlink(target->c_str(), link, sizeof link - 1);
        if (n < 0)
            return 1;
        link[n] = '\0';
        std::size_t slash = target->rfind('/');
        if (link[0] == '/' || slash == std::string::npos)
            *target = link;
        else
            *target = target->substr(0, slash + 1) + link;
    }
    return 1;   // a loop of links
}

// 1 when the existing file may not be written: opening it for writing would
// be refused, or, for an administrator whom nothing refuses, it is read-only
// for everyone. A file that does not exist yet is simply created.
static int refuses_writing(const char* target, const struct stat* st)
{
    if (access(target, W_OK) != 0)
        return 1;
    return (st->st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// The new file takes the place of the old one, so it takes on the old one's
// owner, group and permissions, as far as the system lets this user give
// them: only an administrator may hand a file to someone else, a user may
// still keep its group. The owner goes first, since changing it may clear
// set-id bits.
static void keep_attributes(int fd, const struct stat* st)
{
    int kept = fchown(fd, st->st_uid, st->st_gid) == 0 || fchown(fd, (uid_t)-1, st->st_gid) == 0;
    (void)kept;   // otherwise the file is this user's, all the system allows
    fchmod(fd, st->st_mode & 07777);
}

// The rename is only lasting once the folder that holds it reaches the disk.
static void sync_folder(const std::string& target)
{
    std::size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

int save_map(const char* name)
{
    std::string target;
    if (!name[0] || resolve_target(name, &target) != 0)
        return 1;
    struct stat st;
    bool exists = stat(target.c_str(), &st) == 0;
    if (exists && (!S_ISREG(st.st_mode) || refuses_writing(target.c_str(), &st)))
        return 1;
    std::unique_ptr<char[]> text;
    std::size_t size;
    if (format_map(&text, &size) != 0)
        return 1;
    std::string temp;
    int fd = create_temp(target.c_str(), &temp);
    if (fd < 0)
        return 1;
    if (exists)
        keep_attributes(fd, &st);
    // fsync too: a rename that reaches the disk before the data would leave
    // an empty file after a crash.
    bool ok = write_all(fd, text.get(), size) == 0 && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        return 1;
    }
    sync_folder(target);
    return 0;
}
