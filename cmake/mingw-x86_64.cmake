# Cross build of the Windows target for x86-64 with Debian's MinGW-w64
# compilers: the same program for 64-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake)
