// The per-test fresh process of product_fixture.h.
#include "support/product_fixture.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

void ProductTest::SetUp()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tovrik-test-XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(&pattern[0]));
    folder_ = pattern;
    ASSERT_EQ(0, mkdir(DriveC().c_str(), 0700));

    HostResetLayer();
    g_app = AppState{};
    HostSetRegistryFile(RegistryFile().c_str());
    HostSetDriveC(DriveC().c_str());
    HostSetUserName("tester");
    HostCaptureProcessStarts(TRUE, 33);
    HostSetModuleFileName("C:\\LINKS\\STOCKS.EXE");
}

void ProductTest::TearDown()
{
    HostResetLayer();
    g_app = AppState{};
    GiveBackFolderModes(folder_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void ProductTest::GiveBackFolderModes(const std::string &folder)
{
    namespace fs = std::filesystem;
    std::error_code ignored;
    chmod(folder.c_str(), 0755);
    /* Each folder is visited before the walk goes into it. */
    for (auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        /* Links are left alone: a mode set through one lands on its target,
         * which may be the built program. */
        if (!it->is_symlink(ignored) && it->is_directory(ignored))
            chmod(it->path().c_str(), 0755);
    }
}

void ProductTest::WriteFile(const std::string &relativePath, const std::string &text) const
{
    std::filesystem::path path = folder_ + "/" + relativePath;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string ProductTest::ReadFile(const std::string &relativePath) const
{
    std::ifstream in(folder_ + "/" + relativePath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ProductTest::OnlyStartedCommandLine() const
{
    EXPECT_EQ(1, HostStartedProcessCount());
    const HostStartedProcess *started = HostStartedProcessAt(0);
    return started ? started->commandLine : "";
}
