// What the registry calls do on the host alone: the file they leave, a
// reload of it, failures forced by tests, and a user name set by tests.
#include <string.h>

#include <string>

#include "host/registry_values.h"
#include "support/host_texts.h"
#include "support/product_fixture.h"

namespace {

const char kGuard = '\x5A';

class RegistryHost : public ProductTest {
protected:
    void SetUp() override
    {
        ProductTest::SetUp();
        memset(buffer_, kGuard, sizeof buffer_);
    }

    bool BufferUntouchedFrom(size_t offset) const { return UntouchedFrom(buffer_, sizeof buffer_, offset, kGuard); }

    char buffer_[32];
};

TEST_F(RegistryHost, KeepsTheFirstSpellingOfAName)
{
    ASSERT_EQ(ERROR_SUCCESS, StoreText("Caf\xe9\\Name", "one"));
    ASSERT_EQ(ERROR_SUCCESS, StoreText("CAF\xc9\\NAME", "two"));
    std::string file = ReadFile("user.reg");
    EXPECT_NE(std::string::npos, file.find("[HKEY_CURRENT_USER\\Caf\xe9\\Name]\n@=\"two\"\n"));
    EXPECT_EQ(std::string::npos, file.find("CAF"));
}

TEST_F(RegistryHost, AwkwardBytesSurviveAReload)
{
    const std::string text = "a\\b\"c\nd\xe9 \r\n\\\\\"";
    ASSERT_EQ(ERROR_SUCCESS, StoreText("Odd", text));
    HostResetLayer();
    HostSetRegistryFile(RegistryFile().c_str());
    EXPECT_EQ(text, StoredText("Odd"));
}

// The file cannot hold a line break in a key name.
TEST_F(RegistryHost, RefusesALineBreakInAKeyName)
{
    HKEY key = (HKEY)(ULONG_PTR)0x1;
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegCreateKeyA(HKEY_CURRENT_USER, "Line\nBreak", &key));
    EXPECT_EQ(NULL, key);
    EXPECT_EQ(ERROR_INVALID_PARAMETER, StoreText("Line\rBreak", "x"));
    EXPECT_EQ("", ReadFile("user.reg"));
}

TEST_F(RegistryHost, ForcedFailuresChangeNothing)
{
    ASSERT_EQ(ERROR_SUCCESS, StoreText("K\\V", "kept"));
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
    EXPECT_EQ((LONG)kForced, StoreText("K\\V", "lost"));
    DWORD nameSize = sizeof buffer_;
    EXPECT_FALSE(GetUserNameA(buffer_, &nameSize));
    EXPECT_EQ(kForced, GetLastError());
    EXPECT_EQ(sizeof buffer_, nameSize);
    EXPECT_TRUE(BufferUntouchedFrom(0));
    EXPECT_EQ(before, ReadFile("user.reg"));
}

TEST_F(RegistryHost, UserNameFollowsTheSizeRules)
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

// The login name is host text: each letter becomes its code page 1252
// byte, and one the code page lacks becomes '?' as on the platform.
TEST_F(RegistryHost, UserNameIsGivenInCodePage1252)
{
    for (const HostText &text : kHostTexts) {
        std::string login = std::string("u") + text.utf8;
        std::string expected = text.ansi ? std::string("u") + text.ansi : "u?odz";
        SCOPED_TRACE(login);
        HostSetUserName(login.c_str());
        DWORD size = (DWORD)expected.size(); // one short: the size counts code page bytes
        EXPECT_FALSE(GetUserNameA(buffer_, &size));
        EXPECT_EQ(expected.size() + 1, size);
        memset(buffer_, kGuard, sizeof buffer_);
        EXPECT_TRUE(GetUserNameA(buffer_, &size));
        EXPECT_EQ(expected, buffer_);
        EXPECT_TRUE(BufferUntouchedFrom(expected.size() + 1));
    }
    HostSetUserName("bad\xFF");
    DWORD size = sizeof buffer_;
    EXPECT_TRUE(GetUserNameA(buffer_, &size));
    EXPECT_STREQ("bad?", buffer_) << "a byte of a name that is not UTF-8";
}

} // namespace
