// The conformance fixture over the host layer: drive C: and the registry
// file of ProductTest.
#include "conformance/fixture.h"

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

const bool kOnPlatform = false;

void ConformanceTest::SetUp()
{
    ProductTest::SetUp();
    // The platform looks at every file; the layer's quick listing does not.
    HostSetFindFileDetail(TRUE);
}

void ConformanceTest::TearDown()
{
    ProductTest::TearDown();
}

std::string ConformanceTest::At(const std::string &relative) const
{
    return "C:\\" + relative;
}

void ConformanceTest::Folder(const std::string &relative)
{
    std::filesystem::create_directories(DriveC() + "/" + relative);
}

void ConformanceTest::File(const std::string &relative)
{
    std::filesystem::path path = DriveC() + "/" + relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << "MZ";
    ASSERT_TRUE(std::filesystem::exists(path)) << relative;
}

void ConformanceTest::Link(const std::string &relative, const std::string &linuxTarget)
{
    std::filesystem::path path = DriveC() + "/" + relative;
    std::filesystem::create_directories(path.parent_path());
    ASSERT_EQ(0, symlink(linuxTarget.c_str(), path.c_str())) << relative;
}

void ConformanceTest::Mode(const std::string &relative, unsigned mode)
{
    ASSERT_EQ(0, chmod((DriveC() + "/" + relative).c_str(), mode)) << relative;
}

bool ConformanceTest::DosAttrib(const std::string &relative, const char *text)
{
    std::string path = DriveC() + "/" + relative;
    return setxattr(path.c_str(), "user.DOSATTRIB", text, strlen(text), 0) == 0;
}

bool ConformanceTest::ImportRegistryText(const std::string &text)
{
    WriteFile("user.reg", text);
    return true;
}
