/* The settings of a copy in the registry of the current user. Each setting
 * is the default value of a subkey: the copy's "Name" and "Keyword" under
 * "America Online\<copy>", and the client "Path" shared under
 * "America Online". */
#ifndef TOVRIK_SHORTCUT_SETTINGS_STORE_H
#define TOVRIK_SHORTCUT_SETTINGS_STORE_H

/* Fills the settings; a screen name never stored becomes the Windows user
 * name when that fits, and a missing client path is searched for on C:.
 * Always returns 1. */
int LoadSettings(void);

/* Writes all three settings, creating the keys when they are missing.
 * Always returns 1: a failed write is not reported. */
int SaveSettings(void);

#endif /* TOVRIK_SHORTCUT_SETTINGS_STORE_H */
