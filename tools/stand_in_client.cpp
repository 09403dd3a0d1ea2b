// A stand-in for the client program. It writes the command line it was
// started with, one line, to the file in STAND_IN_CLIENT_LOG (appending),
// or to standard output when that is unset. With STAND_IN_CLIENT_ARGV set,
// it also writes each argument after its own name, one a line, there.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv)
{
    // The host layer hands the whole command line over as the platform
    // would; without it, the arguments are joined.
    const char *line = getenv("HOST_COMMAND_LINE");
    char joined[4096] = "";
    if (!line) {
        for (int i = 0; i < argc; ++i) {
            if (i > 0)
                strncat(joined, " ", sizeof joined - strlen(joined) - 1);
            strncat(joined, argv[i], sizeof joined - strlen(joined) - 1);
        }
        line = joined;
    }
    const char *logPath = getenv("STAND_IN_CLIENT_LOG");
    FILE *out = logPath && *logPath ? fopen(logPath, "a") : stdout;
    if (!out)
        return 1;
    fprintf(out, "%s\n", line);
    if (out != stdout)
        fclose(out);

    const char *argvPath = getenv("STAND_IN_CLIENT_ARGV");
    if (argvPath && *argvPath) {
        FILE *arguments = fopen(argvPath, "w");
        if (!arguments)
            return 1;
        for (int i = 1; i < argc; ++i)
            fprintf(arguments, "%s\n", argv[i]);
        fclose(arguments);
    }
    return 0;
}
