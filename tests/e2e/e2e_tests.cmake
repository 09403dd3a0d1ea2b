# End-to-end tests: the scenario table run against the host program and
# against each Windows build of tovrik.exe under its own Wine, and the
# make-up of each tovrik.exe. Tests of the Windows builds carry the label
# "windows": nothing of the host build runs in them.
# The image test reads PE files with Debian's python3-pefile, which only the
# system's own Python has; a Python first on PATH (pyenv, a virtualenv) may not.
if(NOT DEFINED Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
  set(Python3_EXECUTABLE /usr/bin/python3)
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(e2e_dir ${CMAKE_SOURCE_DIR}/tests/e2e)
set(e2e_out ${CMAKE_BINARY_DIR}/e2e)

add_test(NAME e2e_host
  COMMAND Python3::Interpreter ${e2e_dir}/test_scenarios.py host
          --program $<TARGET_FILE:tovrik> --client $<TARGET_FILE:stand_in_client>
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(e2e_host PROPERTIES LABELS "e2e;host" TIMEOUT 300)

set(TOVRIK_E2E_SCREENSHOTS "${e2e_out}/screenshots" CACHE PATH
    "Where the Wine tests save their pictures of the settings sheet")
set(TOVRIK_WINE32 /usr/lib/wine/wine CACHE FILEPATH "The 32-bit Wine loader")
set(TOVRIK_WINE64 /usr/lib/wine/wine64 CACHE FILEPATH "The 64-bit Wine loader")
set(TOVRIK_WIN32_EXE "${CMAKE_SOURCE_DIR}/build/win32/tovrik.exe" CACHE FILEPATH
    "The 32-bit Windows build of tovrik.exe")
set(TOVRIK_WIN64_EXE "${CMAKE_SOURCE_DIR}/build/win64/tovrik.exe" CACHE FILEPATH
    "The 64-bit Windows build of tovrik.exe")

# The tests of one Windows build: its image, and the scenarios under the
# Wine of its width, with a stand-in client and a sheet probe built for it.
function(add_windows_build_tests bits mingw_prefix exe wine)
  add_test(NAME e2e_win${bits}_image
    COMMAND Python3::Interpreter ${e2e_dir}/test_pe_image.py --exe ${exe} --bits ${bits}
            --res ${CMAKE_BINARY_DIR}/tovrik.res)
  set_tests_properties(e2e_win${bits}_image PROPERTIES LABELS "e2e;windows" TIMEOUT 60)

  find_program(mingw_cc_${bits} ${mingw_prefix}-gcc)
  if(NOT mingw_cc_${bits})
    message(WARNING "${mingw_prefix}-gcc not found: the ${bits}-bit Wine test is left out "
                    "(scripts/install-deps all installs it)")
    return()
  endif()
  set(out ${e2e_out}/win${bits})
  set(programs)
  foreach(program stand_in_client sheet_probe)
    set(output ${out}/${program}.exe)
    set(flags -Wall -Wextra -Os -s)
    if(TOVRIK_WERROR)
      list(APPEND flags -Werror)
    endif()
    if(program STREQUAL stand_in_client)
      list(APPEND flags -mwindows)
    endif()
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
      COMMAND ${mingw_cc_${bits}} ${flags} -o ${output} ${e2e_dir}/win32/${program}.c
      DEPENDS ${e2e_dir}/win32/${program}.c
      COMMENT "Building the ${bits}-bit Windows ${program} for the end-to-end tests")
    list(APPEND programs ${output})
  endforeach()
  add_custom_target(e2e_win${bits}_programs ALL DEPENDS ${programs})

  add_test(NAME e2e_wine${bits}
    COMMAND Python3::Interpreter ${e2e_dir}/test_scenarios.py wine --wine ${wine} --bits ${bits}
            --program ${exe} --client ${out}/stand_in_client.exe --probe ${out}/sheet_probe.exe
            --screenshots ${TOVRIK_E2E_SCREENSHOTS}/win${bits}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  # Exit code 77: this machine cannot run programs of this width at all.
  set_tests_properties(e2e_wine${bits} PROPERTIES LABELS "e2e;wine;windows" TIMEOUT 600
                       SKIP_RETURN_CODE 77)
endfunction()

add_windows_build_tests(32 i686-w64-mingw32 ${TOVRIK_WIN32_EXE} ${TOVRIK_WINE32})
add_windows_build_tests(64 x86_64-w64-mingw32 ${TOVRIK_WIN64_EXE} ${TOVRIK_WINE64})

# The host program with a Windows client in a 64-bit prefix, which it starts
# through Wine: 64-bit, so that it runs wherever Wine does.
if(TARGET e2e_win64_programs)
  add_test(NAME e2e_host_wine64
    COMMAND Python3::Interpreter ${e2e_dir}/test_scenarios.py host-wine --wine ${TOVRIK_WINE64} --bits 64
            --program $<TARGET_FILE:tovrik> --client ${e2e_out}/win64/stand_in_client.exe
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e_host_wine64 PROPERTIES LABELS "e2e;host;wine" TIMEOUT 600 SKIP_RETURN_CODE 77)
endif()

# The host layer's conformance tables, built for x86-64 Windows in
# build/conformance-win64 (tests/conformance/CMakeLists.txt) and run against
# the platform under 64-bit Wine; the host suite runs the same tables
# against the layer.
set(TOVRIK_CONFORMANCE_WIN64_EXE "${CMAKE_SOURCE_DIR}/build/conformance-win64/conformance_tests.exe"
    CACHE FILEPATH "The conformance tables built for 64-bit Windows")
add_test(NAME conformance_wine64
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/conformance/run_under_wine.py
          --wine ${TOVRIK_WINE64} --exe ${TOVRIK_CONFORMANCE_WIN64_EXE}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(conformance_wine64 PROPERTIES LABELS "conformance;wine;windows" TIMEOUT 900)
