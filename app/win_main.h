/* Start-up: from the module's own file name to the settings key. */
#ifndef TOVRIK_APP_WIN_MAIN_H
#define TOVRIK_APP_WIN_MAIN_H

/* Fills the module base name and the settings key path from the module file
 * name. Returns 0, leaving both empty, when the name does not fit: cutting
 * it could name the key of another copy. */
int DeriveSettingsKeyPath(void);

#endif /* TOVRIK_APP_WIN_MAIN_H */
