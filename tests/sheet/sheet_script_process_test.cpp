// The built program configured from a script piped to it, as a user would
// in a shell: its own drive C: holding the stand-in client, its own
// registry file, and a copy named STOCKS.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/program_fixture.h"

namespace {

class SheetScriptProcess : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        PlaceClient("AOL/WAOL.EXE");
    }

    // Runs the copy with `script` on its standard input (closed when
    // nullptr) and returns its exit code; its standard error is kept.
    int Run(const char *script)
    {
        Options options;
        options.script = script;
        options.closedInput = true;
        int code = ProgramTest::Run("STOCKS", options);
        stderr_ = Errors("STOCKS");
        return code;
    }

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
