# Cross build of the Windows target with Debian's MinGW-w64 i686 compilers.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake)
