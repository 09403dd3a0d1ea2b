# tovrik.exe: a GUI program for Windows 4.0 and later, importing only from
# the system's own libraries. The 32-bit build is the product; the x86-64
# build is the same program for 64-bit Windows.
enable_language(RC)

find_program(TOVRIK_DLLTOOL NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-dlltool REQUIRED)
set(comctl32_def ${CMAKE_SOURCE_DIR}/cmake/comctl32-${CMAKE_SYSTEM_PROCESSOR}.def)
set(comctl32_import ${CMAKE_BINARY_DIR}/libcomctl32_ordinal.a)
add_custom_command(
  OUTPUT ${comctl32_import}
  COMMAND ${TOVRIK_DLLTOOL} -k -d ${comctl32_def} -l ${comctl32_import}
  DEPENDS ${comctl32_def}
  COMMENT "Import library for COMCTL32 with InitCommonControls by ordinal")
add_custom_target(comctl32_import DEPENDS ${comctl32_import})

add_executable(tovrik WIN32 ${TOVRIK_PRODUCT_SOURCES} ${TOVRIK_RESOURCE_SCRIPT})
add_dependencies(tovrik comctl32_import)
target_include_directories(tovrik PRIVATE ${TOVRIK_PRODUCT_INCLUDE_ROOT})
target_compile_options(tovrik PRIVATE -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables)
# Windows 4.0 for the 32-bit program; the 64-bit one asks for the first
# Windows that ran x86-64 programs, 5.2.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(subsystem_version 5.2)
else()
  set(subsystem_version 4.0)
endif()
target_link_options(tovrik PRIVATE -s -static-libgcc -Wl,--subsystem,windows:${subsystem_version})
target_link_libraries(tovrik PRIVATE ${comctl32_import} advapi32 user32 kernel32)

# Its zip, made by cpack in the build folder.
include(${CMAKE_SOURCE_DIR}/cmake/windows_package.cmake)
