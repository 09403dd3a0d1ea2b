# The x86-64 cross build of cmake/mingw-x86_64.cmake with Debian's POSIX
# threads variant of the compiler: GoogleTest needs std::mutex, which the
# default Win32 threads variant lacks.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/mingw-x86_64.cmake)
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
