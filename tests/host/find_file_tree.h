// Small drive C: trees for the find-file and client search tests: folders,
// files, links, modes and DOS attributes laid out by the real mechanisms.
#ifndef TOVRIK_TESTS_HOST_FIND_FILE_TREE_H
#define TOVRIK_TESTS_HOST_FIND_FILE_TREE_H

#include <string>
#include <vector>

#include "support/product_fixture.h"

class DriveTreeTest : public ProductTest {
protected:
    // Paths are relative to drive C:, with '/' between names.
    std::string OnDrive(const std::string &relative) const { return DriveC() + "/" + relative; }
    void Folder(const std::string &relative) const;
    void File(const std::string &relative) const;
    void Link(const std::string &relative, const std::string &target) const;
    void Mode(const std::string &relative, unsigned mode) const;
    // Writes user.DOSATTRIB as Wine does; false where the file system has
    // no user extended attributes.
    bool DosAttrib(const std::string &relative, const char *text) const;
    // Every name of a listing, in order, as "NAME 0xWORD" or the bare name.
    std::vector<std::string> List(const char *dosPattern, bool withWords = false) const;
    // Descriptors this process holds.
    static int OpenDescriptors();
};

#endif // TOVRIK_TESTS_HOST_FIND_FILE_TREE_H
