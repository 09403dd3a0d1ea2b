// The built program's form on a terminal: a pseudo-terminal stands in for
// the user's, keys are typed into it, and the terminal must be as it was
// afterwards, whether the form closed with OK, Esc or a signal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/program_fixture.h"

namespace {

class SheetTerminalProcess : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        PlaceClient("AOL/WAOL.EXE");
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC); // the program holds only its side
        ASSERT_GE(master_, 0);
        ASSERT_EQ(0, grantpt(master_));
        ASSERT_EQ(0, unlockpt(master_));
        struct winsize size = {};
        size.ws_row = 24;
        size.ws_col = 80;
        ASSERT_EQ(0, ioctl(master_, TIOCSWINSZ, &size));
        ASSERT_EQ(0, tcgetattr(master_, &before_));
    }

    void TearDown() override
    {
        ProgramTest::TearDown();
        if (master_ >= 0)
            close(master_);
    }

    void Start(const std::vector<std::string> &environment = {})
    {
        Options options;
        options.terminal = ptsname(master_);
        options.environment = environment;
        group_ = ProgramTest::Start("STOCKS", options);
        ASSERT_GT(group_, 0);
    }

    // Reads what the program draws until `text` has appeared, for at most
    // a few seconds; the program must never block on a full terminal.
    // Whether `text` shows on the screen, after its first `from` bytes.
    bool WaitForScreen(const std::string &text, size_t from = 0)
    {
        for (int rounds = 0; rounds < 100; ++rounds) {
            Drain(0);
            Pause();
            if (screen_.find(text, from) != std::string::npos)
                return true;
        }
        return false;
    }

    void Drain(int milliseconds)
    {
        struct pollfd ready = { master_, POLLIN, 0 };
        char buffer[4096];
        while (poll(&ready, 1, milliseconds) > 0) {
            ssize_t got = read(master_, buffer, sizeof buffer);
            if (got <= 0)
                break;
            screen_.append(buffer, (size_t)got);
        }
    }

    void Type(const std::string &keys)
    {
        ASSERT_EQ((ssize_t)keys.size(), write(master_, keys.data(), keys.size()));
        Drain(100); // past the form's wait for a lone Esc
    }

    // How the program ended: its exit code, or 128 plus its signal.
    int WaitForExit()
    {
        int code = -1;
        for (int rounds = 0; rounds < 250; ++rounds) {
            Drain(0);
            Pause(); // a terminal all have closed answers at once
            if (Ended(group_, &code)) {
                Drain(20);
                return code;
            }
        }
        return -1;
    }

    void ExpectTerminalRestored()
    {
        struct termios after;
        ASSERT_EQ(0, tcgetattr(master_, &after));
        const tcflag_t modes = ICANON | ECHO | ISIG;
        EXPECT_EQ(before_.c_lflag & modes, after.c_lflag & modes);
        EXPECT_EQ(before_.c_iflag & ICRNL, after.c_iflag & ICRNL);
        EXPECT_EQ(before_.c_oflag & OPOST, after.c_oflag & OPOST);
    }

    int master_ = -1;
    pid_t group_ = -1;
    struct termios before_;
    std::string screen_;
};

TEST_F(SheetTerminalProcess, TypedFieldsAndEnterConfigureTheCopy)
{
    Start();
    ASSERT_TRUE(WaitForScreen("Vivodo DIZ Eduda Dad")) << screen_;
    EXPECT_TRUE(WaitForScreen("Enter: OK")) << "the key hints are on screen";
    // The keyword field has the focus with its text selected: typing
    // replaces it; Tab selects the screen name in turn.
    Type("Stocks");
    Type("\t");
    Type("Reader7");
    Type("\r");
    EXPECT_EQ(0, WaitForExit());
    ExpectTerminalRestored();
    EXPECT_EQ(std::vector<std::string>{ "C:\\AOL\\WAOL.EXE -nReader7 -sStocks" }, ClientLines(1));
}

// The terminal is UTF-8; the form holds code page 1252. Under the plain C
// locale too, as the rest of the layer takes host text as UTF-8.
TEST_F(SheetTerminalProcess, LettersAreShownStoredAndPassedOnAsTyped)
{
    PlaceClient("Programme Fran\xC3\xA7" "ais/WAOL.EXE");
    for (const char *locale : { "LC_ALL=C.UTF-8", "LC_ALL=C" }) {
        SCOPED_TRACE(locale);
        WriteFile("user.reg", "REGEDIT4\n\n"
                              "[HKEY_CURRENT_USER\\America Online\\Path]\n"
                              "@=\"C:\\\\Programme Fran\xE7" "ais\\\\WAOL.EXE\"\n\n"
                              "[HKEY_CURRENT_USER\\America Online\\STOCKS\\Name]\n@=\"Jos\xE9\"\n\n");
        screen_.clear();
        Start({ locale });
        ASSERT_TRUE(WaitForScreen("Vivodo DIZ Eduda Dad")) << screen_;
        EXPECT_TRUE(WaitForScreen("Jos\xC3\xA9")) << "the stored name as its letters\n" << screen_;
        EXPECT_TRUE(WaitForScreen("C:\\Programme Fran\xC3\xA7" "ais\\WAOL.EXE")) << screen_;

        Type("Caf\xC3\xA9\xE2\x82\xAC\xE2\x80\x99"); // Café, the euro sign, a right quote
        Type("\t");
        size_t before = screen_.size();
        Type("\xC5\x81"); // a letter code page 1252 lacks: refused with a beep
        EXPECT_TRUE(WaitForScreen("\a", before)) << "refused with a beep";
        // Twelve letters in fourteen bytes: the field takes ten letters.
        Type("Jos\xC3\xA9" "Fran\xC3\xA7ois");
        Type("\r");
        EXPECT_EQ(0, WaitForExit());
        ExpectTerminalRestored();

        const std::string stored = ReadFile("user.reg");
        EXPECT_NE(std::string::npos, stored.find("@=\"Jos\xE9" "Fran\xE7o\"")) << stored;
        EXPECT_NE(std::string::npos, stored.find("@=\"Caf\xE9\x80\x92\"")) << stored;
        EXPECT_EQ("-nJos\xC3\xA9" "Fran\xC3\xA7o\n-sCaf\xC3\xA9\xE2\x82\xAC\xE2\x80\x99\n", ClientArguments());
    }
}

TEST_F(SheetTerminalProcess, EscCancelsFromEitherPage)
{
    Start();
    ASSERT_TRUE(WaitForScreen("Vivodo DIZ Eduda Dad"));
    Type("\x1bOQ"); // F2: the information page
    EXPECT_TRUE(WaitForScreen("For more info:")) << screen_;
    Type("\x1b");
    EXPECT_EQ(0, WaitForExit());
    ExpectTerminalRestored();
    EXPECT_EQ("", ClientLog()) << "the client never started";
}

TEST_F(SheetTerminalProcess, ASignalStillGivesTheTerminalBack)
{
    Start();
    ASSERT_TRUE(WaitForScreen("Vivodo DIZ Eduda Dad"));
    kill(-group_, SIGTERM); // the group's leader outlives it
    EXPECT_EQ(128 + SIGTERM, WaitForExit());
    ExpectTerminalRestored();
}

} // namespace
