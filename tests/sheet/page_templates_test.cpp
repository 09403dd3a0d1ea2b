// The two page templates as the resource compiler left them: read back from
// the compiled resources and held against the pages' published layout.
#include <gtest/gtest.h>

#include <strings.h>

#include "host_control.h"
#include "res/resource.h"

namespace {

const DWORD kGroupBox = 0x50000007;
const DWORD kLabel = 0x50020000;
const DWORD kEditField = 0x50830080;
const DWORD kSeparator = 0x50020007;
const DWORD kPageStyle = 0x00C800C0;

struct ExpectedControl {
    const char *className;
    DWORD style;
    int id;
    int x, y, width, height;
    const char *text; // nullptr: the maker's own text, checked apart
};

HostDialogTemplate CompiledPage(int id)
{
    WORD language = 0;
    DWORD size = 0;
    const void *data = HostFindResourceData(MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(id), &language, &size);
    EXPECT_NE(nullptr, data) << id;
    EXPECT_EQ(0x409, language) << id;
    HostDialogTemplate page;
    EXPECT_TRUE(data && HostParseDialogTemplate((const BYTE *)data, size, &page)) << id;
    return page;
}

void ExpectPage(const HostDialogTemplate &page, int x, int y, int width, int height, const char *caption)
{
    EXPECT_EQ(kPageStyle, page.style);
    EXPECT_EQ(0u, page.exStyle);
    EXPECT_EQ(x, page.x);
    EXPECT_EQ(y, page.y);
    EXPECT_EQ(width, page.width);
    EXPECT_EQ(height, page.height);
    EXPECT_EQ(caption, page.caption);
    EXPECT_FALSE(page.hasMenu);
    EXPECT_EQ("", page.className) << "the platform's dialog class";
    EXPECT_TRUE(page.hasFont);
    EXPECT_EQ(8, page.pointSize);
    EXPECT_EQ("MS Sans Serif", page.typeface);
}

void ExpectControls(const HostDialogTemplate &page, const std::vector<ExpectedControl> &expected)
{
    ASSERT_EQ(expected.size(), page.items.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const HostDialogItem &item = page.items[i];
        const ExpectedControl &want = expected[i];
        SCOPED_TRACE("control " + std::to_string(i + 1));
        EXPECT_STRCASEEQ(want.className, item.className.c_str());
        EXPECT_EQ(want.style, item.style);
        EXPECT_EQ(0u, item.exStyle);
        EXPECT_EQ(want.id, item.id);
        EXPECT_EQ(want.x, item.x);
        EXPECT_EQ(want.y, item.y);
        EXPECT_EQ(want.width, item.width);
        EXPECT_EQ(want.height, item.height);
        EXPECT_FALSE(item.textIsOrdinal);
        EXPECT_TRUE(item.creationData.empty());
        if (want.text)
            EXPECT_EQ(want.text, item.text);
        else
            EXPECT_FALSE(item.text.empty());
    }
}

bool StartsWith(const std::string &text, const std::string &start)
{
    return text.compare(0, start.size(), start) == 0;
}

TEST(PageTemplates, TheSettingsPage)
{
    HostDialogTemplate page = CompiledPage(IDD_SETTINGS_PAGE);
    ExpectPage(page, 22, 17, 218, 194, "Zodovi 95");
    // The keyword field comes before the screen name: that is the tab order.
    ExpectControls(page, {
        { "Button", kGroupBox, -1, 9, 55, 196, 126, "America Online" },
        { "Static", kLabel, -1, 17, 72, 47, 15, "Screen Name:" },
        { "Static", kLabel, -1, 17, 112, 80, 14, "Initial Keyword or URL:" },
        { "Edit", kEditField, IDC_KEYWORD, 17, 126, 158, 15, "" },
        { "Edit", kEditField, IDC_SCREEN_NAME, 73, 72, 60, 14, "" },
        { "Static", kLabel, -1, 19, 149, 94, 7, "Path to America Online" },
        { "Edit", kEditField, IDC_CLIENT_PATH, 19, 160, 156, 15, "" },
        { "Static", kLabel, -1, 11, 9, 193, 40, nullptr },
    });
    EXPECT_EQ(614, IDC_KEYWORD);
    EXPECT_EQ(601, IDC_SCREEN_NAME);
    EXPECT_EQ(608, IDC_CLIENT_PATH);

    // The heading: three lines split by bare line feeds, an author credit
    // after 13 spaces on the first.
    ASSERT_EQ(8u, page.items.size());
    const std::string &heading = page.items[7].text;
    size_t first = heading.find('\n');
    ASSERT_NE(std::string::npos, first);
    EXPECT_TRUE(StartsWith(heading, "Zodovi95" + std::string(13, ' '))) << heading;
    EXPECT_NE(' ', heading[8 + 13]) << "exactly 13 spaces";
    EXPECT_EQ("\nEnter your favorite keword or URL and press OK to create a short cut to sign you one "
              "immediately to America Online.",
              heading.substr(first + 1));
    EXPECT_EQ(std::string::npos, heading.find('\r'));
}

TEST(PageTemplates, TheInformationPage)
{
    HostDialogTemplate page = CompiledPage(IDD_INFO_PAGE);
    ExpectPage(page, 22, 17, 200, 180, "Vurezez Edidadaz");
    ExpectControls(page, {
        { "Static", kLabel, -1, 30, 103, 75, 8, "Vurezez Edidadaz" },
        { "Static", kLabel, -1, 30, 112, 95, 8, nullptr },
        { "Static", kLabel, -1, 30, 120, 103, 8, nullptr },
        { "Static", kLabel, -1, 30, 143, 78, 8, nullptr },
        { "Static", kLabel, -1, 30, 152, 77, 10, nullptr },
        { "Static", kLabel, -1, 10, 60, 153, 28,
          "Your comments are important for us to maintain a high quality of products. Keep those cards "
          "and letter coming." },
        { "Static", kLabel, -1, 10, 10, 173, 33, nullptr },
        { "Static", kSeparator, -1, 10, 51, 171, 1, "" },
        { "Button", kGroupBox, -1, 10, 90, 178, 80, "  For more info:  " },
        { "Static", kLabel, -1, 30, 134, 94, 8, nullptr },
    });
    ASSERT_EQ(10u, page.items.size());
    EXPECT_TRUE(StartsWith(page.items[3].text, "Email: ")) << page.items[3].text;
    EXPECT_TRUE(StartsWith(page.items[4].text, "Fax: ")) << page.items[4].text;
    EXPECT_TRUE(StartsWith(page.items[9].text, "http:")) << page.items[9].text;

    // "Zodovi95 1.0", an empty line, and a notice of two lines.
    const std::string &notice = page.items[6].text;
    EXPECT_TRUE(StartsWith(notice, "Zodovi95 1.0\n\n")) << notice;
    size_t lineFeeds = 0;
    for (char c : notice)
        lineFeeds += c == '\n';
    EXPECT_EQ(3u, lineFeeds) << notice;
    EXPECT_NE('\n', notice.back());
    EXPECT_EQ(std::string::npos, notice.find('\r'));
}

// No field of either page hides what is typed: the sheet asks for no
// password, whatever id a field would carry.
TEST(PageTemplates, NoPageOffersAPassword)
{
    const DWORD kPasswordStyle = 0x0020; // ES_PASSWORD, which product code never asks for
    for (int id : { IDD_SETTINGS_PAGE, IDD_INFO_PAGE }) {
        int edits = 0;
        for (const HostDialogItem &item : CompiledPage(id).items) {
            if (strcasecmp(item.className.c_str(), "Edit") != 0)
                continue;
            ++edits;
            EXPECT_EQ(0u, item.style & kPasswordStyle) << "page " << id << ", control " << item.id;
        }
        EXPECT_EQ(id == IDD_SETTINGS_PAGE ? 3 : 0, edits) << "page " << id;
    }
}

} // namespace
