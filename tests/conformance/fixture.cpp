// What the fixture does alike over the layer and over the platform.
#include "conformance/fixture.h"

#include <stdio.h>

std::vector<std::string> ListNames(const std::string &pattern, bool withWords)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA(pattern.c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = entry.cFileName;
        if (withWords) {
            char word[16];
            snprintf(word, sizeof word, " 0x%X", (unsigned)entry.dwFileAttributes);
            name += word;
        }
        names.push_back(name);
    } while (FindNextFileA(listing, &entry));
    EXPECT_EQ(DWORD(ERROR_NO_MORE_FILES), GetLastError()) << pattern;
    EXPECT_TRUE(FindClose(listing));
    return names;
}

std::vector<std::string> ConformanceTest::List(const std::string &pattern, bool withWords)
{
    return ListNames(pattern, withWords);
}
