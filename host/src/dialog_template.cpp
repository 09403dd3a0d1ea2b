/* The dialog template reader. Texts in a template are UTF-16; they become
 * the program's ANSI text here, as the platform's ANSI calls see them. */
#include "layer_internal.h"
#include "resource_file.h"

namespace {

const char *const kPredefinedClasses[] = { "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox" };
const WORD kFirstPredefinedAtom = 0x80;

int NextCoordinate(HostResourceReader *cursor)
{
    return (short)cursor->NextWord();
}

std::string ClassFromOrdinal(WORD atom)
{
    WORD index = (WORD)(atom - kFirstPredefinedAtom);
    if (atom >= kFirstPredefinedAtom && index < sizeof kPredefinedClasses / sizeof kPredefinedClasses[0])
        return kPredefinedClasses[index];
    return "#" + std::to_string(atom);
}

bool ParseItem(HostResourceReader *cursor, HostDialogItem *item)
{
    cursor->AlignToDword();
    item->style = cursor->NextDword();
    item->exStyle = cursor->NextDword();
    item->x = NextCoordinate(cursor);
    item->y = NextCoordinate(cursor);
    item->width = NextCoordinate(cursor);
    item->height = NextCoordinate(cursor);
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
    HostResourceReader cursor(data, size);
    *dialog = HostDialogTemplate{};
    dialog->style = cursor.NextDword();
    dialog->exStyle = cursor.NextDword();
    /* An extended template opens with version 1 and signature 0xFFFF. */
    if (dialog->style == 0xFFFF0001)
        return false;
    WORD count = cursor.NextWord();
    dialog->x = NextCoordinate(&cursor);
    dialog->y = NextCoordinate(&cursor);
    dialog->width = NextCoordinate(&cursor);
    dialog->height = NextCoordinate(&cursor);

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
