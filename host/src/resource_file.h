/* Reading a compiled resource file (.res): a run of entries, each a header
 * naming type, name and language, then the data, all DWORD-aligned. */
#ifndef TOVRIK_HOST_SRC_RESOURCE_FILE_H
#define TOVRIK_HOST_SRC_RESOURCE_FILE_H

#include <windows.h>

#include <string>
#include <vector>

/* A cursor over compiled resource data, which is little-endian whatever
 * the host. It never steps past its end: a read that would is refused,
 * gives 0 or "", and leaves the cursor failed for good. */
class HostResourceReader {
public:
    HostResourceReader(const BYTE *data, size_t size, size_t at = 0) : data_(data), size_(size), at_(at) {}

    bool ok() const { return ok_; }
    size_t at() const { return at_; }
    const BYTE *Here() const { return data_ + at_; }

    WORD NextWord();
    DWORD NextDword();
    /* UTF-16 text up to its NUL, as ANSI text. */
    std::string NextString();
    /* `count` UTF-16 characters, as ANSI text. */
    std::string NextCharacters(size_t count);
    /* A name (as NextString) or, after 0xFFFF, an ordinal: TRUE for an
     * ordinal. 0x0000 alone is neither: an empty name. */
    bool NextNameOrOrdinal(std::string *name, WORD *ordinal);
    void Skip(size_t count);
    /* To the next multiple of four from the start of the data. */
    void AlignToDword() { Skip((4 - at_ % 4) % 4); }

private:
    bool Need(size_t count);

    const BYTE *data_;
    size_t size_;
    size_t at_;
    bool ok_ = true;
};

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
