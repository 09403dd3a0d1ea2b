/* The lstr* string functions and the code page 1252 text conversions. */
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
static unsigned char UpperAnsi(unsigned char c)
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
        unsigned char ca = UpperAnsi((unsigned char)*a);
        unsigned char cb = UpperAnsi((unsigned char)*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

/* The code points of bytes 0x80-0x9F in code page 1252; 0 where the byte
 * has none. */
static const WORD kAnsiHighRow[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

static char AnsiFromCodePoint(WORD c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return (char)c;
    for (int i = 0; i < 32; ++i) {
        if (kAnsiHighRow[i] == c)
            return (char)(0x80 + i);
    }
    return '?'; /* as the platform's default character */
}

std::string HostAnsiFromUtf16(const WORD *text, size_t length)
{
    std::string ansi;
    ansi.reserve(length);
    for (size_t i = 0; i < length; ++i)
        ansi.push_back(AnsiFromCodePoint(text[i]));
    return ansi;
}
