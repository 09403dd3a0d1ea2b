// The built program run as a user would run it: copies of it under names
// of their own, its own drive C: and registry file, a script, nothing or a
// terminal on its standard input, and, where a test needs file modes to
// bite, run as an ordinary user when the tests run as root.
#ifndef TOVRIK_TESTS_SUPPORT_PROGRAM_FIXTURE_H
#define TOVRIK_TESTS_SUPPORT_PROGRAM_FIXTURE_H

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/product_fixture.h"

class ProgramTest : public ProductTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Whether file modes stop the program: as root they do only when it is
    // run as an ordinary user.
    static bool ModesBite();

    struct Options {
        const char *script = nullptr;  // standard input; nullptr: see below
        bool closedInput = false;      // with no script: closed, not /dev/null
        bool asOrdinaryUser = false;   // when the tests run as root
        std::string registry;          // "" for RegistryFile()
        std::string terminal;          // a terminal for all three streams
        std::vector<std::string> environment; // NAME=VALUE settings of its own
    };
    // Starts the copy named `copy` (made on first use) in a process group
    // of its own and returns the id of that group. The group's leader
    // stays out of the way of SIGTERM, SIGINT and SIGHUP sent to the group.
    pid_t Start(const std::string &copy, const Options &options);
    // The exit code, or 128 + the signal that ended it, once the program
    // and every client that it started have ended.
    int Wait(pid_t group);
    // The same without waiting: false while the group is still running.
    bool Ended(pid_t group, int *code);
    int Run(const std::string &copy, const Options &options) { return Wait(Start(copy, options)); }

    // What the latest run of `copy` wrote to its standard error, when it
    // had no terminal.
    std::string Errors(const std::string &copy) const { return ReadFile("stderr." + copy); }
    // What the stand-in client logged: one command line per start.
    std::string ClientLog() const { return ReadFile("client.log"); }
    // The logged command lines, once `count` have come or a few seconds
    // have passed.
    std::vector<std::string> ClientLines(size_t count) const;
    // The arguments the stand-in client was last started with, after its
    // own name, one a line.
    std::string ClientArguments() const { return ReadFile("client.argv"); }
    // Puts the stand-in client on drive C: at `relative` ('/' between names).
    void PlaceClient(const std::string &relative) const;
    // Writes the registry file by hand: copy STOCKS with the screen name
    // Reader7 and, unless empty, this keyword and the shared client path.
    void StoreSettings(const std::string &keyword, const std::string &path) const;

    // A short wait between looks at something another process does.
    static void Pause();

private:
    std::vector<pid_t> running_;
};

#endif // TOVRIK_TESTS_SUPPORT_PROGRAM_FIXTURE_H
