/* Reading a compiled dialog template (DLGTEMPLATE and its DLGITEMTEMPLATEs,
 * not the extended form) into plain fields: the property sheet builds its
 * pages from it, and tests hold the program's templates (HostFindResourceData)
 * against their layout with it. */
#ifndef TOVRIK_HOST_CONTROL_DIALOG_TEMPLATE_CONTROL_H
#define TOVRIK_HOST_CONTROL_DIALOG_TEMPLATE_CONTROL_H

#include <windows.h>

#include <string>
#include <vector>

/* The predefined classes that a template names by atom, spelled as the
 * platform's class names are. */
#define HOST_DIALOG_CLASS "#32770"

struct HostDialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int id = -1;                 /* 0xFFFF reads as -1 */
    std::string className;       /* "Button", "Edit", "Static", ... or the name given */
    std::string text;            /* ANSI; empty when the title is an ordinal */
    bool textIsOrdinal = false;
    WORD textOrdinal = 0;
    std::vector<BYTE> creationData;
};

struct HostDialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    bool hasMenu = false;
    std::string className;       /* empty: the platform's dialog class */
    std::string caption;
    bool hasFont = false;
    WORD pointSize = 0;
    std::string typeface;
    std::vector<HostDialogItem> items;
};

/* Parses `size` bytes. FALSE when the data is an extended template or ends
 * before the template does; nothing outside the data is read. */
bool HostParseDialogTemplate(const BYTE *data, size_t size, HostDialogTemplate *dialog);

#endif /* TOVRIK_HOST_CONTROL_DIALOG_TEMPLATE_CONTROL_H */
