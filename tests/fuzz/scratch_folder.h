// A private temporary folder for fuzz targets that need files: made once per
// process below TOVRIK_FUZZ_SCRATCH, else in memory where the machine allows,
// and removed at exit.
#ifndef TOVRIK_TESTS_FUZZ_SCRATCH_FOLDER_H
#define TOVRIK_TESTS_FUZZ_SCRATCH_FOLDER_H

#include <string>

// The folder for `purpose` (a word that goes into its name).
const std::string &ScratchFolder(const char *purpose);

#endif // TOVRIK_TESTS_FUZZ_SCRATCH_FOLDER_H
