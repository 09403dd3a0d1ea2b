// The path text helpers, case by case, with a guard byte after each buffer
// so that a write past the text shows.
#include <gtest/gtest.h>

#include <string.h>

#include "app/path_text.h"

namespace {

const char kGuard = '\x5A';

struct EditCase {
    const char *input;
    const char *expected;
};

// Runs `edit` on a copy of `input` in a buffer with one spare byte and a
// guard behind it.
template <typename Edit>
void ExpectEdit(const EditCase &c, Edit edit)
{
    char buffer[MAX_PATH + 2];
    memset(buffer, kGuard, sizeof buffer);
    size_t length = strlen(c.input);
    ASSERT_LT(length + 2, sizeof buffer);
    memcpy(buffer, c.input, length + 1);
    edit(buffer);
    EXPECT_STREQ(c.expected, buffer) << "input: " << c.input;
    size_t after = strlen(c.expected) + 1;
    size_t touched = after > length + 1 ? after : length + 1;
    EXPECT_EQ(kGuard, buffer[touched]) << "written past the text for input: " << c.input;
}

TEST(AppendBackslash, AddsOneOnlyWhenMissing)
{
    const EditCase cases[] = {
        { "C:\\", "C:\\" },
        { "C:\\WINDOWS", "C:\\WINDOWS\\" },
        { "C:", "C:\\" },
        { "A", "A\\" },
        { "", "" },
    };
    for (const EditCase &c : cases)
        ExpectEdit(c, [](char *path) { AppendBackslash(path); });
}

TEST(StripTrailingBackslash, KeepsTheRootOnlyWhenAsked)
{
    const EditCase keepRoot[] = {
        { "C:\\", "C:\\" },
        { "C:\\AOL\\", "C:\\AOL" },
        { "C:\\AOL\\WAOL.EXE", "C:\\AOL\\WAOL.EXE" },
        { "C:\\AOL\\\\", "C:\\AOL\\" },
        { "\\", "\\" },
        { "", "" },
    };
    for (const EditCase &c : keepRoot)
        ExpectEdit(c, [](char *path) { StripTrailingBackslash(path, TRUE); });

    const EditCase dropRoot[] = {
        { "C:\\", "C:" },
        { "C:\\AOL\\", "C:\\AOL" },
        { "C:\\AOL\\WAOL.EXE", "C:\\AOL\\WAOL.EXE" },
        { "C:\\AOL\\\\", "C:\\AOL\\" },
        { "\\", "" },
        { "", "" },
    };
    for (const EditCase &c : dropRoot)
        ExpectEdit(c, [](char *path) { StripTrailingBackslash(path, FALSE); });
}

TEST(StripExtension, CutsAtTheLastDotButTheFirstCharacter)
{
    const EditCase cases[] = {
        { "MYLINK.EXE", "MYLINK" },
        { "A.B.EXE", "A.B" },
        { ".EXE", ".EXE" },
        { "MYLINK", "MYLINK" },
        { "", "" },
        { "C:\\DIR.X\\FILE", "C:\\DIR" },
        { "NAME.", "NAME" },
        { "..", "." },
    };
    for (const EditCase &c : cases)
        ExpectEdit(c, [](char *name) { StripExtension(name); });
}

TEST(FileNameOffset, PointsPastTheLastBackslashButTheFirst)
{
    struct {
        const char *path;
        WORD offset;
    } const cases[] = {
        { "C:\\TOOLS\\MYLINK.EXE", 9 },
        { "MYLINK.EXE", 0 },
        { "", 0 },
        { "\\MYLINK.EXE", 0 },
        { "C:\\AOL\\", 7 },
        { "C:MYLINK.EXE", 0 },
        { "D:/AOL/WAOL.EXE", 0 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.offset, FileNameOffset(c.path)) << c.path;
}

TEST(FileNameOffset, ReadsNoFurtherThanTheTextWhateverItsLength)
{
    // Longer than any path the platform gives: the offset still lies
    // within the text, just after its last backslash.
    std::string longPath(300, 'x');
    longPath[280] = '\\';
    EXPECT_EQ(281, FileNameOffset(longPath.c_str()));
}

} // namespace
