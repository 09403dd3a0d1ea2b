// The ground the conformance tables stand on, built twice: over the host
// layer (fixture_host.cpp) and over the platform itself, run under 64-bit
// Wine (fixture_windows.cpp). Each test starts with HKEY_CURRENT_USER as it
// was and an empty drive; the tables call only what <windows.h> declares.
#ifndef TOVRIK_TESTS_CONFORMANCE_FIXTURE_H
#define TOVRIK_TESTS_CONFORMANCE_FIXTURE_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef _WIN32
class ConformanceBase : public ::testing::Test {};
#else
// The host's fresh process: a private registry file and drive C: folder,
// laid out by the drive tree helpers of the host's own tests.
#include "host/find_file_tree.h"
using ConformanceBase = DriveTreeTest;
#endif

// Where the layer and Wine are known to part, and why. A row that names one
// expects Wine's result under Wine and the layer's on the host; the same
// words stand at the declaration in host/include/windows.h.
struct Difference {
    const char *name;
    const char *reason;
};

// Every name of a listing, in order, as "NAME 0xWORD" or the bare name;
// empty when FindFirstFileA fails. The end must be 18 and the close good.
std::vector<std::string> ListNames(const std::string &pattern, bool withWords);

// True in the build that runs against the platform.
extern const bool kOnPlatform;

// The expectation of a row: `layer` on the host, `platform` under Wine when
// the row names a difference, else the one value for both.
template <class T> const T &Expect(const T &layer, const T &platform, const Difference *difference)
{
    return difference && kOnPlatform ? platform : layer;
}

class ConformanceTest : public ConformanceBase {
protected:
    void SetUp() override;
    void TearDown() override;

    // `relative` (names joined by '\') on the test's own empty drive:
    // "X:\relative". At("") is the drive root "X:\".
    std::string At(const std::string &relative) const;
    // A drive letter that maps to nothing.
    static std::string UnmappedDrive() { return "Q:"; }

    // Lay out the drive on its Linux side, where the platform's facts were
    // seen: paths relative to the drive root, names joined by '/', in the
    // bytes Linux keeps (UTF-8, or not). Links point where `linuxTarget`
    // says, relative to the link's folder.
    void Folder(const std::string &relative);
    void File(const std::string &relative);
    void Link(const std::string &relative, const std::string &linuxTarget);
    void Mode(const std::string &relative, unsigned mode);
    // Writes user.DOSATTRIB as Wine does; false where the file system keeps
    // no user extended attributes.
    bool DosAttrib(const std::string &relative, const char *text);

    // Every name of a listing, in order, as "NAME 0xWORD" or the bare name;
    // empty when FindFirstFileA fails.
    std::vector<std::string> List(const std::string &pattern, bool withWords = false);

    // Imports REGEDIT4 text as the platform's registry editor does, in
    // place of the keys the test added (on the host: the text becomes the
    // registry file, read as the editor would import it). False when the
    // import could not be made at all.
    bool ImportRegistryText(const std::string &text);
};

#endif // TOVRIK_TESTS_CONFORMANCE_FIXTURE_H
