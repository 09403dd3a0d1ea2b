// The tree helpers of find_file_tree.h.
#include "host/find_file_tree.h"

#include "conformance/fixture.h"

#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>

void DriveTreeTest::Folder(const std::string &relative) const
{
    std::filesystem::create_directories(OnDrive(relative));
}

void DriveTreeTest::File(const std::string &relative) const
{
    std::filesystem::path path = OnDrive(relative);
    std::filesystem::create_directories(path.parent_path());
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file) << relative;
    fputs("MZ", file);
    fclose(file);
}

void DriveTreeTest::Link(const std::string &relative, const std::string &target) const
{
    std::filesystem::path path = OnDrive(relative);
    std::filesystem::create_directories(path.parent_path());
    ASSERT_EQ(0, symlink(target.c_str(), path.c_str())) << relative;
}

void DriveTreeTest::Mode(const std::string &relative, unsigned mode) const
{
    ASSERT_EQ(0, chmod(OnDrive(relative).c_str(), mode)) << relative;
}

bool DriveTreeTest::DosAttrib(const std::string &relative, const char *text) const
{
    return setxattr(OnDrive(relative).c_str(), "user.DOSATTRIB", text, strlen(text), 0) == 0;
}

std::vector<std::string> DriveTreeTest::List(const char *dosPattern, bool withWords) const
{
    return ListNames(dosPattern, withWords);
}

int DriveTreeTest::OpenDescriptors()
{
    int count = 0;
    DIR *fds = opendir("/proc/self/fd");
    if (!fds)
        return -1;
    while (readdir(fds))
        ++count;
    closedir(fds);
    return count;
}
