// The conformance fixture over the host layer: drive C: and the registry
// file of ProductTest, the drive laid out by DriveTreeTest.
#include "conformance/fixture.h"

const bool kOnPlatform = false;

void ConformanceTest::SetUp()
{
    ConformanceBase::SetUp();
    // The platform looks at every file; the layer's quick listing does not.
    HostSetFindFileDetail(TRUE);
}

void ConformanceTest::TearDown()
{
    ConformanceBase::TearDown();
}

std::string ConformanceTest::At(const std::string &relative) const
{
    return "C:\\" + relative;
}

void ConformanceTest::Folder(const std::string &relative)
{
    DriveTreeTest::Folder(relative);
}

void ConformanceTest::File(const std::string &relative)
{
    DriveTreeTest::File(relative);
}

void ConformanceTest::Link(const std::string &relative, const std::string &linuxTarget)
{
    DriveTreeTest::Link(relative, linuxTarget);
}

void ConformanceTest::Mode(const std::string &relative, unsigned mode)
{
    DriveTreeTest::Mode(relative, mode);
}

bool ConformanceTest::DosAttrib(const std::string &relative, const char *text)
{
    return DriveTreeTest::DosAttrib(relative, text);
}

bool ConformanceTest::ImportRegistryText(const std::string &text)
{
    WriteFile("user.reg", text);
    return true;
}
