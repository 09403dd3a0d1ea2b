// Texts with letters outside ASCII, as the host side spells them (UTF-8)
// and as the program holds them (code page 1252), for the tests of every
// place where text crosses between the two.
#ifndef TOVRIK_TESTS_SUPPORT_HOST_TEXTS_H
#define TOVRIK_TESTS_SUPPORT_HOST_TEXTS_H

struct HostText {
    const char *utf8;
    const char *ansi; // nullptr: code page 1252 has no form for it
};

inline const HostText kHostTexts[] = {
    { "Jos\xC3\xA9", "Jos\xE9" },                // José
    { "Caf\xC3\xA9", "Caf\xE9" },                // Café
    { "Fran\xC3\xA7" "ais", "Fran\xE7" "ais" },  // Français
    { "\xE2\x82\xAC", "\x80" },                  // the euro sign
    { "\xE2\x80\x99", "\x92" },                  // the right single quote
    { "\xC5\x81" "odz", nullptr },               // Lodz with a stroked L
};

#endif // TOVRIK_TESTS_SUPPORT_HOST_TEXTS_H
