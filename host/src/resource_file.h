/* Reading a compiled resource file (.res): a run of entries, each a header
 * naming type, name and language, then the data, all DWORD-aligned. */
#ifndef TOVRIK_HOST_SRC_RESOURCE_FILE_H
#define TOVRIK_HOST_SRC_RESOURCE_FILE_H

#include <windows.h>

#include <string>
#include <vector>

/* A type or a name: an integer id, or a name kept in upper case. */
struct HostResourceId {
    bool isName = false;
    WORD number = 0;
    std::string name;
};

struct HostResourceEntry {
    HostResourceId type;
    HostResourceId name;
    WORD language = 0;
    const BYTE *data = nullptr;
    DWORD size = 0;
};

/* Every well-formed entry of the file; reading stops at the first entry
 * that does not fit the data, and nothing outside the data is read. */
std::vector<HostResourceEntry> HostParseResourceFile(const BYTE *data, size_t size);

/* Does `id` (an integer resource id or a name) name this entry field? */
bool HostResourceIdMatches(const HostResourceId &field, LPCSTR id);

#endif /* TOVRIK_HOST_SRC_RESOURCE_FILE_H */
