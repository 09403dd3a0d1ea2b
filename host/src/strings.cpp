/* The lstr* string functions and the code page 1252 text conversions.
 * The conversions are a table of our own, not iconv's CP1252: the platform
 * reads the five bytes that the code page leaves undefined (0x81, 0x8D,
 * 0x8F, 0x90, 0x9D) as the code points of the same number, where iconv
 * refuses them, and it turns a character the code page lacks into '?'
 * where iconv stops. */
#include "layer_internal.h"

#include <string.h>

LPSTR WINAPI lstrcpyA(LPSTR dest, LPCSTR src)
{
    if (!dest || !src)
        return NULL;
    return strcpy(dest, src);
}

LPSTR WINAPI lstrcatA(LPSTR dest, LPCSTR src)
{
    if (!dest || !src)
        return NULL;
    return strcat(dest, src);
}

int WINAPI lstrlenA(LPCSTR s)
{
    return s ? (int)strlen(s) : 0;
}

/* Upper case in code page 1252: ASCII letters, the Latin-1 letters
 * 0xE0-0xFE but the division sign, and the three from the 0x80 row. */
unsigned char HostUpperAnsi(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return (unsigned char)(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return (unsigned char)(c - 32);
    switch (c) {
    case 0x9A: return 0x8A; /* s caron */
    case 0x9C: return 0x8C; /* oe */
    case 0x9E: return 0x8E; /* z caron */
    case 0xFF: return 0x9F; /* y diaeresis */
    }
    return c;
}

int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b)
{
    if (!a || !b)
        return a ? 1 : (b ? -1 : 0);
    for (;; ++a, ++b) {
        unsigned char ca = HostUpperAnsi((unsigned char)*a);
        unsigned char cb = HostUpperAnsi((unsigned char)*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

static const char kAnsiDefaultCharacter = '?';

/* The code points of bytes 0x80-0x9F in code page 1252; the five bytes the
 * code page leaves undefined stand for the code point of the same number,
 * both ways. */
static const WORD kAnsiHighRow[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool HostAnsiFromCodePoint(DWORD c, char *ansi)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        *ansi = (char)c;
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kAnsiHighRow[i] == c) {
            *ansi = (char)(0x80 + i);
            return true;
        }
    }
    *ansi = kAnsiDefaultCharacter;
    return false;
}

std::string HostAnsiFromUtf16(const WORD *text, size_t length)
{
    std::string ansi;
    ansi.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        char c;
        HostAnsiFromCodePoint(text[i], &c);
        ansi.push_back(c);
    }
    return ansi;
}

WORD HostCodePointFromAnsi(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? kAnsiHighRow[c - 0x80] : c;
}

/* One UTF-8 sequence at `text`: its code point and length, or 0 when the
 * bytes are not the shortest form of a character. */
static size_t DecodeUtf8(const unsigned char *text, size_t length, DWORD *codePoint)
{
    unsigned char lead = text[0];
    size_t count = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (count == 0 || count > length)
        return 0;
    DWORD c = lead & (0x7F >> count);
    for (size_t i = 1; i < count; ++i) {
        if ((text[i] & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (text[i] & 0x3F);
    }
    static const DWORD kLeast[] = { 0, 0, 0x80, 0x800, 0x10000 };
    if (c < kLeast[count] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    *codePoint = c;
    return count;
}

bool HostAnsiFromUtf8(const char *text, size_t length, std::string *ansi)
{
    ansi->clear();
    bool exact = true;
    const unsigned char *bytes = (const unsigned char *)text;
    for (size_t i = 0; i < length;) {
        DWORD c = bytes[i];
        size_t used = c < 0x80 ? 1 : DecodeUtf8(bytes + i, length - i, &c);
        char converted = kAnsiDefaultCharacter;
        if (used == 0) {
            used = 1; /* a byte that starts no character stands for one */
            exact = false;
        } else if (!HostAnsiFromCodePoint(c, &converted)) {
            exact = false;
        }
        ansi->push_back(converted);
        i += used;
    }
    return exact;
}

std::string HostUtf8FromAnsi(const char *text, size_t length)
{
    std::string utf8;
    utf8.reserve(length);
    for (size_t i = 0; i < length; ++i)
        HostAppendUtf8(HostCodePointFromAnsi((unsigned char)text[i]), &utf8);
    return utf8;
}

void HostAppendUtf8(DWORD c, std::string *utf8)
{
    if (c < 0x80) {
        utf8->push_back((char)c);
        return;
    }
    int trail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    static const unsigned char kLead[] = { 0, 0xC0, 0xE0, 0xF0 };
    utf8->push_back((char)(kLead[trail] | (c >> (6 * trail))));
    while (trail-- > 0)
        utf8->push_back((char)(0x80 | ((c >> (6 * trail)) & 0x3F)));
}

size_t HostCopyCut(const std::string &text, char *dest, size_t size)
{
    size_t length = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(dest, text.data(), length);
    dest[length] = '\0';
    return length;
}
