/* The compiled resource file reader. Every length is checked against the
 * data before it is used. */
#include "resource_file.h"

#include <string.h>

#include "layer_internal.h"

namespace {

struct Reader {
    const BYTE *data;
    size_t size;
    size_t offset;

    bool Has(size_t count) const { return offset <= size && size - offset >= count; }

    bool Word(WORD *value)
    {
        if (!Has(2))
            return false;
        *value = (WORD)(data[offset] | data[offset + 1] << 8);
        offset += 2;
        return true;
    }

    bool Dword(DWORD *value)
    {
        if (!Has(4))
            return false;
        *value = (DWORD)data[offset] | (DWORD)data[offset + 1] << 8 | (DWORD)data[offset + 2] << 16 |
                 (DWORD)data[offset + 3] << 24;
        offset += 4;
        return true;
    }

    /* 0xFFFF then an ordinal, or a NUL-terminated UTF-16 name. */
    bool Id(HostResourceId *id)
    {
        WORD first;
        if (!Word(&first))
            return false;
        if (first == 0xFFFF) {
            id->isName = false;
            return Word(&id->number);
        }
        std::vector<WORD> name;
        for (WORD c = first; c != 0;) {
            name.push_back(c);
            if (!Word(&c))
                return false;
        }
        id->isName = true;
        id->name = HostAnsiFromUtf16(name.data(), name.size());
        for (char &c : id->name) {
            if (c >= 'a' && c <= 'z')
                c = (char)(c - 32);
        }
        return true;
    }
};

size_t AlignUp4(size_t value)
{
    return (value + 3) & ~(size_t)3;
}

} // namespace

std::vector<HostResourceEntry> HostParseResourceFile(const BYTE *data, size_t size)
{
    std::vector<HostResourceEntry> entries;
    size_t offset = 0;
    while (offset < size && size - offset >= 8) {
        Reader reader{ data, size, offset };
        DWORD dataSize = 0, headerSize = 0;
        if (!reader.Dword(&dataSize) || !reader.Dword(&headerSize))
            break;
        if (headerSize < 8 || headerSize > size - offset || dataSize > size - offset - headerSize)
            break;
        Reader header{ data, offset + headerSize, reader.offset };
        HostResourceEntry entry;
        WORD memoryFlags;
        DWORD dataVersion;
        if (!header.Id(&entry.type) || !header.Id(&entry.name))
            break;
        header.offset = AlignUp4(header.offset);
        if (!header.Dword(&dataVersion) || !header.Word(&memoryFlags) || !header.Word(&entry.language))
            break;
        entry.data = data + offset + headerSize;
        entry.size = dataSize;
        /* The file opens with an empty entry (type 0) that only marks it. */
        if (entry.type.isName || entry.type.number != 0)
            entries.push_back(entry);
        offset = AlignUp4(offset + headerSize + dataSize);
    }
    return entries;
}

bool HostResourceIdMatches(const HostResourceId &field, LPCSTR id)
{
    if (IS_INTRESOURCE(id))
        return !field.isName && field.number == (WORD)(ULONG_PTR)id;
    return field.isName && lstrcmpiA(field.name.c_str(), id) == 0;
}
