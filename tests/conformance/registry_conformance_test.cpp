// The legacy registry calls held against the platform: return code, out
// handle, out size and every buffer byte, one row per case. The same rows
// run over the host layer and, under Wine, over the platform.
#include <string.h>

#include <string>

#include "conformance/fixture.h"
#include "host/registry_values.h"

namespace {

const char kGuard = '\x5A';
const HKEY kUntouched = (HKEY)(ULONG_PTR)0x1;
const HKEY kGarbage = (HKEY)(ULONG_PTR)0x12345678;

const Difference kNulIntoNoRoom = {
    "a missing default value read into no room",
    "Wine writes the empty text's NUL even into a buffer of size 0 and calls it success; the layer "
    "writes nothing it was given no room for and asks for 1 byte, as for a present empty value",
};
const Difference kBaseHandleChecked = {
    "an empty subkey under a bad handle",
    "Wine's RegOpenKeyA hands back the base handle for a NULL or empty subkey without looking at "
    "it; the layer refuses a handle that is not open, as RegCreateKeyA does, so a closed key is "
    "never taken for a live one",
};

class RegistryCalls : public ConformanceTest {
protected:
    static LONG SetDefault(HKEY key, const char *subKey, const char *text)
    {
        return RegSetValueA(key, subKey, REG_SZ, text, 0);
    }

    static bool Exists(const char *path)
    {
        HKEY key = NULL;
        LONG result = RegOpenKeyA(HKEY_CURRENT_USER, path, &key);
        if (result == ERROR_SUCCESS)
            RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

    void Guard() { memset(buffer_, kGuard, sizeof buffer_); }

    bool BufferUntouchedFrom(size_t offset) const { return UntouchedFrom(buffer_, sizeof buffer_, offset, kGuard); }

    char buffer_[32];
};

TEST_F(RegistryCalls, QueryCopiesOnlyWhatFitsWhole)
{
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "T\\Six", "abcdef"));
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "T\\Empty", ""));
    HKEY created = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "T\\NoValue", &created));
    RegCloseKey(created);

    struct Case {
        const char *subKey;
        LONG size;
        bool withBuffer;
        LONG result;
        LONG sizeAfter;
        const char *copied; // with its NUL; NULL: the buffer is untouched
        const Difference *difference = NULL;
        const char *copiedOnPlatform = NULL;
        LONG resultOnPlatform = 0;
        LONG sizeOnPlatform = 0;
    };
    const Case cases[] = {
        { "T\\Six", 7, true, ERROR_SUCCESS, 7, "abcdef" },
        { "T\\Six", 16, true, ERROR_SUCCESS, 7, "abcdef" },
        { "T\\Six", 6, true, ERROR_MORE_DATA, 7, NULL },
        { "T\\Six", 1, true, ERROR_MORE_DATA, 7, NULL },
        { "T\\Six", 0, true, ERROR_MORE_DATA, 7, NULL },
        { "T\\Six", 3, false, ERROR_SUCCESS, 7, NULL },
        { "T\\Empty", 1, true, ERROR_SUCCESS, 1, "" },
        { "T\\Empty", 0, true, ERROR_MORE_DATA, 1, NULL },
        { "T\\Empty", 0, false, ERROR_SUCCESS, 1, NULL },
        // A key without a default value reads as an empty text.
        { "T\\NoValue", 16, true, ERROR_SUCCESS, 1, "" },
        { "T\\NoValue", 1, true, ERROR_SUCCESS, 1, "" },
        { "T\\NoValue", 0, true, ERROR_MORE_DATA, 1, NULL, &kNulIntoNoRoom, "", ERROR_SUCCESS, 1 },
        { "T\\NoValue", 0, false, ERROR_SUCCESS, 1, NULL },
        { "T\\NoValue", 5, false, ERROR_SUCCESS, 1, NULL },
        { "T\\Missing", 16, true, ERROR_FILE_NOT_FOUND, 16, NULL },
        { "T\\Missing", 0, false, ERROR_FILE_NOT_FOUND, 0, NULL },
        { "T\\Six\\Deeper", 16, true, ERROR_FILE_NOT_FOUND, 16, NULL },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.subKey) + " size " + std::to_string(c.size) + (c.withBuffer ? "" : " no buffer"));
        Guard();
        LONG size = c.size;
        EXPECT_EQ(Expect(c.result, c.resultOnPlatform, c.difference),
                  RegQueryValueA(HKEY_CURRENT_USER, c.subKey, c.withBuffer ? buffer_ : NULL, &size));
        EXPECT_EQ(Expect(c.sizeAfter, c.sizeOnPlatform, c.difference), size);
        const char *copied = Expect(c.copied, c.copiedOnPlatform, c.difference);
        size_t length = copied ? strlen(copied) + 1 : 0;
        if (copied) {
            EXPECT_EQ(0, memcmp(buffer_, copied, length));
        }
        EXPECT_TRUE(BufferUntouchedFrom(length));
    }
}

TEST_F(RegistryCalls, ReadsTheKeysOwnDefaultForAnEmptySubkey)
{
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "AO\\Path", "C:\\WAOL.EXE"));
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "AO\\Path\\Name", "n"));
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "AO\\Path\\Keyword", "k"));
    EXPECT_EQ("C:\\WAOL.EXE", StoredText("AO\\Path"));
    EXPECT_EQ("n", StoredText("AO\\Path\\Name"));
    EXPECT_EQ("k", StoredText("AO\\Path\\Keyword"));

    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "AO\\Path", &key));
    for (const char *subKey : { (const char *)NULL, "" }) {
        Guard();
        LONG size = sizeof buffer_;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueA(key, subKey, buffer_, &size));
        EXPECT_STREQ("C:\\WAOL.EXE", buffer_);
        EXPECT_EQ(12, size);
    }
    EXPECT_EQ(ERROR_SUCCESS, SetDefault(key, NULL, "D:\\WAOL.EXE"));
    EXPECT_EQ(ERROR_SUCCESS, SetDefault(key, "", "E:\\WAOL.EXE"));
    RegCloseKey(key);
    EXPECT_EQ("E:\\WAOL.EXE", StoredText("AO\\Path"));
    EXPECT_EQ("n", StoredText("AO\\Path\\Name"));
}

// Each call through a handle that is not open: NULL, closed, never given.
TEST_F(RegistryCalls, BadHandlesTouchNothing)
{
    HKEY closed = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "T", &closed));
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(closed, "Name", "abc"));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(closed));

    struct Case {
        const char *what;
        HKEY handle;
    };
    const Case handles[] = { { "NULL", NULL }, { "closed", closed }, { "never given", kGarbage } };
    for (const Case &h : handles) {
        SCOPED_TRACE(h.what);
        Guard();
        LONG size = 16;
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueA(h.handle, "Name", buffer_, &size));
        EXPECT_EQ(16, size);
        EXPECT_TRUE(BufferUntouchedFrom(0));
        size = 16;
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueA(h.handle, NULL, buffer_, &size));
        EXPECT_EQ(16, size);
        EXPECT_TRUE(BufferUntouchedFrom(0));
        EXPECT_EQ(ERROR_INVALID_HANDLE, SetDefault(h.handle, "Name", "xyz"));
        EXPECT_EQ(ERROR_INVALID_HANDLE, SetDefault(h.handle, NULL, "xyz"));

        // A NULL base is refused before the out handle is touched; any
        // other bad handle leaves it NULL.
        const HKEY failedOut = h.handle ? (HKEY)NULL : kUntouched;
        for (bool create : { false, true }) {
            SCOPED_TRACE(create ? "RegCreateKeyA" : "RegOpenKeyA");
            auto open = create ? RegCreateKeyA : RegOpenKeyA;
            HKEY key = kUntouched;
            EXPECT_EQ(ERROR_INVALID_HANDLE, open(h.handle, "Name", &key));
            EXPECT_EQ(failedOut, key) << "the out handle afterwards";
            for (const char *empty : { (const char *)NULL, "" }) {
                SCOPED_TRACE(empty ? "\"\"" : "NULL subkey");
                const Difference *difference = create ? NULL : &kBaseHandleChecked;
                key = kUntouched;
                EXPECT_EQ(Expect(ERROR_INVALID_HANDLE, ERROR_SUCCESS, difference), open(h.handle, empty, &key));
                EXPECT_EQ(Expect(failedOut, h.handle, difference), key);
            }
        }
        if (h.handle != closed) { // the platform may give a closed handle's value out again
            EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(h.handle));
        }
    }
    EXPECT_EQ("abc", StoredText("T\\Name"));
    EXPECT_FALSE(Exists("Name"));
}

TEST_F(RegistryCalls, CloseOnceOnly)
{
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "T", &key));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER));
}

// Sub-key paths of every shape on both calls, below HKCU\L1\L2, which
// exists: the result, the out handle, and which key is there afterwards.
TEST_F(RegistryCalls, SubKeyPaths)
{
    HKEY made = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "L1\\L2", &made));
    RegCloseKey(made);

    enum Out { kNull, kBase, kNew };
    struct Case {
        bool create;
        const char *subKey;
        LONG result;
        Out out;
        const char *existsAfter = NULL;  // nothing to look for
        const char *missingAfter = NULL; // nothing to look for
    };
    const Case cases[] = {
        { false, "L1", ERROR_SUCCESS, kNew },
        { false, "l1\\L2", ERROR_SUCCESS, kNew },
        { false, "L1\\L2\\", ERROR_SUCCESS, kNew },
        { false, "L1\\L2\\\\", ERROR_SUCCESS, kNew },
        { false, "L1\\\\L2", ERROR_SUCCESS, kNew },
        { false, "\\L1", ERROR_BAD_PATHNAME, kNull },
        { false, "\\\\L1", ERROR_BAD_PATHNAME, kNull },
        { false, "\\", ERROR_BAD_PATHNAME, kNull },
        { false, "", ERROR_SUCCESS, kBase },
        { false, NULL, ERROR_SUCCESS, kBase },
        { false, "M", ERROR_FILE_NOT_FOUND, kNull, NULL, "M" },
        { false, "L1\\M", ERROR_FILE_NOT_FOUND, kNull, NULL, "L1\\M" },
        { false, "L1\\L2\\M\\N", ERROR_FILE_NOT_FOUND, kNull, NULL, "L1\\L2\\M" },
        { false, "M\\L2", ERROR_FILE_NOT_FOUND, kNull, NULL, "M" },
        { false, "L1/L2", ERROR_FILE_NOT_FOUND, kNull, NULL, "L1/L2" },
        { true, "C1\\C2\\C3", ERROR_SUCCESS, kNew, "c1\\c2\\c3" },
        { true, "L1\\L2", ERROR_SUCCESS, kNew, "L1\\L2" },
        { true, "Trail\\", ERROR_SUCCESS, kNew, "Trail" },
        { true, "Twice\\\\", ERROR_SUCCESS, kNew, "Twice" },
        { true, "R1\\\\R2", ERROR_SUCCESS, kNew, "R1\\R2" },
        { true, "\\Lead", ERROR_BAD_PATHNAME, kNull, NULL, "Lead" },
        { true, "\\\\Lead", ERROR_BAD_PATHNAME, kNull, NULL, "Lead" },
        { true, "\\", ERROR_BAD_PATHNAME, kNull },
        { true, "a/b", ERROR_SUCCESS, kNew, "A/B", "a" },
        { true, "", ERROR_SUCCESS, kNew },
        { true, NULL, ERROR_SUCCESS, kNew },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.create ? "RegCreateKeyA " : "RegOpenKeyA ") + (c.subKey ? c.subKey : "NULL"));
        HKEY key = kUntouched;
        EXPECT_EQ(c.result, (c.create ? RegCreateKeyA : RegOpenKeyA)(HKEY_CURRENT_USER, c.subKey, &key));
        switch (c.out) {
        case kNull:
            EXPECT_EQ((HKEY)NULL, key);
            break;
        case kBase:
            EXPECT_EQ(HKEY_CURRENT_USER, key);
            break;
        case kNew:
            EXPECT_NE((HKEY)NULL, key);
            EXPECT_NE(kUntouched, key);
            EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
            break;
        }
        if (c.existsAfter) {
            EXPECT_TRUE(Exists(c.existsAfter)) << c.existsAfter;
        }
        if (c.missingAfter) {
            EXPECT_FALSE(Exists(c.missingAfter)) << c.missingAfter;
        }
    }
}

TEST_F(RegistryCalls, SetValuePathsMatchCreate)
{
    struct Case {
        const char *subKey;
        LONG result;
        const char *readBack; // NULL: nothing stored
    };
    const Case cases[] = {
        { "S\\Trail\\", ERROR_SUCCESS, "S\\Trail" },
        { "S\\R1\\\\R2", ERROR_SUCCESS, "S\\R1\\R2" },
        { "\\Lead", ERROR_BAD_PATHNAME, NULL },
        { "x/lash", ERROR_SUCCESS, "X/LASH" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.subKey);
        EXPECT_EQ(c.result, SetDefault(HKEY_CURRENT_USER, c.subKey, "v"));
        if (c.readBack) {
            EXPECT_EQ("v", StoredText(c.readBack));
        }
    }
    EXPECT_FALSE(Exists("Lead"));
    EXPECT_FALSE(Exists("x"));
}

TEST_F(RegistryCalls, NamesIgnoreCase)
{
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "Caf\xe9\\Name", "one"));
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "CAF\xc9\\NAME", "two"));
    EXPECT_EQ("two", StoredText("caf\xe9\\name"));
}

TEST_F(RegistryCalls, SetStoresTheWholeTextOrNothing)
{
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueA(HKEY_CURRENT_USER, "A\\B\\C", REG_SZ, "abcdef", 1));
    EXPECT_EQ("abcdef", StoredText("A\\B\\C"));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueA(HKEY_CURRENT_USER, "A\\B\\C", REG_SZ, "xy", 200));
    EXPECT_EQ("xy", StoredText("A\\B\\C"));

    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetValueA(HKEY_CURRENT_USER, "N\\O", 3, "abc", 4));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetValueA(HKEY_CURRENT_USER, "N\\O", REG_SZ, NULL, 0));
    EXPECT_FALSE(Exists("N"));
}

TEST_F(RegistryCalls, AwkwardBytesRoundTrip)
{
    const std::string text = "a\\b\"c\nd\xe9 \r\n\\\\\"";
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "Odd", text.c_str()));
    EXPECT_EQ(text, StoredText("Odd"));
}

} // namespace
