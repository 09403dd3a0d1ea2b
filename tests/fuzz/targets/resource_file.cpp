// Fuzz target: the compiled-resource reader on any bytes. Every entry it
// gives must lie inside the data, and reading an entry's data must be safe.
#include <string.h>

#include <memory>

#include "fuzz/fuzz_target.h"

// The layer's own part: the reader of compiled resources.
#include "resource_file.h"

namespace {
volatile unsigned g_sink;
}

TOVRIK_FUZZ_TARGET(resource_file)
{
    /* A copy of exactly the input's size, so a read past it is caught. */
    std::unique_ptr<BYTE[]> copy(new BYTE[size ? size : 1]);
    if (size)
        memcpy(copy.get(), data, size);

    unsigned sum = 0;
    for (const HostResourceEntry &entry : HostParseResourceFile(copy.get(), size)) {
        FuzzCheck(entry.data >= copy.get() && entry.data <= copy.get() + size, "entry data starts inside");
        FuzzCheck(entry.size <= (size_t)(copy.get() + size - entry.data), "entry data ends inside");
        for (DWORD i = 0; i < entry.size; ++i)
            sum += entry.data[i];
        HostResourceIdMatches(entry.type, MAKEINTRESOURCEA(6));
        HostResourceIdMatches(entry.name, "TOVRIK");
    }
    g_sink = sum;
    return 0;
}
