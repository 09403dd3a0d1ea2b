# The host target: the product code on the Win32 subset in host/, the
# program itself, its tests and its benchmarks.
option(TOVRIK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(TOVRIK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# The resource script, compiled as on Windows, embedded for the layer to read.
find_program(TOVRIK_LLVM_RC NAMES llvm-rc llvm-rc-16 llvm-rc-15 llvm-rc-14 REQUIRED)
set(compiled_resources ${CMAKE_BINARY_DIR}/tovrik.res)
set(embedded_resources ${CMAKE_BINARY_DIR}/embedded_resources.cpp)
# llvm-rc reads a leading slash as an option switch, so an absolute script
# path under /D..., /U... or /I... would vanish: name the script from its folder.
get_filename_component(resource_script_folder ${TOVRIK_RESOURCE_SCRIPT} DIRECTORY)
get_filename_component(resource_script_name ${TOVRIK_RESOURCE_SCRIPT} NAME)
add_custom_command(
  OUTPUT ${compiled_resources}
  COMMAND ${TOVRIK_LLVM_RC} /I ${CMAKE_SOURCE_DIR}/host/include /I ${resource_script_folder}
          /FO ${compiled_resources} ${resource_script_name}
  WORKING_DIRECTORY ${resource_script_folder}
  DEPENDS ${TOVRIK_RESOURCE_INPUTS}
  COMMENT "Compiling the resource script")
add_custom_command(
  OUTPUT ${embedded_resources}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${compiled_resources} -DOUTPUT=${embedded_resources}
          -DSYMBOL=kEmbeddedResources -P ${CMAKE_SOURCE_DIR}/cmake/embed_file.cmake
  DEPENDS ${compiled_resources} ${CMAKE_SOURCE_DIR}/cmake/embed_file.cmake
  COMMENT "Embedding the compiled resources")

# The form reads and shows characters, not bytes: the wide-character curses.
set(CURSES_NEED_NCURSES TRUE)
set(CURSES_NEED_WIDE TRUE)
find_package(Curses REQUIRED)
# The program starts on every click of a shortcut: it carries curses and the
# C++ runtime in itself rather than having the loader find them each time.
find_library(TOVRIK_STATIC_NCURSESW NAMES libncursesw.a)
find_library(TOVRIK_STATIC_TINFO NAMES libtinfo.a)
if(TOVRIK_STATIC_NCURSESW AND TOVRIK_STATIC_TINFO AND NOT TOVRIK_SANITIZE)
  set(TOVRIK_CURSES_LIBRARIES ${TOVRIK_STATIC_NCURSESW} ${TOVRIK_STATIC_TINFO})
else()
  set(TOVRIK_CURSES_LIBRARIES ${CURSES_LIBRARIES})
endif()

# The layer: product code sees its include/ only. Its areas' sources and
# curses stay its own; the controls are a target of their own, for tests,
# benchmarks and the host's start-up.
file(GLOB host_layer_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/src/*.cpp)
list(REMOVE_ITEM host_layer_sources ${CMAKE_SOURCE_DIR}/host/src/entry.cpp)
add_library(tovrik_host STATIC ${host_layer_sources} ${embedded_resources})
target_include_directories(tovrik_host
  PUBLIC ${CMAKE_SOURCE_DIR}/host/include
  PRIVATE ${CMAKE_SOURCE_DIR}/host/control ${CURSES_INCLUDE_DIRS})
target_link_libraries(tovrik_host PRIVATE ${TOVRIK_CURSES_LIBRARIES})

add_library(tovrik_host_control INTERFACE)
target_include_directories(tovrik_host_control INTERFACE ${CMAKE_SOURCE_DIR}/host/control)
target_link_libraries(tovrik_host_control INTERFACE tovrik_host)

# The layer's own parts, for the fuzz targets that take one of its readers
# apart on its own (tests/fuzz/fuzz_tests.cmake names them); nothing else.
add_library(tovrik_host_parts INTERFACE)
target_include_directories(tovrik_host_parts INTERFACE ${CMAKE_SOURCE_DIR}/host/src)
target_link_libraries(tovrik_host_parts INTERFACE tovrik_host_control)

add_library(tovrik_product STATIC ${TOVRIK_PRODUCT_SOURCES})
target_include_directories(tovrik_product PUBLIC ${TOVRIK_PRODUCT_INCLUDE_ROOT})
# Product code sees the platform's headers only: the layer's include/ folder.
target_include_directories(tovrik_product SYSTEM PUBLIC ${CMAKE_SOURCE_DIR}/host/include)
target_link_libraries(tovrik_product PUBLIC tovrik_host)

add_executable(tovrik ${CMAKE_SOURCE_DIR}/host/src/entry.cpp)
target_link_libraries(tovrik PRIVATE tovrik_product tovrik_host_control)
# How the program is linked; the benchmarks' starters are linked alike, so
# that they pay the same start-up. Debian's hardening makes the whole global
# offset table read-only once loaded: with curses and the C++ runtime linked
# in, few symbols are bound at start.
set(TOVRIK_PROGRAM_LINK_OPTIONS -Wl,-z,relro -Wl,-z,now)
if(NOT TOVRIK_SANITIZE)
  list(APPEND TOVRIK_PROGRAM_LINK_OPTIONS -static-libstdc++ -static-libgcc)
endif()
target_link_options(tovrik PRIVATE ${TOVRIK_PROGRAM_LINK_OPTIONS})

# A stand-in for the client program: records the command line it was given.
add_executable(stand_in_client ${CMAKE_SOURCE_DIR}/tools/stand_in_client.cpp)

include(CTest)
if(BUILD_TESTING)
  find_package(GTest REQUIRED)
  include(GoogleTest)
  file(GLOB_RECURSE test_sources CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/tests/app/*.cpp
    ${CMAKE_SOURCE_DIR}/tests/shortcut/*.cpp
    ${CMAKE_SOURCE_DIR}/tests/sheet/*.cpp
    ${CMAKE_SOURCE_DIR}/tests/locator/*.cpp
    ${CMAKE_SOURCE_DIR}/tests/host/*.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/*.cpp
    ${CMAKE_SOURCE_DIR}/tests/hardening/*.cpp
    ${CMAKE_SOURCE_DIR}/tests/conformance/*_test.cpp)
  # The conformance tables over the layer; tests/conformance builds them
  # over the platform too, with fixture_windows.cpp.
  list(APPEND test_sources
    ${CMAKE_SOURCE_DIR}/tests/conformance/fixture.cpp
    ${CMAKE_SOURCE_DIR}/tests/conformance/fixture_host.cpp)
  add_executable(tovrik_tests ${test_sources})
  target_include_directories(tovrik_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(tovrik_tests PRIVATE tovrik_product tovrik_host_control GTest::gtest GTest::gtest_main)
  target_compile_definitions(tovrik_tests PRIVATE
    TOVRIK_HOST_BINARY="$<TARGET_FILE:tovrik>"
    TOVRIK_STAND_IN_CLIENT="$<TARGET_FILE:stand_in_client>")
  add_dependencies(tovrik_tests tovrik stand_in_client)
  # Rows of a table carry names of their own: no values after them.
  gtest_discover_tests(tovrik_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
endif()

# Benchmarks: each bench/*.cpp is a program of its own that prints figures.
file(GLOB bench_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
foreach(source ${bench_sources})
  get_filename_component(name ${source} NAME_WE)
  add_executable(bench_${name} ${source})
  target_link_libraries(bench_${name} PRIVATE tovrik_product tovrik_host_control)
  target_link_options(bench_${name} PRIVATE ${TOVRIK_PROGRAM_LINK_OPTIONS})
  target_compile_definitions(bench_${name} PRIVATE
    TOVRIK_HOST_BINARY="$<TARGET_FILE:tovrik>"
    TOVRIK_STAND_IN_CLIENT="$<TARGET_FILE:stand_in_client>")
endforeach()

# Install rules and the Debian package.
include(${CMAKE_SOURCE_DIR}/cmake/host_package.cmake)

# End-to-end tests of both targets, fuzz targets, and the tests of what the
# packages carry, each in its own file.
if(BUILD_TESTING)
  include(${CMAKE_SOURCE_DIR}/tests/e2e/e2e_tests.cmake OPTIONAL)
  include(${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_tests.cmake OPTIONAL)
  include(${CMAKE_SOURCE_DIR}/tests/packages/packages_tests.cmake OPTIONAL)
endif()
