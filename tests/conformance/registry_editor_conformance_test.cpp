// REGEDIT4 text as the platform's registry editor imports it, one row per
// text: what RegQueryValueA reads afterwards. Under Wine the text goes
// through `regedit /S`; on the host it is the registry file, which the
// layer reads as the editor would import it.
#include <string>
#include <vector>

#include "conformance/fixture.h"
#include "host/registry_values.h"

namespace {

const char kMissing[] = "<missing>";

struct Read {
    const char *subKey;
    const char *text; // kMissing: no such key
};

struct Case {
    const char *what;
    std::string body; // after "REGEDIT4\n\n"
    std::vector<Read> reads;
};

class RegistryEditor : public ConformanceTest {
protected:
    void Check(const Case &c, const std::string &lineEnd)
    {
        SCOPED_TRACE(std::string(c.what) + (lineEnd == "\n" ? "" : ", CRLF"));
        std::string text = "REGEDIT4" + lineEnd + lineEnd;
        for (char ch : c.body)
            text += ch == '\n' ? lineEnd : std::string(1, ch);
        ASSERT_TRUE(ImportRegistryText(text));
        for (const Read &read : c.reads)
            EXPECT_EQ(read.text, StoredText(read.subKey)) << read.subKey;
    }

    // Each row as written on Linux and as exported on Windows.
    template <size_t N> void CheckAll(const Case (&cases)[N])
    {
        for (const Case &c : cases) {
            Check(c, "\n");
            Check(c, "\r\n");
        }
    }
};

TEST_F(RegistryEditor, ImportsQuotedTextWithItsEscapes)
{
    const Case cases[] = {
        { "plain", "[HKEY_CURRENT_USER\\E1]\n@=\"text\"\n", { { "E1", "text" } } },
        { "empty", "[HKEY_CURRENT_USER\\E2]\n@=\"\"\n", { { "E2", "" } } },
        { "backslash and quote", "[HKEY_CURRENT_USER\\E3]\n@=\"C:\\\\A \\\"B\\\"\"\n", { { "E3", "C:\\A \"B\"" } } },
        { "unknown escape drops its backslash", "[HKEY_CURRENT_USER\\E4]\n@=\"C:\\Program\\q\"\n",
          { { "E4", "C:Programq" } } },
        { "code page byte", "[HKEY_CURRENT_USER\\E5]\n@=\"caf\xe9\"\n", { { "E5", "caf\xe9" } } },
        { "junk after the closing quote drops the value", "[HKEY_CURRENT_USER\\E6]\n@=\"v\" junk\n",
          { { "E6", "" } } },
        { "no closing quote drops the value", "[HKEY_CURRENT_USER\\E7]\n@=\"v\n", { { "E7", "" } } },
        { "a key alone", "[HKEY_CURRENT_USER\\E8\\Deeper]\n", { { "E8", "" }, { "E8\\Deeper", "" } } },
        { "later value wins", "[HKEY_CURRENT_USER\\E9]\n@=\"one\"\n@=\"two\"\n", { { "E9", "two" } } },
        { "spaces around", "  [HKEY_CURRENT_USER\\E10]  \n  @ = \"v\"\n", { { "E10", "v" } } },
        { "key paths ignore case", "[HKEY_CURRENT_USER\\E11\\Sub]\n[hkey_current_user\\e11\\SUB]\n@=\"v\"\n",
          { { "E11\\Sub", "v" } } },
        { "a comment", "; [HKEY_CURRENT_USER\\E12]\n[HKEY_CURRENT_USER\\E13]\n; @=\"no\"\n@=\"yes\"\n",
          { { "E12", kMissing }, { "E13", "yes" } } },
        { "trailing backslash on a key", "[HKEY_CURRENT_USER\\E14\\]\n@=\"v\"\n", { { "E14", "v" } } },
    };
    CheckAll(cases);
}

TEST_F(RegistryEditor, ImportsHexValueTypes)
{
    const Case cases[] = {
        { "hex(1) text with its NUL", "[HKEY_CURRENT_USER\\H1]\n@=hex(1):63,61,66,e9,00\n", { { "H1", "caf\xe9" } } },
        { "hex(1) over two lines", "[HKEY_CURRENT_USER\\H2]\n@=hex(1):61,0d,0a,\\\n  62,00\n",
          { { "H2", "a\r\nb" } } },
        { "upper-case hex digits", "[HKEY_CURRENT_USER\\H3]\n@=hex(1):4A,4B,00\n", { { "H3", "JK" } } },
    };
    CheckAll(cases);
}

TEST_F(RegistryEditor, DeletesKeysAndValues)
{
    const Case cases[] = {
        { "a key and what is below it",
          "[HKEY_CURRENT_USER\\D1\\Gone\\Below]\n@=\"b\"\n[HKEY_CURRENT_USER\\D1\\Kept]\n@=\"k\"\n"
          "[-HKEY_CURRENT_USER\\D1\\Gone]\n",
          { { "D1\\Gone", kMissing }, { "D1\\Gone\\Below", kMissing }, { "D1\\Kept", "k" } } },
        { "a key that is not there", "[-HKEY_CURRENT_USER\\D2\\Never]\n[HKEY_CURRENT_USER\\D2]\n@=\"d\"\n",
          { { "D2", "d" }, { "D2\\Never", kMissing } } },
        { "the default value", "[HKEY_CURRENT_USER\\D3]\n@=\"v\"\n@=-\n", { { "D3", "" } } },
        { "a key made again after its deletion",
          "[HKEY_CURRENT_USER\\D4\\Sub]\n@=\"old\"\n[-HKEY_CURRENT_USER\\D4]\n[HKEY_CURRENT_USER\\D4\\Sub]\n",
          { { "D4\\Sub", "" } } },
    };
    CheckAll(cases);
}

} // namespace
