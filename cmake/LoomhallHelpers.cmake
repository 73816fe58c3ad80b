# Shared helpers: every target gets the same warnings; tests and benchmarks are one call each.

function(lh_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(LH_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# lh_add_library(name SOURCES ... DEPS ...): a core library rooted at the source tree.
function(lh_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  lh_warnings(${name})
endfunction()

# lh_add_test(name SOURCES ... DEPS ...): a GoogleTest executable discovered by CTest.
function(lh_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    LH_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/corpus"
    LH_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  lh_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# lh_add_bench(name SOURCES ... DEPS ...): a Google Benchmark executable.
function(lh_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  target_compile_definitions(${name} PRIVATE
    LH_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/corpus")
  lh_warnings(${name})
endfunction()

# lh_add_fuzzer(name SOURCES ... DEPS ...): a libFuzzer target (clang, -DLH_FUZZ=ON).
function(lh_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
