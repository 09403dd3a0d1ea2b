// Fuzz target: the client command line from arbitrary settings. The input
// is the client path, the screen name and the keyword, split at NULs, each
// cut to what its field can hold. The line is not built again here but
// held against what must hold of it: it reads back into the settings, it is
// as long as its parts, and its keyword switch follows the fifth character.
#include <string.h>

#include <algorithm>
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
    const std::string line = commandLine.get();

    const size_t nameLength = name.empty() ? 0 : 3 + name.size();
    const size_t keywordLength = keyword.empty() ? 0 : 3 + keyword.size();
    FuzzCheck(line.size() == path.size() + nameLength + keywordLength, "the line is as long as its parts");

    /* Read back as the platform hands it over: the program's path, unquoted,
     * then the client's switches, each a space, a hyphen and a letter with
     * its value straight after it; the keyword's value runs to the end. */
    FuzzCheck(line.compare(0, path.size(), path) == 0, "the line starts with the client path");
    std::string rest = line.substr(std::min(path.size(), line.size()));
    if (!name.empty()) {
        FuzzCheck(rest.compare(0, nameLength, " -n" + name) == 0, "the screen name follows -n");
        rest.erase(0, std::min(nameLength, rest.size()));
    }
    if (keyword.empty()) {
        FuzzCheck(rest.empty(), "nothing follows the last value");
    } else {
        FuzzCheck(rest.size() == keywordLength && rest.compare(0, 2, " -") == 0 && rest.substr(3) == keyword,
                  "the keyword ends the line after its switch");
        const bool fifthIsColon = keyword.size() >= 5 && keyword[4] == ':';
        FuzzCheck(rest.size() > 2 && rest[2] == (fifthIsColon ? 'u' : 's'),
                  "the switch is -u when the fifth character is a colon, else -s");
    }
    FuzzCheck(path == settings->clientPath && name == settings->screenName && keyword == settings->keyword,
              "the settings are only read");
    return 0;
}
