/* The compiled resource file reader. Every length is checked against the
 * data before it is used. */
#include "resource_file.h"

#include <string.h>

#include "layer_internal.h"

bool HostResourceReader::Need(size_t count)
{
    if (!ok_ || at_ > size_ || size_ - at_ < count)
        ok_ = false;
    return ok_;
}

WORD HostResourceReader::NextWord()
{
    if (!Need(2))
        return 0;
    WORD value = (WORD)(data_[at_] | data_[at_ + 1] << 8);
    at_ += 2;
    return value;
}

DWORD HostResourceReader::NextDword()
{
    DWORD low = NextWord();
    return low | (DWORD)NextWord() << 16;
}

std::string HostResourceReader::NextString()
{
    std::vector<WORD> text;
    for (WORD c = NextWord(); ok_ && c != 0; c = NextWord())
        text.push_back(c);
    return HostAnsiFromUtf16(text.data(), text.size());
}

std::string HostResourceReader::NextCharacters(size_t count)
{
    if (!Need(count * 2))
        return std::string();
    std::vector<WORD> text(count);
    for (WORD &c : text)
        c = NextWord();
    return HostAnsiFromUtf16(text.data(), text.size());
}

bool HostResourceReader::NextNameOrOrdinal(std::string *name, WORD *ordinal)
{
    WORD first = NextWord();
    if (first == 0xFFFF) {
        *ordinal = NextWord();
        return true;
    }
    *ordinal = 0;
    if (first != 0) {
        at_ -= 2;
        *name = NextString();
    }
    return false;
}

void HostResourceReader::Skip(size_t count)
{
    if (Need(count))
        at_ += count;
}

namespace {

/* A type or name of an entry; names compare in upper case. */
bool ReadId(HostResourceReader *reader, HostResourceId *id)
{
    WORD number;
    id->isName = !reader->NextNameOrOrdinal(&id->name, &number);
    id->number = id->isName ? 0 : number;
    for (char &c : id->name) {
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 32);
    }
    return reader->ok();
}

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
        HostResourceReader header(data, size, offset);
        DWORD dataSize = header.NextDword();
        DWORD headerSize = header.NextDword();
        if (!header.ok() || headerSize < 8 || headerSize > size - offset || dataSize > size - offset - headerSize)
            break;
        header = HostResourceReader(data, offset + headerSize, header.at());
        HostResourceEntry entry;
        if (!ReadId(&header, &entry.type) || !ReadId(&header, &entry.name))
            break;
        header.AlignToDword();
        header.NextDword(); /* data version */
        header.NextWord();  /* memory flags */
        entry.language = header.NextWord();
        if (!header.ok())
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
