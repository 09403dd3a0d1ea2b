// The legacy registry calls and GetUserNameA held against what the platform
// was seen to do: return code, out handle, out size and every buffer byte.
#include <string.h>

#include <string>

#include "host/registry_values.h"
#include "support/product_fixture.h"

namespace {

const char kGuard = '\x5A';

class RegistryCalls : public ProductTest {
protected:
    void SetUp() override
    {
        ProductTest::SetUp();
        memset(buffer_, kGuard, sizeof buffer_);
    }

    static LONG SetDefault(HKEY key, const char *subKey, const char *text)
    {
        return RegSetValueA(key, subKey, REG_SZ, text, 0);
    }

    static bool Exists(const char *path)
    {
        HKEY key = NULL;
        LONG result = RegOpenKeyA(HKEY_CURRENT_USER, path, &key);
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

    bool BufferUntouchedFrom(size_t offset) const
    {
        for (size_t i = offset; i < sizeof buffer_; ++i) {
            if (buffer_[i] != kGuard)
                return false;
        }
        return true;
    }

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
        LONG result;
        LONG sizeAfter;
        const char *copied; // with its NUL; NULL: the buffer is untouched
    };
    const Case cases[] = {
        { "T\\Six", 7, ERROR_SUCCESS, 7, "abcdef" },
        { "T\\Six", 16, ERROR_SUCCESS, 7, "abcdef" },
        { "T\\Six", 6, ERROR_MORE_DATA, 7, NULL },
        { "T\\Six", 1, ERROR_MORE_DATA, 7, NULL },
        { "T\\Six", 0, ERROR_MORE_DATA, 7, NULL },
        { "T\\Empty", 1, ERROR_SUCCESS, 1, "" },
        { "T\\Empty", 0, ERROR_MORE_DATA, 1, NULL },
        { "T\\NoValue", 1, ERROR_SUCCESS, 1, "" },
        { "T\\Missing", 16, ERROR_FILE_NOT_FOUND, 16, NULL },
        { "T\\Six\\Deeper", 16, ERROR_FILE_NOT_FOUND, 16, NULL },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.subKey) + " size " + std::to_string(c.size));
        memset(buffer_, kGuard, sizeof buffer_);
        LONG size = c.size;
        EXPECT_EQ(c.result, RegQueryValueA(HKEY_CURRENT_USER, c.subKey, buffer_, &size));
        EXPECT_EQ(c.sizeAfter, size);
        size_t copied = c.copied ? strlen(c.copied) + 1 : 0;
        if (c.copied) {
            EXPECT_EQ(0, memcmp(buffer_, c.copied, copied));
        }
        EXPECT_TRUE(BufferUntouchedFrom(copied));
    }

    LONG size = 3;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueA(HKEY_CURRENT_USER, "T\\Six", NULL, &size));
    EXPECT_EQ(7, size);
}

TEST_F(RegistryCalls, BadHandlesTouchNothing)
{
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "T", &key));
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(key, "Name", "abc"));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));

    const HKEY bad[] = { NULL, key, (HKEY)(ULONG_PTR)0x12345678 };
    for (HKEY handle : bad) {
        LONG size = 16;
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueA(handle, "Name", buffer_, &size));
        EXPECT_EQ(16, size);
        EXPECT_TRUE(BufferUntouchedFrom(0));
        EXPECT_EQ(ERROR_INVALID_HANDLE, SetDefault(handle, "Name", "xyz"));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(handle));
    }
    EXPECT_EQ("abc", StoredText("T\\Name"));
}

TEST_F(RegistryCalls, OpenNeverCreates)
{
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "L1\\L2", "x"));
    const char *missing[] = { "M", "L1\\M", "L1\\L2\\M", "M\\L2", "L1\\L2\\M\\N" };
    for (const char *path : missing) {
        HKEY key = (HKEY)(ULONG_PTR)0x1;
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyA(HKEY_CURRENT_USER, path, &key)) << path;
        EXPECT_EQ(NULL, key) << path;
        EXPECT_FALSE(Exists(path)) << path;
    }

    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "L1", &key));
    HKEY same = NULL;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(key, NULL, &same));
    EXPECT_EQ(key, same);
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(key, "", &same));
    EXPECT_EQ(key, same);
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "", &same));
    EXPECT_EQ(HKEY_CURRENT_USER, same);
    LONG size = sizeof buffer_;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueA(HKEY_CURRENT_USER, NULL, buffer_, &size));
    EXPECT_EQ(1, size);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(NULL));
}

TEST_F(RegistryCalls, KeyPaths)
{
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "L1\\L2\\L3", &key));
    ASSERT_NE(nullptr, key);
    RegCloseKey(key);
    EXPECT_TRUE(Exists("L1"));
    EXPECT_TRUE(Exists("L1\\L2"));
    EXPECT_TRUE(Exists("l1\\l2\\l3\\"));
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "L1\\L2", &key));
    RegCloseKey(key);

    key = (HKEY)(ULONG_PTR)0x1;
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegCreateKeyA(HKEY_CURRENT_USER, "\\Lead", &key));
    EXPECT_EQ(NULL, key);
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegOpenKeyA(HKEY_CURRENT_USER, "\\L1", &key));
    EXPECT_EQ(ERROR_BAD_PATHNAME, SetDefault(HKEY_CURRENT_USER, "\\Lead", "x"));
    EXPECT_FALSE(Exists("Lead"));

    // The file cannot hold a line break in a key name.
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegCreateKeyA(HKEY_CURRENT_USER, "Line\nBreak", &key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyA(NULL, "", &key));
    EXPECT_EQ(NULL, key);

    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "Trail\\", "t"));
    EXPECT_EQ("t", StoredText("Trail"));
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "a/b", "slash"));
    EXPECT_TRUE(Exists("A/B"));
    EXPECT_FALSE(Exists("a"));
}

TEST_F(RegistryCalls, NamesIgnoreCaseAndKeepTheirFirstSpelling)
{
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "Caf\xe9\\Name", "one"));
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "CAF\xc9\\NAME", "two"));
    EXPECT_EQ("two", StoredText("caf\xe9\\name"));
    std::string file = ReadFile("user.reg");
    EXPECT_NE(std::string::npos, file.find("[HKEY_CURRENT_USER\\Caf\xe9\\Name]\n@=\"two\"\n"));
    EXPECT_EQ(std::string::npos, file.find("CAF"));
}

TEST_F(RegistryCalls, DefaultValueAndSubkeysAreIndependent)
{
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "AO\\Path", "C:\\WAOL.EXE"));
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "AO\\Path\\Name", "n"));
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "AO\\Path\\Keyword", "k"));
    EXPECT_EQ("C:\\WAOL.EXE", StoredText("AO\\Path"));
    EXPECT_EQ("n", StoredText("AO\\Path\\Name"));
    EXPECT_EQ("k", StoredText("AO\\Path\\Keyword"));

    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "AO\\Path", &key));
    char text[32];
    LONG size = sizeof text;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueA(key, NULL, text, &size));
    EXPECT_STREQ("C:\\WAOL.EXE", text);
    size = sizeof text;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueA(key, "", text, &size));
    EXPECT_STREQ("C:\\WAOL.EXE", text);
    EXPECT_EQ(ERROR_SUCCESS, SetDefault(key, NULL, "D:\\WAOL.EXE"));
    RegCloseKey(key);
    EXPECT_EQ("D:\\WAOL.EXE", StoredText("AO\\Path"));
    EXPECT_EQ("n", StoredText("AO\\Path\\Name"));
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
    HostResetLayer();
    HostSetRegistryFile(RegistryFile().c_str());
    EXPECT_EQ(text, StoredText("Odd"));
}

TEST_F(RegistryCalls, ForcedFailuresChangeNothing)
{
    ASSERT_EQ(ERROR_SUCCESS, SetDefault(HKEY_CURRENT_USER, "K\\V", "kept"));
    const std::string before = ReadFile("user.reg");
    const DWORD kForced = 1234;

    HostFailCall(HOST_CALL_REG_OPEN_KEY, kForced);
    HostFailCall(HOST_CALL_REG_CREATE_KEY, kForced);
    HostFailCall(HOST_CALL_REG_QUERY_VALUE, kForced);
    HostFailCall(HOST_CALL_REG_SET_VALUE, kForced);
    HostFailCall(HOST_CALL_GET_USER_NAME, kForced);

    HKEY key = (HKEY)(ULONG_PTR)0x1;
    EXPECT_EQ((LONG)kForced, RegOpenKeyA(HKEY_CURRENT_USER, "K", &key));
    EXPECT_EQ((LONG)kForced, RegCreateKeyA(HKEY_CURRENT_USER, "New", &key));
    EXPECT_EQ((HKEY)(ULONG_PTR)0x1, key);
    LONG size = sizeof buffer_;
    EXPECT_EQ((LONG)kForced, RegQueryValueA(HKEY_CURRENT_USER, "K\\V", buffer_, &size));
    EXPECT_EQ((LONG)sizeof buffer_, size);
    EXPECT_TRUE(BufferUntouchedFrom(0));
    EXPECT_EQ((LONG)kForced, SetDefault(HKEY_CURRENT_USER, "K\\V", "lost"));
    DWORD nameSize = sizeof buffer_;
    EXPECT_FALSE(GetUserNameA(buffer_, &nameSize));
    EXPECT_EQ(kForced, GetLastError());
    EXPECT_EQ(sizeof buffer_, nameSize);
    EXPECT_TRUE(BufferUntouchedFrom(0));
    EXPECT_EQ(before, ReadFile("user.reg"));
}

TEST_F(RegistryCalls, UserNameFollowsTheSizeRules)
{
    HostSetUserName("tester");
    struct Case {
        DWORD size;
        BOOL result;
        DWORD sizeAfter;
    };
    const Case cases[] = { { 32, TRUE, 7 }, { 7, TRUE, 7 }, { 6, FALSE, 7 }, { 1, FALSE, 7 }, { 0, FALSE, 7 } };
    for (const Case &c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size));
        memset(buffer_, kGuard, sizeof buffer_);
        SetLastError(0);
        DWORD size = c.size;
        EXPECT_EQ(c.result, GetUserNameA(buffer_, &size));
        EXPECT_EQ(c.sizeAfter, size);
        if (c.result) {
            EXPECT_STREQ("tester", buffer_);
            EXPECT_TRUE(BufferUntouchedFrom(7));
        } else {
            EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
            EXPECT_TRUE(BufferUntouchedFrom(0));
        }
    }

    HostSetUserName(NULL);
    DWORD size = sizeof buffer_;
    EXPECT_TRUE(GetUserNameA(buffer_, &size));
    EXPECT_EQ(strlen(buffer_) + 1, size);
    EXPECT_GT(size, 1u);
}

} // namespace
