// A fresh process for each test: the layer reset, the product state
// cleared, a private temporary folder holding the registry file and an
// empty drive C:, and process starts captured rather than made.
#ifndef TOVRIK_TESTS_SUPPORT_PRODUCT_FIXTURE_H
#define TOVRIK_TESTS_SUPPORT_PRODUCT_FIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "app/app_state.h"
#include "host_control.h"

class ProductTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The private folder, its registry file and its drive C: folder.
    const std::string &Folder() const { return folder_; }
    std::string RegistryFile() const { return folder_ + "/user.reg"; }
    std::string DriveC() const { return folder_ + "/drive_c"; }

    // Writes `text` to a file below the private folder, making folders.
    void WriteFile(const std::string &relativePath, const std::string &text) const;
    std::string ReadFile(const std::string &relativePath) const;

    // The command line of the only WinExec call so far ("" when none).
    std::string OnlyStartedCommandLine() const;

    // Gives `folder` and every folder below it back the modes to be walked
    // and removed, whatever modes a test took away.
    static void GiveBackFolderModes(const std::string &folder);

private:
    std::string folder_;
};

#endif // TOVRIK_TESTS_SUPPORT_PRODUCT_FIXTURE_H
