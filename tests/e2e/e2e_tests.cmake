# End-to-end tests: the scenario table run against the host program and
# against tovrik.exe under Wine, and the make-up of tovrik.exe itself.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(TOVRIK_WIN32_EXE "${CMAKE_SOURCE_DIR}/build/win32/tovrik.exe" CACHE FILEPATH
    "The Windows build of tovrik.exe that the Wine tests run")
set(e2e_dir ${CMAKE_SOURCE_DIR}/tests/e2e)
set(e2e_out ${CMAKE_BINARY_DIR}/e2e)

add_test(NAME e2e_host
  COMMAND Python3::Interpreter ${e2e_dir}/test_scenarios.py host
          --program $<TARGET_FILE:tovrik> --client $<TARGET_FILE:stand_in_client>
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(e2e_host PROPERTIES LABELS "e2e;host" TIMEOUT 300)

add_test(NAME e2e_win32_image
  COMMAND Python3::Interpreter ${e2e_dir}/test_pe_image.py --exe ${TOVRIK_WIN32_EXE})
set_tests_properties(e2e_win32_image PROPERTIES LABELS "e2e;win32" TIMEOUT 60)

# The Windows side of the scenarios needs two small programs of its own:
# the stand-in client and a probe that reads the sheet's controls.
find_program(TOVRIK_MINGW_CC i686-w64-mingw32-gcc)
if(NOT TOVRIK_MINGW_CC)
  message(WARNING "i686-w64-mingw32-gcc not found: the Wine end-to-end test is left out "
                  "(scripts/install-deps all installs it)")
  return()
endif()

set(e2e_win32_programs)
foreach(program stand_in_client sheet_probe)
  set(output ${e2e_out}/${program}.exe)
  set(flags -Wall -Wextra -Werror -Os -s)
  if(program STREQUAL stand_in_client)
    list(APPEND flags -mwindows)
  endif()
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${e2e_out}
    COMMAND ${TOVRIK_MINGW_CC} ${flags} -o ${output} ${e2e_dir}/win32/${program}.c
    DEPENDS ${e2e_dir}/win32/${program}.c
    COMMENT "Building the Windows ${program} for the end-to-end tests")
  list(APPEND e2e_win32_programs ${output})
endforeach()
add_custom_target(e2e_win32_programs ALL DEPENDS ${e2e_win32_programs})

set(TOVRIK_E2E_SCREENSHOTS "${e2e_out}/screenshots" CACHE PATH
    "Where the Wine test saves its pictures of the settings sheet")
add_test(NAME e2e_wine
  COMMAND Python3::Interpreter ${e2e_dir}/test_scenarios.py wine
          --program ${TOVRIK_WIN32_EXE} --client ${e2e_out}/stand_in_client.exe
          --probe ${e2e_out}/sheet_probe.exe --screenshots ${TOVRIK_E2E_SCREENSHOTS}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(e2e_wine PROPERTIES LABELS "e2e;wine;win32" TIMEOUT 600)
