// The built program configured from a script piped to it, as a user would
// in a shell: its own drive C: holding the stand-in client, its own
// registry file, and a copy named STOCKS.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "sheet/program_copy.h"

extern char **environ;

namespace {

class SheetScriptProcess : public ::testing::Test {
protected:
    void SetUp() override { copy_.Make("STOCKS"); }
    void TearDown() override { copy_.Remove(); }

    // Runs the copy with `script` on its standard input (closed when
    // nullptr) and returns its exit code; its standard error is kept.
    int Run(const char *script)
    {
        std::vector<std::string> settings = copy_.Settings();
        std::vector<char *> env;
        for (char **variable = environ; *variable; ++variable) {
            std::string name(*variable);
            if (name.rfind("TOVRIK_", 0) != 0 && name.rfind("STAND_IN_CLIENT_", 0) != 0 &&
                name.rfind("HOST_COMMAND_LINE=", 0) != 0)
                env.push_back(*variable);
        }
        for (std::string &setting : settings)
            env.push_back(&setting[0]);
        env.push_back(nullptr);

        int input[2];
        if (pipe(input) != 0)
            return -1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (script)
            posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        else
            posix_spawn_file_actions_addclose(&actions, STDIN_FILENO);
        posix_spawn_file_actions_addclose(&actions, input[1]);
        std::string errors = (copy_.Folder() / "stderr").string();
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        std::string program = copy_.Program();
        char *argv[] = { &program[0], nullptr };
        pid_t pid;
        int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, env.data());
        posix_spawn_file_actions_destroy(&actions);
        close(input[0]);
        if (script)
            (void)!write(input[1], script, strlen(script));
        close(input[1]);
        int status = 0;
        if (spawned != 0 || waitpid(pid, &status, 0) != pid)
            return -1;
        stderr_ = copy_.Read("stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::vector<std::string> ClientLines(size_t count) const { return copy_.ClientLines(count); }

    ProgramCopy copy_;
    std::string stderr_;
};

TEST_F(SheetScriptProcess, AScriptConfiguresTheCopyAndLaterRunsNeedNone)
{
    EXPECT_EQ(0, Run("name=Reader7\nkeywrd=typo\nkeyword=Stocks\nok\n"));
    EXPECT_NE(std::string::npos, stderr_.find("sheet: line 2: no field is labelled \"keywrd\"")) << stderr_;
    EXPECT_EQ(std::vector<std::string>{ "C:\\AOL\\WAOL.EXE -nReader7 -sStocks" }, ClientLines(1));

    // Configured: the client starts at once and nothing is read.
    EXPECT_EQ(0, Run("cancel\n"));
    EXPECT_EQ("", stderr_);
    EXPECT_EQ(2u, ClientLines(2).size());
    EXPECT_EQ("C:\\AOL\\WAOL.EXE -nReader7 -sStocks", ClientLines(2).back());
}

TEST_F(SheetScriptProcess, CancelOrNoInputEndsTheRunWithoutTheClient)
{
    // The end of the script cancels; a closed standard input cannot show
    // the sheet at all. Neither starts the client nor configures the copy.
    for (const char *script : { "keyword=Stocks\ncancel\n", "keyword=Stocks\n", (const char *)nullptr }) {
        EXPECT_EQ(0, Run(script));
        EXPECT_EQ("", stderr_);
    }
    EXPECT_EQ(0, Run("ok\n"));
    ASSERT_EQ(1u, ClientLines(1).size()) << "only the last run started the client";
    EXPECT_NE(std::string::npos, ClientLines(1)[0].find(" -uhttp://vurezez.example/"));
}

} // namespace
