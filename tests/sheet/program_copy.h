// A private folder for runs of the built program: a drive C: holding the
// stand-in client as C:\AOL\WAOL.EXE, a copy of the program under a
// shortcut's name, its registry file and the client's log.
#ifndef TOVRIK_TESTS_SHEET_PROGRAM_COPY_H
#define TOVRIK_TESTS_SHEET_PROGRAM_COPY_H

#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class ProgramCopy {
public:
    // Makes the folder with the program copied in as `copyName`.
    void Make(const char *copyName)
    {
        char pattern[] = "/tmp/tovrik-copy-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        folder_ = pattern;
        std::filesystem::create_directories(folder_ / "drive_c" / "AOL");
        std::filesystem::copy_file(TOVRIK_STAND_IN_CLIENT, folder_ / "drive_c" / "AOL" / "WAOL.EXE");
        std::filesystem::copy_file(TOVRIK_HOST_BINARY, folder_ / copyName);
        program_ = (folder_ / copyName).string();
    }

    void Remove()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    const std::filesystem::path &Folder() const { return folder_; }
    const std::string &Program() const { return program_; }

    // The variables that point a run at this folder, as NAME=VALUE.
    std::vector<std::string> Settings() const
    {
        return {
            "TOVRIK_DRIVE_C=" + (folder_ / "drive_c").string(),
            "TOVRIK_REGISTRY=" + (folder_ / "user.reg").string(),
            "STAND_IN_CLIENT_LOG=" + (folder_ / "client.log").string(),
        };
    }

    std::string Read(const char *name) const
    {
        std::ifstream in(folder_ / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The command lines the client has logged, once `count` have come or
    // a few seconds have passed: it runs on after the shortcut has ended.
    std::vector<std::string> ClientLines(size_t count) const
    {
        std::vector<std::string> lines;
        for (int tries = 0; tries < 100; ++tries) {
            lines.clear();
            std::istringstream log(Read("client.log"));
            for (std::string line; std::getline(log, line);)
                lines.push_back(line);
            if (lines.size() >= count)
                break;
            Pause();
        }
        return lines;
    }

    static void Pause()
    {
        struct timespec pause = { 0, 20 * 1000 * 1000 };
        nanosleep(&pause, nullptr);
    }

private:
    std::filesystem::path folder_;
    std::string program_;
};

#endif // TOVRIK_TESTS_SHEET_PROGRAM_COPY_H
