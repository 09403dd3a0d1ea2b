// What a fuzz target built alone for libFuzzer needs around it: a finding
// ends the process, which libFuzzer reports with the input that caused it.
#include <stdio.h>
#include <stdlib.h>

#include "fuzz/fuzz_target.h"

FuzzTargetRegistration::FuzzTargetRegistration(const char *, FuzzEntry) {}

void FuzzCheck(bool holds, const char *what)
{
    if (holds)
        return;
    fprintf(stderr, "fuzz finding: %s\n", what);
    abort();
}
