// Letters outside ASCII through the built program: typed into a script in
// UTF-8, stored in the settings file in code page 1252, and handed to the
// client as the same letters in UTF-8; a letter the code page lacks is
// reported and left out. The copy's own name goes the same way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/host_texts.h"
#include "support/program_fixture.h"

namespace {

const char kClientFolder[] = "Programme Fran\xC3\xA7" "ais";             // Français, as on disk
const char kClientPath[] = "C:\\Programme Fran\xC3\xA7" "ais\\WAOL.EXE"; // as the client sees it
const char kStoredPath[] = "C:\\\\Programme Fran\xE7" "ais\\\\WAOL.EXE"; // as the settings file holds it

class HostTextProcess : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        PlaceClient(std::string(kClientFolder) + "/WAOL.EXE");
    }

    // Runs `copy` with `script` against the registry file `registry`.
    int Run(const std::string &copy, const std::string &script, const std::string &registry)
    {
        Options options;
        options.script = script.c_str();
        options.registry = Folder() + "/" + registry;
        int code = ProgramTest::Run(copy, options);
        errors_ = Errors(copy);
        return code;
    }

    static std::string StoredValue(const std::string &key, const std::string &value)
    {
        return "[HKEY_CURRENT_USER\\America Online\\" + key + "]\n@=\"" + value + "\"\n";
    }

    std::string errors_;
};

TEST_F(HostTextProcess, ScriptTextIsStoredInCodePage1252AndReachesTheClientAsTyped)
{
    for (const HostText &text : kHostTexts) {
        SCOPED_TRACE(text.utf8);
        const std::string registry = std::to_string(&text - kHostTexts) + ".reg";
        // The path is typed too: the client starts from the folder as
        // typed, not only from the one the search found.
        const std::string utf8 = text.utf8;
        ASSERT_EQ(0, Run("STOCKS",
                         "keyword=Stocks\nname=Reader7\nkeyword=" + utf8 + "\nname=" + utf8 + "\npath=" +
                             kClientPath + "\nok\n",
                         registry));
        const std::string stored = ReadFile(registry);
        EXPECT_NE(std::string::npos, stored.find(StoredValue("Path", kStoredPath))) << stored;
        EXPECT_EQ(std::string::npos, stored.find(utf8)) << "no UTF-8 in the settings file";
        const std::string name = text.ansi ? utf8 : "Reader7", keyword = text.ansi ? utf8 : "Stocks";
        if (text.ansi) {
            EXPECT_EQ("", errors_);
            EXPECT_NE(std::string::npos, stored.find(StoredValue("STOCKS\\Name", text.ansi))) << stored;
            EXPECT_NE(std::string::npos, stored.find(StoredValue("STOCKS\\Keyword", text.ansi))) << stored;
        } else {
            // Neither line is typed: the earlier texts stay.
            EXPECT_NE(std::string::npos, errors_.find("sheet: line 3: \"keyword=" + utf8 + "\"")) << errors_;
            EXPECT_NE(std::string::npos, errors_.find("sheet: line 4: \"name=" + utf8 + "\"")) << errors_;
            EXPECT_NE(std::string::npos, stored.find(StoredValue("STOCKS\\Keyword", "Stocks"))) << stored;
        }
        const size_t starts = (size_t)(&text - kHostTexts) + 1;
        ASSERT_EQ(starts, ClientLines(starts).size());
        EXPECT_EQ(std::string(kClientPath) + " -n" + name + " -s" + keyword, ClientLines(starts).back());
        EXPECT_EQ("-n" + name + "\n-s" + keyword + "\n", ClientArguments()) << "the client's own arguments";
    }
}

TEST_F(HostTextProcess, ACopyKeepsItsSettingsUnderItsNameInCodePage1252)
{
    struct {
        const char *copy;
        const char *key; // as the platform's registry editor shows it
    } const cases[] = {
        { "Caf\xC3\xA9", "Caf\xE9" },
        { "\xC5\x81odz", "?odz" }, // a letter the code page lacks: the platform's '?'
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.copy);
        ASSERT_EQ(0, Run(c.copy, "keyword=News\nok\n", "copies.reg"));
        EXPECT_NE(std::string::npos, ReadFile("copies.reg").find(StoredValue(std::string(c.key) + "\\Keyword", "News")));
        // Configured under that key: the next run starts the client at once.
        ASSERT_EQ(0, Run(c.copy, "", "copies.reg"));
        const std::string started = ClientLines(2 * (size_t)(&c - cases) + 2).back();
        EXPECT_EQ(0u, started.find(kClientPath)) << started;
        EXPECT_EQ(started.size() - 7, started.rfind(" -sNews")) << started;
    }
}

} // namespace
