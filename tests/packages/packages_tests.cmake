# The manual page, held against the code that it describes.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

add_test(NAME manual_page
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/packages/test_manual_page.py
          --page ${TOVRIK_MANUAL_PAGE} --sources ${CMAKE_SOURCE_DIR}/host/src)
set_tests_properties(manual_page PROPERTIES LABELS "docs;host" TIMEOUT 60)
