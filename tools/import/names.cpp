// Street names in the editor's characters: Latin-1 bytes, as a user types
// them in the name field, at most 15 of them.
#include "import.h"

#include <cstdint>

enum { NAME_CHARS = 15 };

// U+0100 to U+017F (Latin Extended-A, the letters of central and eastern
// European languages) without their accents.
static const char EXTENDED_A[] =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";

// The next code point of a UTF-8 string, or -1 for a malformed sequence,
// which is skipped a byte at a time.
static long next_code_point(const std::string& s, std::size_t* at)
{
    unsigned char c = (unsigned char)s[(*at)++];
    if (c < 0x80)
        return c;
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (more < 0 || c >= 0xF8)
        return -1;
    long code = c & (0x3F >> more);
    for (int k = 0; k < more; k++) {
        if (*at >= s.size() || ((unsigned char)s[*at] & 0xC0) != 0x80)
            return -1;
        code = code << 6 | ((unsigned char)s[(*at)++] & 0x3F);
    }
    return code;
}

// The Latin-1 byte for a code point, 0 when it has none worth keeping.
static unsigned char latin1_char(long code)
{
    if ((code >= 0x20 && code < 0x7F) || (code >= 0xA0 && code <= 0xFF))
        return (unsigned char)code;
    if (code >= 0x100 && code <= 0x17F)
        return (unsigned char)EXTENDED_A[code - 0x100];
    if (code == 0x2018 || code == 0x2019)
        return '\'';
    if (code == 0x201C || code == 0x201D)
        return '"';
    if (code == 0x2013 || code == 0x2014)
        return '-';
    return 0;
}

std::string latin1_name(const std::string& utf8)
{
    std::string name;
    for (std::size_t at = 0; at < utf8.size() && name.size() < NAME_CHARS;) {
        unsigned char c = latin1_char(next_code_point(utf8, &at));
        if (c)
            name += (char)c;
    }
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}
