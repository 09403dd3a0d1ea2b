// The dialog template reader on data the resource compiler would not
// write: cut short, extended, or using the forms our pages do not use.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "host_control.h"
#include "res/resource.h"

namespace {

// Writes template data: little-endian words, UTF-16 names, DWORD padding.
struct TemplateWriter {
    std::vector<BYTE> bytes;

    void Word(WORD value)
    {
        bytes.push_back((BYTE)value);
        bytes.push_back((BYTE)(value >> 8));
    }
    void Dword(DWORD value)
    {
        Word((WORD)value);
        Word((WORD)(value >> 16));
    }
    void Text(const char *text)
    {
        for (; *text; ++text)
            Word((BYTE)*text);
        Word(0);
    }
    void Ordinal(WORD value)
    {
        Word(0xFFFF);
        Word(value);
    }
    void Align()
    {
        while (bytes.size() % 4)
            bytes.push_back(0);
    }
    void Item(DWORD style, int x, int id)
    {
        Align();
        Dword(style);
        Dword(0);
        Word((WORD)x);
        Word(2);
        Word(30);
        Word(10);
        Word((WORD)id);
    }
};

std::vector<BYTE> CompiledSettingsPage()
{
    DWORD size = 0;
    const BYTE *data = (const BYTE *)HostFindResourceData(MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(IDD_SETTINGS_PAGE),
                                                          nullptr, &size);
    return data ? std::vector<BYTE>(data, data + size) : std::vector<BYTE>();
}

TEST(DialogTemplate, DataCutShortIsRefusedWithoutReadingPastIt)
{
    std::vector<BYTE> whole = CompiledSettingsPage();
    ASSERT_FALSE(whole.empty());
    HostDialogTemplate dialog;
    ASSERT_TRUE(HostParseDialogTemplate(whole.data(), whole.size(), &dialog));
    // Each prefix in a buffer of exactly its size, so that a read past it
    // shows under the address sanitizer. The last item ends without
    // padding, so every shorter prefix lacks something.
    for (size_t size = 0; size < whole.size(); ++size) {
        std::vector<BYTE> prefix(whole.begin(), whole.begin() + (long)size);
        EXPECT_FALSE(HostParseDialogTemplate(prefix.data(), prefix.size(), &dialog)) << size;
    }
    EXPECT_FALSE(HostParseDialogTemplate(nullptr, 10, &dialog));
}

TEST(DialogTemplate, AnExtendedTemplateIsNotRead)
{
    TemplateWriter extended;
    extended.Word(1);
    extended.Word(0xFFFF);
    extended.bytes.resize(64, 0);
    HostDialogTemplate dialog;
    EXPECT_FALSE(HostParseDialogTemplate(extended.bytes.data(), extended.bytes.size(), &dialog));
}

TEST(DialogTemplate, ReadsOrdinalsNamesAndCreationData)
{
    TemplateWriter t;
    t.Dword(WS_POPUP); // no DS_SETFONT: no font follows the caption
    t.Dword(0x00000100);
    t.Word(8); // items
    t.Word((WORD)-5);
    t.Word(7);
    t.Word(100);
    t.Word(50);
    t.Ordinal(77); // menu
    t.Text("MyDialogClass");
    t.Text("Caption");
    const char *const classes[] = { "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox" };
    for (WORD atom = 0x80; atom <= 0x85; ++atom) {
        t.Item(WS_CHILD, atom, atom);
        t.Ordinal(atom);
        t.Text("t");
        t.Word(0);
    }
    t.Item(WS_CHILD, 1, 0xFFFF);
    t.Text("CustomClass");
    t.Ordinal(42); // an icon or bitmap id as the title
    t.Word(3);
    t.bytes.insert(t.bytes.end(), { 9, 8, 7 });
    t.Item(WS_CHILD, 2, 5);
    t.Ordinal(0x99);
    t.Word(0);
    t.Word(0);

    HostDialogTemplate dialog;
    ASSERT_TRUE(HostParseDialogTemplate(t.bytes.data(), t.bytes.size(), &dialog));
    EXPECT_EQ(-5, dialog.x);
    EXPECT_EQ(0x100u, dialog.exStyle);
    EXPECT_TRUE(dialog.hasMenu);
    EXPECT_EQ("MyDialogClass", dialog.className);
    EXPECT_EQ("Caption", dialog.caption);
    EXPECT_FALSE(dialog.hasFont);
    ASSERT_EQ(8u, dialog.items.size());
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(classes[i], dialog.items[i].className);
    EXPECT_EQ(-1, dialog.items[6].id);
    EXPECT_EQ("CustomClass", dialog.items[6].className);
    EXPECT_TRUE(dialog.items[6].textIsOrdinal);
    EXPECT_EQ(42, dialog.items[6].textOrdinal);
    EXPECT_EQ((std::vector<BYTE>{ 9, 8, 7 }), dialog.items[6].creationData);
    EXPECT_EQ("#153", dialog.items[7].className);
    EXPECT_EQ("", dialog.items[7].text);

    // The same data with its creation data running past the end.
    std::vector<BYTE> cut(t.bytes.begin(), t.bytes.end() - 2);
    EXPECT_FALSE(HostParseDialogTemplate(cut.data(), cut.size(), &dialog));
}

} // namespace
