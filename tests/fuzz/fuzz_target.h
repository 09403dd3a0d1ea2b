// One entry point per fuzz target. Built alone with TOVRIK_LIBFUZZER, a
// target is libFuzzer's entry; built into the test binary, it is a named
// function that the corpus replay finds by its folder name.
#ifndef TOVRIK_TESTS_FUZZ_FUZZ_TARGET_H
#define TOVRIK_TESTS_FUZZ_FUZZ_TARGET_H

#include <stddef.h>
#include <stdint.h>

typedef int (*FuzzEntry)(const uint8_t *data, size_t size);

// Records a target under the name of its corpus folder.
struct FuzzTargetRegistration {
    FuzzTargetRegistration(const char *name, FuzzEntry entry);
};

// Ends the process with a message when `holds` is false: a finding.
void FuzzCheck(bool holds, const char *what);

#ifdef TOVRIK_LIBFUZZER
#define TOVRIK_FUZZ_TARGET(name) extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
#else
#define TOVRIK_FUZZ_TARGET(name)                                                          \
    static int Fuzz_##name(const uint8_t *data, size_t size);                              \
    static const FuzzTargetRegistration g_register_##name(#name, Fuzz_##name);             \
    static int Fuzz_##name(const uint8_t *data, size_t size)
#endif

#endif // TOVRIK_TESTS_FUZZ_FUZZ_TARGET_H
