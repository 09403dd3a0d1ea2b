# Fuzz targets. Each targets/*.cpp is a libFuzzer program fuzz_<name> when
# TOVRIK_FUZZ is on (clang only); in every build the test binary replays
# each target's corpus in corpus/<name>/.
option(TOVRIK_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

set(fuzz_dir ${CMAKE_CURRENT_LIST_DIR})
file(GLOB fuzz_target_sources CONFIGURE_DEPENDS ${fuzz_dir}/targets/*.cpp)
set(fuzz_shared_sources ${CMAKE_SOURCE_DIR}/tests/hardening/app_state_guard.cpp ${fuzz_dir}/scratch_folder.cpp)

# The targets that take one of the layer's readers apart on their own; they
# alone see the layer's parts (tovrik_host_parts).
set(fuzz_layer_part_targets registry_file resource_file)
set(fuzz_layer_part_sources)
foreach(name ${fuzz_layer_part_targets})
  list(APPEND fuzz_layer_part_sources ${fuzz_dir}/targets/${name}.cpp)
endforeach()
set(fuzz_product_target_sources ${fuzz_target_sources})
list(REMOVE_ITEM fuzz_product_target_sources ${fuzz_layer_part_sources})

add_library(fuzz_layer_part_replays OBJECT ${fuzz_layer_part_sources})
target_include_directories(fuzz_layer_part_replays PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(fuzz_layer_part_replays PRIVATE tovrik_product tovrik_host_parts)
target_sources(tovrik_tests PRIVATE ${fuzz_product_target_sources} $<TARGET_OBJECTS:fuzz_layer_part_replays>
  ${fuzz_dir}/corpus_replay_test.cpp ${fuzz_dir}/scratch_folder.cpp)
target_compile_definitions(tovrik_tests PRIVATE TOVRIK_FUZZ_CORPUS="${fuzz_dir}/corpus")

if(TOVRIK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TOVRIK_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  # Coverage for the code under test; the targets link libFuzzer itself.
  target_compile_options(tovrik_product PRIVATE -fsanitize=fuzzer-no-link)
  target_compile_options(tovrik_host PRIVATE -fsanitize=fuzzer-no-link)
  add_custom_target(fuzz_targets)
  foreach(source ${fuzz_target_sources})
    get_filename_component(name ${source} NAME_WE)
    add_executable(fuzz_${name} ${source} ${fuzz_dir}/fuzz_main.cpp ${fuzz_shared_sources})
    target_include_directories(fuzz_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_definitions(fuzz_${name} PRIVATE TOVRIK_LIBFUZZER)
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(fuzz_${name} PRIVATE tovrik_product tovrik_host_control)
    if(name IN_LIST fuzz_layer_part_targets)
      target_link_libraries(fuzz_${name} PRIVATE tovrik_host_parts)
    endif()
    add_dependencies(fuzz_targets fuzz_${name})
  endforeach()
endif()
