// The map file. The reader reads the file a stretch at a time, all of it
// into new records, before it lets go of the map in memory; the writer
// streams the text into a file beside the target and puts it in place with
// a rename, so a failed save leaves the old file as it was.
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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "network.h"

enum { MAP_MAGIC = 9992, NAME_CHARS = 15 };

// ---- reading ------------------------------------------------------------

struct SCANNER {
    const char* p;     // next unread byte
    const char* end;   // one past the last byte read so far
};

// The white space fscanf's %d skips in the C locale.
static bool is_space(char c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The value of the digits p[0 .. len-1], len from 1 to 7, from the eight
// bytes at p: two, then four, then eight digits at a time.
static inline std::uint64_t short_number(std::uint64_t digits, int len)
{
    std::uint64_t t = digits << (8 * (8 - len));   // the digits high, leading zeros low
    t = ((t & 0x0F0F0F0F0F0F0F0F) * 2561) >> 8;
    t = ((t & 0x00FF00FF00FF00FF) * 6553601) >> 16;
    return ((t & 0x0000FFFF0000FFFF) * 42949672960001) >> 32;
}

// One decimal int after any white space, as fscanf's %d reads it: an
// optional sign, then digits. 1 when there is none, when it needs more than
// 32 bits, or when `whole` and other characters are glued to it. Numbers
// under eight digits are read eight bytes at a time, which needs eight
// readable bytes past the scanner's end: this is most of the load's time.
static inline __attribute__((always_inline)) int read_int(SCANNER* s, int* value, bool whole)
{
    const char* p = s->p;
    const char* end = s->end;
    while (p < end && is_space(*p))
        p++;
    bool negative = false;
    if (p < end && *p == '+') {
        if (++p < end && *p == '-')
            return 1;   // %d takes an explicit plus, and other tools may write one
    } else if (p < end && *p == '-') {
        negative = true;
        p++;
    }
    std::uint64_t bytes;
    std::memcpy(&bytes, p, 8);
    std::uint64_t digits = bytes ^ 0x3030303030303030;   // a digit's byte is now 0..9
    std::uint64_t others = ((digits + 0x7676767676767676) | digits) & 0x8080808080808080;
    int len = others ? (std::min<int>((int)(end - p), __builtin_ctzll(others) / 8)) : 8;
    std::uint64_t v = 0;
    if (len == 0) {
        return 1;
    } else if (len < 8) {
        v = short_number(digits, len);
        p += len;
    } else {
        while (p < end && *p == '0')
            p++;
        const char* significant = p;
        while (p < end && (unsigned)(*p - '0') < 10 && p - significant < 11)
            v = v * 10 + (unsigned)(*p++ - '0');
        if (p < end && (unsigned)(*p - '0') < 10)
            return 1;   // more than eleven significant digits
        if (v > (negative ? UINT64_C(2147483648) : UINT64_C(2147483647)))
            return 1;
    }
    if (whole && p < end && !is_space(*p))
        return 1;
    *value = (int)(negative ? -(std::int64_t)v : (std::int64_t)v);
    s->p = p;
    return 0;
}

static int read_count(SCANNER* s, int* value)
{
    return read_int(s, value, true) || *value < 0;
}

// Moves past the rest of the current line and its line end.
static void skip_line(SCANNER* s)
{
    if (s->p < s->end && *s->p == '\n') {
        s->p++;
        return;
    }
    const char* nl = (const char*)std::memchr(s->p, '\n', s->end - s->p);
    s->p = nl ? nl + 1 : s->end;
}

// The index of the word's first zero byte, 8 when it has none. Flags above
// a zero byte may be false; the lowest is always true.
static inline int first_zero(std::uint64_t w)
{
    std::uint64_t z = (w - 0x0101010101010101) & ~w & 0x8080808080808080;
    return z ? __builtin_ctzll(z) / 8 : 8;
}

// Where a name in the word's bytes stops: at a line end or a zero byte.
static inline int name_stop(std::uint64_t w)
{
    return std::min(first_zero(w), first_zero(w ^ 0x0A0A0A0A0A0A0A0A));
}

// A name line into a zeroed 16-byte field. It keeps its first 15 characters
// up to any zero byte, without the carriage returns at its end: one is a
// foreign line end, and a name ending in one would not read back as written.
// The field's 16 bytes are looked at whole, which the padding allows.
static void read_name(SCANNER* s, char* name)
{
    std::uint64_t w[2];
    std::memcpy(w, s->p, sizeof w);
    int len = name_stop(w[0]);
    if (len == 8)
        len += name_stop(w[1]);
    len = (int)std::min<std::ptrdiff_t>({len, NAME_CHARS, s->end - s->p});
    std::memcpy(name, s->p, (std::size_t)len);
    s->p += len;
    while (len > 0 && name[len - 1] == '\r')
        name[--len] = '\0';
    skip_line(s);
}

// A position line, anything after y on it skipped, and the name line after
// it, into a record linked to the one before it in the file.
static int read_node(SCANNER* s, NODE* node, NODE* before)
{
    if (read_int(s, &node->x, true) || read_int(s, &node->y, false))
        return 1;
    skip_line(s);
    std::memset(node->name, 0, sizeof node->name);
    read_name(s, node->name);
    node->label = -1;
    node->next = before;
    node->index = 0;
    return 0;
}

static int read_road(SCANNER* s, EDGE* edge, EDGE* before, NODE* nodes, int node_count)
{
    int from, to;
    if (read_int(s, &from, true) || read_int(s, &to, true) || read_int(s, &edge->length, true))
        return 1;
    if (from < 0 || from >= node_count || to < 0 || to >= node_count || edge->length < 0)
        return 1;
    edge->from = nodes + from;
    edge->to = nodes + to;
    edge->next = before;
    edge->state = STATE_UNSEEN;
    edge->distance = -1;
    return 0;
}

// ---- plain records ------------------------------------------------------
//
// Almost every record of a real file is plain: short unsigned numbers with
// blanks or line ends between them, a name line of at most 15 characters,
// and the whole record among the bytes read. Such a record is read from
// bit masks over the 32 bytes where it starts, which keeps the chain from
// one record to the next short; reading number after number, each waiting
// for the length of the one before, was most of the load's time. Anything
// else goes to the readers above, which decide it; a plain record reads
// exactly as they would read it.

enum { WINDOW = 32 };

#if defined(__SSE2__)

struct MASKS {
    std::uint64_t digits;    // bit i set when byte i is a digit
    std::uint64_t clean;     // a digit or white space, and among the bytes read
    std::uint64_t line_end;  // a line end among the bytes read
    std::uint64_t stop;      // a zero byte, or past the bytes read
};

static inline std::uint64_t bits_of(__m128i low, __m128i high)
{
    return (std::uint64_t)(unsigned)_mm_movemask_epi8(low) |
           (std::uint64_t)(unsigned)_mm_movemask_epi8(high) << 16;
}

// True for the bytes of v that are at most `top` above `base`.
static inline __m128i in_range(__m128i v, char base, char top)
{
    __m128i off = _mm_sub_epi8(v, _mm_set1_epi8(base));
    return _mm_cmpeq_epi8(_mm_min_epu8(off, _mm_set1_epi8(top)), off);
}

// The white space fscanf skips, as is_space.
static inline __m128i white(__m128i v)
{
    return _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')), in_range(v, '\t', '\r' - '\t'));
}

// The masks of the window at p; `end` ends the bytes read.
static inline MASKS masks_at(const char* p, const char* end)
{
    __m128i a = _mm_loadu_si128((const __m128i*)p);
    __m128i b = _mm_loadu_si128((const __m128i*)(p + 16));
    std::ptrdiff_t have = end - p;
    std::uint64_t read = have >= WINDOW ? 0xFFFFFFFF : (UINT64_C(1) << have) - 1;
    std::uint64_t digits = bits_of(in_range(a, '0', 9), in_range(b, '0', 9));
    std::uint64_t spaces = bits_of(white(a), white(b));
    __m128i nl = _mm_set1_epi8('\n'), zero = _mm_setzero_si128();
    std::uint64_t line_end = bits_of(_mm_cmpeq_epi8(a, nl), _mm_cmpeq_epi8(b, nl));
    std::uint64_t zeros = bits_of(_mm_cmpeq_epi8(a, zero), _mm_cmpeq_epi8(b, zero));
    return MASKS{digits & read, (digits | spaces) & read, line_end & read, zeros | ~read};
}

// Where the first digit run left in the masks starts, and its length; its
// bits are cleared. A missing run lies past the window, which callers refuse.
static inline int next_run(std::uint64_t* starts, std::uint64_t* ends, int* len)
{
    int start = __builtin_ctzll(*starts), last = __builtin_ctzll(*ends);
    *starts &= *starts - 1;
    *ends &= *ends - 1;
    *len = last - start + 1;
    return start;
}

// The value of a run of one to eight digits.
static inline int run_value(const char* p, int start, int len)
{
    std::uint64_t bytes;
    std::memcpy(&bytes, p + start, 8);
    return (int)short_number(bytes ^ 0x3030303030303030, len);
}

// The first `count` numbers at p, each of one to eight digits with only
// white space before it; the index of the byte after the last, or
// WINDOW when the numbers are not so, or the bytes after them are not
// white space, or do not lie within the window.
static inline int plain_numbers(const char* p, const MASKS& m, int count, int* values)
{
    std::uint64_t starts = (m.digits & ~(m.digits << 1)) | UINT64_C(7) << 40;
    std::uint64_t ends = (m.digits & ~(m.digits >> 1)) | UINT64_C(7) << 40;
    int start[3], len[3], lens = 0;
#pragma GCC unroll 3
    for (int k = 0; k < count; k++) {
        start[k] = next_run(&starts, &ends, &len[k]);
        lens |= len[k] - 1;
    }
    int after = start[count - 1] + len[count - 1];
    int clean = __builtin_ctzll(~m.clean);   // at most WINDOW
    if (after >= clean || lens >= 8)
        return WINDOW;
#pragma GCC unroll 3
    for (int k = 0; k < count; k++)
        values[k] = run_value(p, start[k], len[k]);
    return after;
}

// A plain road line at *p, read and checked as read_road would; *p moved
// past it. False when the line is not plain or not sound.
static inline bool plain_road(const char** p, const char* end, EDGE* edge, EDGE* before,
                              NODE* nodes, int node_count)
{
    int v[3];
    int after = plain_numbers(*p, masks_at(*p, end), 3, v);
    if (after == WINDOW || v[0] >= node_count || v[1] >= node_count)
        return false;
    edge->from = nodes + v[0];
    edge->to = nodes + v[1];
    edge->next = before;
    edge->length = v[2];
    edge->state = STATE_UNSEEN;
    edge->distance = -1;
    *p += after;
    return true;
}

// A plain node record at *p: the position line, ending right after y, and
// a name line of up to 15 characters that has no zero byte and does not end
// in a carriage return.
static inline bool plain_node(const char** p, const char* end, NODE* node, NODE* before)
{
    const char* q = *p;
    MASKS m = masks_at(q, end);
    int xy[2];
    int after = plain_numbers(q, m, 2, xy);
    if (after == WINDOW || q[after] != '\n')
        return false;
    std::uint64_t later = ~UINT64_C(0) << (after + 1);
    int stop = __builtin_ctzll((m.line_end | m.stop) & later);
    int len = stop - after - 1;
    if (!(m.line_end >> stop & 1) || len > NAME_CHARS || (len > 0 && q[stop - 1] == '\r'))
        return false;
    static const unsigned char KEEP[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                           0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    __m128i keep = _mm_loadu_si128((const __m128i*)(KEEP + 16 - len));   // len bytes kept
    __m128i name = _mm_and_si128(_mm_loadu_si128((const __m128i*)(q + after + 1)), keep);
    node->label = -1;
    node->x = xy[0];
    node->y = xy[1];
    node->next = before;
    _mm_storeu_si128((__m128i*)node->name, name);
    node->index = 0;
    *p = q + stop + 1;
    return true;
}

#else

static inline bool plain_road(const char**, const char*, EDGE*, EDGE*, NODE*, int) { return false; }
static inline bool plain_node(const char**, const char*, NODE*, NODE*) { return false; }

#endif

// The records of a checked file, in one block per list, each record linked
// to the one before it in the file: the last record is the list's head.
struct MAP_BLOCKS {
    NODE* nodes;
    int node_count;
    EDGE* edges;
    int edge_count;
};

static int read_fully(int fd, char* data, std::size_t want, std::size_t* got)
{
    while (*got < want) {
        ssize_t n = read(fd, data + *got, want - *got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return 1;
        if (n == 0)
            break;   // the end, or shrank while we read: take what is there
        *got += (std::size_t)n;
    }
    return 0;
}

// The file, read a stretch at a time into one buffer that a record never
// outgrows: the whole of a large file is never in memory. PAD zero bytes
// follow the bytes read, for read_int and read_name.
enum { STRETCH_BYTES = 1 << 19, PAD = 64 };
static_assert(PAD >= 16, "read_name looks at a name field's 16 bytes at once");
static_assert(PAD >= WINDOW + 16, "plain_node looks at a name's 16 bytes from anywhere in its window");
struct READER {
    int fd;
    std::unique_ptr<char[]> buf;
    std::size_t room;       // bytes the buffer holds before its padding
    std::int64_t offset;    // file offset of buf[0]
    std::int64_t size;      // the file's size when opened
    bool at_end;            // the buffer holds the rest of the file
};

// Moves the record that starts at `keep` to the front and reads on behind
// it, growing the buffer for a record longer than it. 1 on a read error or
// when memory runs out.
static int read_more(READER* r, SCANNER* s, const char* keep)
{
    std::size_t kept = (std::size_t)(s->end - keep);
    r->offset += keep - r->buf.get();
    if (kept == r->room) {
        std::unique_ptr<char[]> bigger(new (std::nothrow) char[2 * r->room + PAD]);
        if (!bigger)
            return 1;
        std::memcpy(bigger.get(), keep, kept);
        r->buf = std::move(bigger);
        r->room *= 2;
    } else {
        std::memmove(r->buf.get(), keep, kept);
    }
    std::size_t got = kept;
    if (read_fully(r->fd, r->buf.get(), r->room, &got) != 0)
        return 1;
    r->at_end = got < r->room;
    std::memset(r->buf.get() + got, 0, PAD);
    *s = SCANNER{r->buf.get(), r->buf.get() + got};
    return 0;
}

// True when a record just read may have been cut short by the end of the
// bytes read so far: it failed or ran up to that end, with more file to come.
static bool cut_short(const READER* r, const SCANNER* s, int failed)
{
    return !r->at_end && (failed || s->p >= s->end);
}

static int read_header(SCANNER* s, int* n, int* m)
{
    int magic;
    return read_int(s, &magic, true) || magic != MAP_MAGIC || read_count(s, n) ||
           read_count(s, m);
}

// The node records into the block: the plain ones in a tight loop, any
// other one, or one cut short by the end of the bytes read, by read_node.
static int read_nodes(READER* r, SCANNER* s, NODE* nodes, int n)
{
    for (int k = 0; k < n; k++) {
        const char* p = s->p;
        while (k < n && plain_node(&p, s->end, &nodes[k], k ? &nodes[k - 1] : nullptr))
            k++;
        s->p = p;
        if (k == n)
            break;
        NODE* before = k ? &nodes[k - 1] : nullptr;
        int failed;
        for (const char* at = s->p; cut_short(r, s, failed = read_node(s, &nodes[k], before)); at = s->p)
            if (read_more(r, s, at))
                return 1;
        if (failed)
            return 1;
    }
    return 0;
}

// The road lines the same way.
static int read_roads(READER* r, SCANNER* s, EDGE* edges, int m, NODE* nodes, int n)
{
    for (int k = 0; k < m; k++) {
        const char* p = s->p;
        while (k < m && plain_road(&p, s->end, &edges[k], k ? &edges[k - 1] : nullptr, nodes, n))
            k++;
        s->p = p;
        if (k == m)
            break;
        EDGE* before = k ? &edges[k - 1] : nullptr;
        int failed;
        for (const char* at = s->p; cut_short(r, s, failed = read_road(s, &edges[k], before, nodes, n));
             at = s->p)
            if (read_more(r, s, at))
                return 1;
        if (failed)
            return 1;
    }
    return 0;
}

// Reads and checks the whole file into new blocks; on failure none are left.
// A record cut short by the end of the buffer is read again once the
// buffer holds more. Nothing is allocated for a count that the rest of the
// file cannot hold: a node record takes at least three bytes and a road
// line five.
static int parse_map(READER* r, SCANNER* s, MAP_BLOCKS* map)
{
    int n, m, failed;
    for (const char* at = s->p; cut_short(r, s, failed = read_header(s, &n, &m)); at = s->p)
        if (read_more(r, s, at))
            return 1;
    std::int64_t left = std::max(r->size, r->offset + (s->end - r->buf.get())) -
                        (r->offset + (s->p - r->buf.get()));
    if (failed || 3 * (std::int64_t)n + 5 * (std::int64_t)m > left)
        return 1;
    *map = MAP_BLOCKS{new_node_block((std::size_t)n), n, new_edge_block((std::size_t)m), m};
    failed = (n > 0 && !map->nodes) || (m > 0 && !map->edges);
    if (!failed)
        failed = read_nodes(r, s, map->nodes, n) || read_roads(r, s, map->edges, m, map->nodes, n);
    if (failed) {
        free_block(map->nodes);
        free_block(map->edges);
        return 1;
    }
    return 0;
}

// Replaces the map with the records of a checked file.
static void adopt_map(const MAP_BLOCKS& map)
{
    clear_map();
    keep_blocks(map.nodes, (std::size_t)map.node_count, map.edges, (std::size_t)map.edge_count);
    node_list = map.node_count ? &map.nodes[map.node_count - 1] : nullptr;
    edge_list = map.edge_count ? &map.edges[map.edge_count - 1] : nullptr;
    map_version++;
}

// True when `head`, the first bytes of a file, already show that it does
// not begin with the magic number. A number cut off by the end of `head`
// only passes while it can still grow into the magic number.
static bool wrong_magic(const char* head, std::size_t got, bool whole_file)
{
    SCANNER s{head, head + got};
    const char* p = head;
    while (p < s.end && is_space(*p))
        p++;
    const char* token = p;
    while (p < s.end && !is_space(*p))
        p++;
    if (p == s.end && !whole_file) {
        if (token < p && *token == '+')
            token++;
        while (token < p && *token == '0')
            token++;
        return p - token > 4 || std::memcmp(token, "9992", p - token) != 0;
    }
    int magic;
    return read_int(&s, &magic, true) || magic != MAP_MAGIC;
}

// A regular file that begins with the magic number, its first stretch read;
// any other file is refused after its first few bytes. Anything but a
// regular file (a folder, a pipe, a device) is no map file; O_NONBLOCK keeps
// a named pipe from hanging the editor.
static int open_map(READER* r, SCANNER* s)
{
    struct stat st;
    if (fstat(r->fd, &st) != 0 || !S_ISREG(st.st_mode))
        return 1;
    enum { HEAD = 64 };
    char head[HEAD + PAD] = {};
    std::size_t got = 0;
    if (read_fully(r->fd, head, HEAD, &got) != 0 || wrong_magic(head, got, got < HEAD))
        return 1;
    r->buf.reset(new (std::nothrow) char[STRETCH_BYTES + PAD]);
    if (!r->buf)
        return 1;
    r->room = STRETCH_BYTES;
    r->offset = 0;
    r->size = (std::int64_t)st.st_size;
    std::memcpy(r->buf.get(), head, got);
    *s = SCANNER{r->buf.get(), r->buf.get() + got};
    r->at_end = got < HEAD;
    std::memset(r->buf.get() + got, 0, PAD);
    return r->at_end ? 0 : read_more(r, s, s->p);
}

int load_map(const char* name)
{
    READER r{};
    r.fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (r.fd < 0)
        return 1;
    SCANNER s;
    MAP_BLOCKS map;
    int failed = open_map(&r, &s) || parse_map(&r, &s, &map);
    close(r.fd);
    if (failed)
        return 1;
    adopt_map(map);
    return 0;
}

// ---- writing ------------------------------------------------------------

// The file goes out a stretch at a time: formatted into a small buffer and
// written, and every WRITE_BEHIND bytes handed to the disk, the stretch
// before waited for and dropped from the page cache. A large save so writes
// to the disk while it formats, and its pages do not pile up in memory.
enum { WRITE_BUFFER = 1 << 20, WRITE_BEHIND = 32 << 20 };

struct WRITER {
    int fd;
    char* p;              // next free byte of buf
    char* end;            // where buf's WRITE_BUFFER bytes end; the slack lies beyond
    off_t written;        // bytes written to the file
    off_t started;        // bytes the disk was asked to write
    off_t dropped;        // bytes written out and dropped from the cache
    bool failed;
    std::vector<char> buf;
};

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

// Errors here only cost speed: the fsync at the end reports any failed write.
static void write_behind(WRITER* w)
{
    if (w->written - w->started < WRITE_BEHIND)
        return;
    sync_file_range(w->fd, w->started, w->written - w->started, SYNC_FILE_RANGE_WRITE);
    if (w->started > w->dropped) {
        sync_file_range(w->fd, w->dropped, w->started - w->dropped,
                        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                            SYNC_FILE_RANGE_WAIT_AFTER);
        posix_fadvise(w->fd, w->dropped, w->started - w->dropped, POSIX_FADV_DONTNEED);
        w->dropped = w->started;
    }
    w->started = w->written;
}

static void flush_text(WRITER* w)
{
    const std::size_t size = (std::size_t)(w->p - w->buf.data());
    if (!w->failed && write_all(w->fd, w->buf.data(), size) != 0)
        w->failed = true;
    w->written += (off_t)size;
    w->p = w->buf.data();
    if (!w->failed)
        write_behind(w);
}

// Room per 32-bit number and its separator; labels count nodes, so they fit
// too. A name goes in as its whole 16-byte field, which a node's room holds;
// the slack is a margin past the last record.
enum { NUMBER_ROOM = 12, NODE_ROOM = 2 * NUMBER_ROOM + NAME_CHARS + 1,
       EDGE_ROOM = 3 * NUMBER_ROOM, SLACK = 96 };
enum { STRETCH = 1024, AHEAD = 48 };   // roads gathered, and asked for ahead, at a time

// Decimal digits two at a time from a table, inlined into the writer's
// loops: formatting is most of the save's time.
static const char DIGIT_PAIRS[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

static inline __attribute__((always_inline)) char* put_int(char* p, int value, char after)
{
    unsigned v = (unsigned)value;
    if (value < 0) {
        *p++ = '-';
        v = 0u - v;
    }
    int len = 1;
    for (unsigned t = v; t >= 10; t /= 10)
        len++;
    char* q = p + len;
    while (v >= 100) {
        q -= 2;
        std::memcpy(q, DIGIT_PAIRS + 2 * (v % 100), 2);
        v /= 100;
    }
    if (v >= 10)
        std::memcpy(q - 2, DIGIT_PAIRS + 2 * v, 2);
    else
        q[-1] = (char)('0' + v);
    p[len] = after;
    return p + len + 1;
}

// A name field is 16 bytes and the room for it as much: copy it whole,
// keep what comes before its end.
static void put_nodes(WRITER* w)
{
    char* p = w->p;
    for (NODE* n = node_list; n; n = n->next) {
        if (p > w->end) {
            w->p = p;
            flush_text(w);
            if (w->failed)
                return;   // the save has failed: the rest need not be formatted
            p = w->p;
        }
        p = put_int(p, n->x, ' ');
        p = put_int(p, n->y, '\n');
        std::memcpy(p, n->name, sizeof n->name);
        p += strnlen(n->name, NAME_CHARS);
        *p++ = '\n';
    }
    w->p = p;
}

// The ends' labels lie scattered over the node records. Those in the run
// come from the address; the others are gathered for a stretch of roads in a
// short loop that asks for them a few roads ahead, so that the cache misses
// overlap, and then the stretch is formatted.
static inline int label_of(const NODE_RUN& run, const NODE* n)
{
    long position = run_position(run, n);
    return position >= 0 ? (int)position : (int)n->label;
}

static void put_roads(WRITER* w, const NODE_RUN& run)
{
    int road[3 * STRETCH];
    EDGE* ahead = edge_list;
    for (int k = 0; k < AHEAD && ahead; k++)
        ahead = ahead->next;
    for (EDGE* e = edge_list; e && !w->failed;) {
        int n = 0;
        for (; e && n < STRETCH; e = e->next, n++) {
            if (ahead) {
                if (run_position(run, ahead->from) < 0)
                    __builtin_prefetch(&ahead->from->label);
                if (run_position(run, ahead->to) < 0)
                    __builtin_prefetch(&ahead->to->label);
                ahead = ahead->next;
            }
            road[3 * n] = label_of(run, e->from);
            road[3 * n + 1] = label_of(run, e->to);
            road[3 * n + 2] = e->length;
        }
        if (w->p > w->end)
            flush_text(w);
        char* p = w->p;
        for (const int* r = road; r < road + 3 * n; r += 3) {
            p = put_int(p, r[0], ' ');
            p = put_int(p, r[1], ' ');
            p = put_int(p, r[2], '\n');
        }
        w->p = p;
    }
}

// Numbers the nodes into `label`, which the road lines then name, and
// notes the run of records that are numbered by address. 1 for a map too
// large for the reader's ints.
static int number_nodes(NODE_RUN* run, int* node_count, int* edge_count)
{
    std::size_t nodes = 0, edges = 0;
    for (NODE* n = node_list, *before = nullptr; n; before = n, n = n->next) {
        note_run(run, n, before, (long)nodes);
        n->label = (std::int64_t)nodes++;
    }
    for (EDGE* e = edge_list; e; e = e->next)
        edges++;
    if (nodes > INT_MAX || edges > INT_MAX)
        return 1;
    *node_count = (int)nodes;
    *edge_count = (int)edges;
    return 0;
}

// The whole file; 1 when a write failed.
static int write_map(int fd)
{
    NODE_RUN run{};
    int node_count, edge_count;
    if (number_nodes(&run, &node_count, &edge_count) != 0)
        return 1;
    WRITER w{fd, nullptr, nullptr, 0, 0, 0, false, {}};
    w.buf.resize(WRITE_BUFFER + std::max<std::size_t>(NODE_ROOM, STRETCH * EDGE_ROOM) + SLACK);
    w.p = w.buf.data();
    w.end = w.p + WRITE_BUFFER;
    w.p = put_int(w.p, MAP_MAGIC, '\n');
    w.p = put_int(w.p, node_count, ' ');
    w.p = put_int(w.p, edge_count, '\n');
    put_nodes(&w);
    put_roads(&w, run);
    flush_text(&w);
    return w.failed ? 1 : 0;
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

// The folder part of a path, up to and with its last slash; empty for a
// plain name in the working folder.
static std::string folder_of(const std::string& path)
{
    return path.substr(0, path.rfind('/') + 1);
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
        *target = link[0] == '/' ? std::string(link) : folder_of(*target) + link;
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
    std::string folder = folder_of(target);
    int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
    std::string temp;
    int fd = create_temp(target.c_str(), &temp);
    if (fd < 0)
        return 1;
    if (exists)
        keep_attributes(fd, &st);
    // fsync too: a rename that reaches the disk before the data would leave
    // an empty file after a crash.
    bool ok = write_map(fd) == 0 && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        return 1;
    }
    sync_folder(target);
    return 0;
}
