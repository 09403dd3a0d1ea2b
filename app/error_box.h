/* The start-up error box. */
#ifndef TOVRIK_APP_ERROR_BOX_H
#define TOVRIK_APP_ERROR_BOX_H

#include <windows.h>

/* Shows the string-table text of textId, with the title as caption and no
 * owner. Returns 1 when the text was found, 0 when "Unknown error" stood in. */
int ShowErrorBox(WORD textId);

#endif /* TOVRIK_APP_ERROR_BOX_H */
