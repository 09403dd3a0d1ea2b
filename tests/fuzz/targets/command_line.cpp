// Fuzz target: the client command line from arbitrary settings. The input
// is the client path, the screen name and the keyword, split at NULs, each
// cut to what its field can hold.
#include <string.h>

#include <memory>
#include <string>

#include "fuzz/fuzz_target.h"
#include "shortcut/shortcut_run.h"

namespace {

// The next NUL-terminated part of the input, cut to fit `field`.
std::string NextPart(const uint8_t **data, size_t *size, size_t fieldSize)
{
    size_t length = strnlen((const char *)*data, *size);
    std::string part((const char *)*data, length < fieldSize ? length : fieldSize - 1);
    size_t used = length < *size ? length + 1 : length;
    *data += used;
    *size -= used;
    return part;
}

} // namespace

TOVRIK_FUZZ_TARGET(command_line)
{
    std::unique_ptr<ShortcutSettings> settings(new ShortcutSettings());
    std::string path = NextPart(&data, &size, sizeof settings->clientPath);
    std::string name = NextPart(&data, &size, sizeof settings->screenName);
    std::string keyword = NextPart(&data, &size, sizeof settings->keyword);
    lstrcpyA(settings->clientPath, path.c_str());
    lstrcpyA(settings->screenName, name.c_str());
    lstrcpyA(settings->keyword, keyword.c_str());

    /* Exactly the size the run gives it: a longer line meets the checker. */
    std::unique_ptr<char[]> commandLine(new char[kClientCommandLineSize]);
    BuildClientCommandLine(settings.get(), commandLine.get());

    std::string expected = path;
    if (!name.empty())
        expected += " -n" + name;
    if (!keyword.empty())
        expected += (keyword.size() >= 5 && keyword[4] == ':' ? " -u" : " -s") + keyword;
    FuzzCheck(expected == commandLine.get(), "the command line is path, name switch, keyword switch");
    FuzzCheck(path == settings->clientPath && name == settings->screenName && keyword == settings->keyword,
              "the settings are only read");
    return 0;
}
