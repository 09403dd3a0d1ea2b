/* Resources of the program's own module, read from the compiled resource
 * script that the build embeds: strings, the icon and dialog templates. */
#include "layer_internal.h"
#include "resource_file.h"

#include <string.h>

extern const unsigned char kEmbeddedResources[];
extern const size_t kEmbeddedResourcesSize;

namespace {

const WORD kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

/* Any address of this module serves as its handle. */
char g_moduleAnchor;

const std::vector<HostResourceEntry> &Entries()
{
    static const std::vector<HostResourceEntry> entries =
        HostParseResourceFile(kEmbeddedResources, kEmbeddedResourcesSize);
    return entries;
}

bool IsOwnModule(HINSTANCE instance)
{
    return instance == NULL || instance == HostModuleInstance();
}

/* U.S. English first, as on a system of that language; else any. */
const HostResourceEntry *FindEntry(LPCSTR type, LPCSTR name)
{
    const HostResourceEntry *found = nullptr;
    for (const HostResourceEntry &entry : Entries()) {
        if (!HostResourceIdMatches(entry.type, type) || !HostResourceIdMatches(entry.name, name))
            continue;
        if (entry.language == kUsEnglish)
            return &entry;
        if (!found)
            found = &entry;
    }
    return found;
}

/* A cursor or icon of the system's own, standing for the platform's. */
struct SystemIcon {
    int unused;
} g_systemArrow;

} // namespace

HINSTANCE HostModuleInstance(void)
{
    return (HINSTANCE)&g_moduleAnchor;
}

const void *HostFindResourceData(LPCSTR type, LPCSTR name, WORD *language, DWORD *size)
{
    const HostResourceEntry *entry = FindEntry(type, name);
    if (!entry)
        return NULL;
    if (language)
        *language = entry->language;
    if (size)
        *size = entry->size;
    return entry->data;
}

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax)
{
    if (!buffer || bufferMax <= 0 || !IsOwnModule(instance))
        return 0;
    /* Strings come in blocks of 16, each a length and that many UTF-16
     * characters; block n holds ids 16(n-1) to 16(n-1)+15. */
    const HostResourceEntry *block = FindEntry(RT_STRING, MAKEINTRESOURCEA((id >> 4) + 1));
    if (!block) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    HostResourceReader reader(block->data, block->size);
    for (UINT index = 0; index < (id & 15); ++index)
        reader.Skip((size_t)reader.NextWord() * 2);
    std::string text = reader.NextCharacters(reader.NextWord());
    if (!reader.ok() || text.empty())
        return 0;
    return (int)HostCopyCut(text, buffer, (size_t)bufferMax);
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    if (!IsOwnModule(instance) || !name)
        return NULL;
    const HostResourceEntry *group = FindEntry(RT_GROUP_ICON, name);
    if (!group) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return NULL;
    }
    return (HICON)group;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (instance == NULL && name == IDC_ARROW)
        return (HCURSOR)&g_systemArrow;
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return NULL;
}
