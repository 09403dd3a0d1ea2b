// Many copies of the program saving into one settings file at once, and
// copies killed while they save: every save that finished is kept, and the
// file always loads.
#include <gtest/gtest.h>

#include <signal.h>
#include <time.h>

#include <string>
#include <vector>

#include "support/program_fixture.h"
#include "host/registry_values.h"

namespace {

const int kCopies = 50;

class Concurrency : public ProgramTest {
protected:
    static std::string CopyName(int copy) { return "COPY" + std::to_string(copy); }

    static std::string SavedKeyword(int copy)
    {
        return StoredText("America Online\\" + CopyName(copy) + "\\Keyword");
    }

    // Starts every copy at once, each accepting its sheet.
    std::vector<pid_t> StartAll()
    {
        PlaceClient("AOL/WAOL.EXE");
        Options options;
        options.script = "ok\n";
        std::vector<pid_t> groups;
        for (int copy = 0; copy < kCopies; ++copy)
            groups.push_back(Start(CopyName(copy), options));
        return groups;
    }
};

TEST_F(Concurrency, FiftyCopiesSavingAtOnceAreAllKept)
{
    for (pid_t group : StartAll())
        EXPECT_EQ(0, Wait(group));
    for (int copy = 0; copy < kCopies; ++copy)
        EXPECT_EQ("http://vurezez.example/", SavedKeyword(copy)) << CopyName(copy);
}

TEST_F(Concurrency, CopiesKilledWhileOthersSaveLeaveAFileThatLoads)
{
    std::vector<pid_t> groups = StartAll();
    /* Every fifth copy is killed, a little later each time, so that some
     * die before, some during and some after their save. */
    std::vector<bool> killed(kCopies, false);
    for (int copy = 0; copy < kCopies; copy += 5) {
        struct timespec pause = { 0, 4000000L * (copy / 5) };
        nanosleep(&pause, nullptr);
        killed[copy] = kill(-groups[copy], SIGKILL) == 0;
    }
    for (int copy = 0; copy < kCopies; ++copy) {
        int code = Wait(groups[copy]);
        if (!killed[copy] || code == 0) {
            EXPECT_EQ(0, code) << CopyName(copy);
            EXPECT_EQ("http://vurezez.example/", SavedKeyword(copy)) << CopyName(copy);
        }
    }
    /* The file reads whole: a save into it is taken. */
    EXPECT_EQ(ERROR_SUCCESS, StoreText("Check", "x"));
}

} // namespace
