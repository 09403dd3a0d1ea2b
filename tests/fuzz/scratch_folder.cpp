// Scratch folders of the fuzz targets.
#include "fuzz/scratch_folder.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <map>

namespace {

std::map<std::string, std::string> &Folders()
{
    static std::map<std::string, std::string> folders;
    return folders;
}

void RemoveFolders()
{
    std::error_code ignored;
    for (const auto &entry : Folders())
        std::filesystem::remove_all(entry.second, ignored);
}

} // namespace

const std::string &ScratchFolder(const char *purpose)
{
    std::string &folder = Folders()[purpose];
    if (folder.empty()) {
        /* Thousands of small files a second: tmpfs spares the disk. A run
         * that ends in a finding skips the removal at exit, so the runner
         * may name a base of its own to clear afterwards. */
        const char *scratch = getenv("TOVRIK_FUZZ_SCRATCH");
        std::string base = scratch && *scratch ? scratch
                           : access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                           : std::filesystem::temp_directory_path().string();
        std::string pattern = base + "/tovrik-fuzz-" + purpose + "-XXXXXX";
        if (!mkdtemp(&pattern[0]))
            abort();
        folder = pattern;
        if (Folders().size() == 1)
            atexit(RemoveFolders);
    }
    return folder;
}
