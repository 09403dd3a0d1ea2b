// Registry values as tests set and check them: the default value of a key
// below HKEY_CURRENT_USER.
#ifndef TOVRIK_TESTS_HOST_REGISTRY_VALUES_H
#define TOVRIK_TESTS_HOST_REGISTRY_VALUES_H

#include <windows.h>

#include <string>

// The text, or "<missing>" when the read fails.
inline std::string StoredText(const std::string &path)
{
    char text[1024];
    LONG size = sizeof text;
    if (RegQueryValueA(HKEY_CURRENT_USER, path.c_str(), text, &size) != ERROR_SUCCESS)
        return "<missing>";
    return std::string(text, size - 1);
}

inline LONG StoreText(const std::string &path, const std::string &text)
{
    return RegSetValueA(HKEY_CURRENT_USER, path.c_str(), REG_SZ, text.c_str(), 0);
}

// Whether every byte of buffer[offset, size) still holds `guard`.
inline bool UntouchedFrom(const char *buffer, size_t size, size_t offset, char guard)
{
    for (size_t i = offset; i < size; ++i) {
        if (buffer[i] != guard)
            return false;
    }
    return true;
}

#endif // TOVRIK_TESTS_HOST_REGISTRY_VALUES_H
