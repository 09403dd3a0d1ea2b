/* The dialog template reader. Texts in a template are UTF-16; they become
 * the program's ANSI text here, as the platform's ANSI calls see them. */
#include "layer_internal.h"

namespace {

const char *const kPredefinedClasses[] = { "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox" };
const WORD kFirstPredefinedAtom = 0x80;

/* A cursor over the template's bytes that refuses to step past the end. */
class TemplateCursor {
public:
    TemplateCursor(const BYTE *data, size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }

    WORD NextWord()
    {
        if (!Need(2))
            return 0;
        WORD value = (WORD)(data_[at_] | data_[at_ + 1] << 8);
        at_ += 2;
        return value;
    }

    DWORD NextDword()
    {
        DWORD low = NextWord();
        return low | (DWORD)NextWord() << 16;
    }

    int NextCoordinate() { return (short)NextWord(); }

    std::string NextString()
    {
        std::vector<WORD> text;
        for (WORD c = NextWord(); ok_ && c != 0; c = NextWord())
            text.push_back(c);
        return HostAnsiFromUtf16(text.data(), text.size());
    }

    /* A name or, after 0xFFFF, an ordinal; 0x0000 alone is neither. */
    bool NextNameOrOrdinal(std::string *name, WORD *ordinal)
    {
        WORD first = NextWord();
        if (first == 0xFFFF) {
            *ordinal = NextWord();
            return true;
        }
        *ordinal = 0;
        if (first != 0) {
            at_ -= 2;
            *name = NextString();
        }
        return false;
    }

    void Skip(size_t count)
    {
        if (Need(count))
            at_ += count;
    }

    void AlignToDword() { Skip((4 - at_ % 4) % 4); }

    const BYTE *Here() const { return data_ + at_; }

private:
    bool Need(size_t count)
    {
        if (!ok_ || size_ - at_ < count)
            ok_ = false;
        return ok_;
    }

    const BYTE *data_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};

std::string ClassFromOrdinal(WORD atom)
{
    WORD index = (WORD)(atom - kFirstPredefinedAtom);
    if (atom >= kFirstPredefinedAtom && index < sizeof kPredefinedClasses / sizeof kPredefinedClasses[0])
        return kPredefinedClasses[index];
    return "#" + std::to_string(atom);
}

bool ParseItem(TemplateCursor *cursor, HostDialogItem *item)
{
    cursor->AlignToDword();
    item->style = cursor->NextDword();
    item->exStyle = cursor->NextDword();
    item->x = cursor->NextCoordinate();
    item->y = cursor->NextCoordinate();
    item->width = cursor->NextCoordinate();
    item->height = cursor->NextCoordinate();
    item->id = (short)cursor->NextWord();
    WORD atom;
    if (cursor->NextNameOrOrdinal(&item->className, &atom))
        item->className = ClassFromOrdinal(atom);
    item->textIsOrdinal = cursor->NextNameOrOrdinal(&item->text, &item->textOrdinal);
    WORD extra = cursor->NextWord();
    const BYTE *start = cursor->Here();
    cursor->Skip(extra);
    if (cursor->ok())
        item->creationData.assign(start, start + extra);
    return cursor->ok();
}

} // namespace

bool HostParseDialogTemplate(const BYTE *data, size_t size, HostDialogTemplate *dialog)
{
    if (!data || !dialog)
        return false;
    TemplateCursor cursor(data, size);
    *dialog = HostDialogTemplate{};
    dialog->style = cursor.NextDword();
    dialog->exStyle = cursor.NextDword();
    /* An extended template opens with version 1 and signature 0xFFFF. */
    if (dialog->style == 0xFFFF0001)
        return false;
    WORD count = cursor.NextWord();
    dialog->x = cursor.NextCoordinate();
    dialog->y = cursor.NextCoordinate();
    dialog->width = cursor.NextCoordinate();
    dialog->height = cursor.NextCoordinate();

    std::string menuName;
    WORD ordinal;
    dialog->hasMenu = cursor.NextNameOrOrdinal(&menuName, &ordinal) || !menuName.empty();
    if (cursor.NextNameOrOrdinal(&dialog->className, &ordinal))
        dialog->className = ClassFromOrdinal(ordinal);
    dialog->caption = cursor.NextString();
    if (dialog->style & DS_SETFONT) {
        dialog->hasFont = true;
        dialog->pointSize = cursor.NextWord();
        dialog->typeface = cursor.NextString();
    }
    for (WORD i = 0; i < count && cursor.ok(); ++i) {
        HostDialogItem item;
        if (ParseItem(&cursor, &item))
            dialog->items.push_back(item);
    }
    return cursor.ok();
}
