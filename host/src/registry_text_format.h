/* The registry editor's REGEDIT4 text: read as the editor imports it,
 * written as it exports it, so that the file can go back and forth. */
#ifndef TOVRIK_HOST_SRC_REGISTRY_TEXT_FORMAT_H
#define TOVRIK_HOST_SRC_REGISTRY_TEXT_FORMAT_H

#include <stdint.h>

#include <string>
#include <vector>

#include "registry_key_tree.h"

/* Reads the text into `root` as the editor imports it: missing levels are
 * created, a repeated key adds to the first, a later value replaces an
 * earlier one, "[-...]" and "=-" delete a key (with all below it) and a
 * value, and a value the editor would drop is dropped. Returns the
 * number of the first line that the editor would not take whole (a line
 * that is not a key, a value or a comment, a value with junk after it, a
 * key of another root), or 0 when every line was understood. */
size_t ParseRegistryText(const char *text, size_t length, RegistryKey *root);

/* The text of the whole tree, keys depth-first, siblings by upper-cased
 * name, as the editor exports it. */
std::string WriteRegistryText(const RegistryKey &root);

/* Where the key lines of a text are. A run wants a few keys of a file that
 * may hold thousands: the text is read once, line by line as
 * ParseRegistryText reads it but without building the tree, and a short
 * hash of each key line's path kept; then only the lines of a wanted key
 * are read again. A file is read through a small window: memory the size
 * of the file would cost more than reading it. */
struct RegistryTextIndex {
    struct Section {
        uint16_t own;    /* hash of the key path */
        uint16_t parent; /* hash of its parent's path */
    };
    /* Where every so many key lines start, to read one again from. */
    static const size_t kMarkEvery = 16;
    static const size_t kWindow = 65536;

    int fd = -1; /* the file, or -1 for text in memory */
    const char *text = nullptr;
    size_t length = 0;
    size_t chunk = kWindow;
    mutable std::string window;
    std::vector<Section> sections; /* in the order of the text */
    std::vector<uint64_t> marks;
    std::vector<size_t> removals; /* numbers of the key lines that delete a key */
    size_t deepest = 0; /* levels of the deepest key line */
    int readError = 0; /* errno when the file could not be read to its end */
};

/* Indexes text in memory, which must outlive the index. Returns what
 * ParseRegistryText returns for the same text. */
size_t IndexRegistryText(const char *text, size_t length, RegistryTextIndex *index);
/* Indexes the file open on `fd`, read through a window of `window` bytes
 * (it grows for a longer line); the file must stay open while the index is
 * used. */
size_t IndexRegistryFile(int fd, RegistryTextIndex *index, size_t window = RegistryTextIndex::kWindow);

/* What ParseRegistryText and FindKeyPath would answer: whether the key at
 * `path` ("" for the root) exists and, when `key` is not NULL, its values. */
bool FindIndexedKey(const RegistryTextIndex &index, const std::string &path, RegistryKey *key);

#endif /* TOVRIK_HOST_SRC_REGISTRY_TEXT_FORMAT_H */
