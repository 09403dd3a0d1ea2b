/* The sheet worked from a script of UTF-8 lines: NAME=TEXT types into
 * the field labelled with that word, page=N shows a page, ok / cancel /
 * apply press the buttons. Lines it does not understand are reported on
 * standard error and passed over; the end of the script is Cancel. */
#include "sheet_internal.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

namespace {

struct ScriptLine {
    int number;
    std::string text;
};

void ReportHostText(const ScriptLine &line, const std::string &message)
{
    fprintf(stderr, "sheet: line %d: %s\n", line.number, message.c_str());
}

/* Messages quote the sheet's own text, which is ANSI. */
void Report(const ScriptLine &line, const std::string &message)
{
    ReportHostText(line, HostUtf8FromAnsi(message.data(), message.size()));
}

bool IsLabel(const HostWindow *window)
{
    /* Of the statics, only these show their text. */
    return lstrcmpiA(window->className.c_str(), "Static") == 0 && (window->style & SS_TYPEMASK) <= SS_RIGHT &&
           !window->text.empty();
}

/* The label that names a field: the nearest one on its row to its left, or
 * above it and overlapping it, as a reader of the page would pair them. */
const HostWindow *LabelOf(const HostWindow *field)
{
    HostWindow *page = HostLookupWindow(field->parent);
    const HostWindow *best = nullptr;
    int bestDistance = 0;
    for (HWND child : page ? page->children : std::vector<HWND>()) {
        const HostWindow *label = HostLookupWindow(child);
        if (!label || !IsLabel(label))
            continue;
        bool sameRow = label->y < field->y + field->height && label->y + label->height > field->y;
        bool overlapsColumns = label->x < field->x + field->width && label->x + label->width > field->x;
        int distance;
        if (sameRow && label->x + label->width <= field->x + 2)
            distance = field->x - (label->x + label->width);
        else if (overlapsColumns && label->y + label->height <= field->y + 2)
            distance = field->y - (label->y + label->height);
        else
            continue;
        if (!best || distance < bestDistance) {
            best = label;
            bestDistance = distance;
        }
    }
    return best;
}

bool LabelHasWord(const std::string &label, const std::string &word)
{
    size_t at = 0;
    while (at < label.size()) {
        while (at < label.size() && !isalnum((unsigned char)label[at]))
            ++at;
        size_t end = at;
        while (end < label.size() && isalnum((unsigned char)label[end]))
            ++end;
        if (end > at && lstrcmpiA(label.substr(at, end - at).c_str(), word.c_str()) == 0)
            return true;
        at = end;
    }
    return false;
}

std::string Trimmed(const std::string &text)
{
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos)
        return std::string();
    size_t end = text.find_last_not_of(" \t");
    return text.substr(start, end - start + 1);
}

struct FieldMatch {
    int page = -1;
    HWND field = NULL;
    int count = 0;
};

FieldMatch FindField(HostSheet *sheet, const std::string &word)
{
    FieldMatch match;
    for (size_t p = 0; p < sheet->pages.size(); ++p) {
        HostWindow *page = HostLookupWindow(sheet->pages[p].window);
        for (HWND child : page ? page->children : std::vector<HWND>()) {
            const HostWindow *field = HostLookupWindow(child);
            const HostWindow *label = HostIsEditField(field) ? LabelOf(field) : nullptr;
            if (label && LabelHasWord(label->text, word)) {
                match.page = (int)p;
                match.field = child;
                ++match.count;
            }
        }
    }
    return match;
}

void TypeLine(HostSheet *sheet, const ScriptLine &line, const std::string &word, const std::string &text)
{
    FieldMatch match = FindField(sheet, word);
    if (match.count != 1) {
        Report(line, match.count ? "\"" + word + "\" names more than one field"
                                 : "no field is labelled \"" + word + "\"");
        return;
    }
    /* The user goes to the field's page to type into it. */
    if (match.page != sheet->current)
        HostShowSheetPage(sheet, match.page);
    size_t typed = HostSheetTypeInto(sheet, match.field, text.c_str());
    if (typed < text.size()) {
        HostWindow *field = HostLookupWindow(match.field);
        Report(line, "\"" + word + "\" takes " + std::to_string(typed) + " of the " +
                         std::to_string(text.size()) + " characters given: \"" + field->text + "\"");
    }
}

void PageLine(HostSheet *sheet, const ScriptLine &line, const std::string &which)
{
    char *end = nullptr;
    long number = strtol(which.c_str(), &end, 10);
    if (!which.empty() && end && *end == '\0') {
        if (number < 1 || (size_t)number > sheet->pages.size())
            Report(line, "there is no page " + which + " (pages 1 to " + std::to_string(sheet->pages.size()) + ")");
        else
            HostShowSheetPage(sheet, (int)number - 1);
        return;
    }
    for (size_t p = 0; p < sheet->pages.size(); ++p) {
        if (lstrcmpiA(sheet->pages[p].dialogTemplate.caption.c_str(), which.c_str()) == 0) {
            HostShowSheetPage(sheet, (int)p);
            return;
        }
    }
    Report(line, "no page has the tab \"" + which + "\"");
}

void RunLine(HostSheet *sheet, const ScriptLine &line)
{
    std::string hostText = line.text;
    if (!hostText.empty() && hostText.back() == '\r')
        hostText.pop_back();
    /* The script is host text; the sheet types ANSI, whose letters the
     * typing limits count. */
    std::string text;
    std::string command = Trimmed(hostText);
    if (command.empty() || command[0] == '#')
        return;
    if (!HostAnsiFromUtf8(hostText.data(), hostText.size(), &text)) {
        ReportHostText(line, "\"" + command + "\" is not UTF-8 text that code page 1252 can hold");
        return;
    }
    command = Trimmed(text);
    size_t equals = text.find('=');
    if (equals != std::string::npos) {
        std::string name = Trimmed(text.substr(0, equals));
        std::string value = text.substr(equals + 1);
        if (lstrcmpiA(name.c_str(), "page") == 0)
            PageLine(sheet, line, Trimmed(value));
        else if (!name.empty())
            TypeLine(sheet, line, name, value);
        else
            Report(line, "\"" + command + "\" names no field");
        return;
    }
    struct {
        const char *word;
        int button;
    } const buttons[] = { { "ok", IDOK }, { "cancel", IDCANCEL }, { "apply", HOST_SHEET_APPLY_ID } };
    for (const auto &button : buttons) {
        if (lstrcmpiA(command.c_str(), button.word) == 0) {
            if (!HostPressSheetButton(sheet, button.button))
                Report(line, "the " + command + " button is disabled");
            return;
        }
    }
    Report(line, "\"" + command + "\" is not understood (NAME=TEXT, page=N, ok, cancel, apply)");
}

bool NextLine(FILE *input, const char **scriptText, std::string *line)
{
    line->clear();
    if (input) {
        int c;
        while ((c = fgetc(input)) != EOF && c != '\n')
            line->push_back((char)c);
        return c != EOF || !line->empty();
    }
    const char *text = *scriptText;
    if (!text || !*text)
        return false;
    const char *end = strchr(text, '\n');
    size_t length = end ? (size_t)(end - text) : strlen(text);
    line->assign(text, length);
    *scriptText = end ? end + 1 : text + length;
    return true;
}

} // namespace

void HostRunSheetScript(HostSheet *sheet, FILE *input, const char *scriptText)
{
    ScriptLine line{ 0, std::string() };
    while (sheet->state == HOST_SHEET_OPEN && NextLine(input, &scriptText, &line.text)) {
        ++line.number;
        RunLine(sheet, line);
        HostOpenSheet(sheet->window); /* handles what the line posted */
    }
}
