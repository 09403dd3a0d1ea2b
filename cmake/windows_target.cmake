# tovrik.exe: a 32-bit GUI program for Windows 4.0 and later, importing only
# from the system's own libraries.
enable_language(RC)

add_compile_options(-Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables)

find_program(TOVRIK_DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)
set(comctl32_import ${CMAKE_BINARY_DIR}/libcomctl32_ordinal.a)
add_custom_command(
  OUTPUT ${comctl32_import}
  COMMAND ${TOVRIK_DLLTOOL} -k -d ${CMAKE_SOURCE_DIR}/cmake/comctl32.def -l ${comctl32_import}
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/comctl32.def
  COMMENT "Import library for COMCTL32 with InitCommonControls by ordinal")
add_custom_target(comctl32_import DEPENDS ${comctl32_import})

add_executable(tovrik WIN32 ${TOVRIK_PRODUCT_SOURCES} ${TOVRIK_RESOURCE_SCRIPT})
add_dependencies(tovrik comctl32_import)
target_include_directories(tovrik PRIVATE ${CMAKE_SOURCE_DIR})
target_link_options(tovrik PRIVATE -s -static-libgcc -Wl,--subsystem,windows:4.0)
target_link_libraries(tovrik PRIVATE ${comctl32_import} advapi32 user32 kernel32)

# Its zip, made by cpack in the build folder.
include(${CMAKE_SOURCE_DIR}/cmake/windows_package.cmake)
