// Replays every file of every fuzz target's corpus in the normal suite, so
// that each seed and each past finding stays a regression case.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fuzz/fuzz_target.h"
#include "host_control.h"

namespace {

std::map<std::string, FuzzEntry> &Targets()
{
    static std::map<std::string, FuzzEntry> targets;
    return targets;
}

std::string g_currentInput;

} // namespace

FuzzTargetRegistration::FuzzTargetRegistration(const char *name, FuzzEntry entry)
{
    Targets()[name] = entry;
}

void FuzzCheck(bool holds, const char *what)
{
    if (!holds)
        ADD_FAILURE() << what << " (input " << g_currentInput << ")";
}

TEST(FuzzCorpus, EveryTargetHasSeedsAndEverySeedPasses)
{
    namespace fs = std::filesystem;
    const fs::path corpus = TOVRIK_FUZZ_CORPUS;
    ASSERT_FALSE(Targets().empty());
    for (const auto &[name, entry] : Targets()) {
        std::vector<fs::path> inputs;
        for (const fs::directory_entry &file : fs::directory_iterator(corpus / name))
            inputs.push_back(file.path());
        EXPECT_FALSE(inputs.empty()) << name << " has no seed";
        for (const fs::path &input : inputs) {
            std::ifstream in(input, std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            g_currentInput = input.string();
            HostResetLayer();
            /* libFuzzer never passes a null pointer, even for no bytes. */
            static const uint8_t kNothing = 0;
            entry(bytes.empty() ? &kNothing : bytes.data(), bytes.size());
        }
    }
    HostResetLayer();
}
