# Short runs of the fuzz targets as tests of the program's build. The targets
# are built by clang++ with libFuzzer as a project of their own (fuzz/), so
# the program's own build and compiler stay as they are; where clang++ or
# libFuzzer's run-time is missing, no fuzz test is registered.
option(KVOR_FUZZ_TESTS "Run each fuzz target briefly as a test when clang++ with libFuzzer is available" ON)
set(KVOR_FUZZ_TEST_SECONDS 8 CACHE STRING "Seconds each fuzz target runs as a test")
set(KVOR_FUZZ_TARGETS reply_frame firmware_text number_list frame_assembler)

if(KVOR_FUZZ_TESTS AND UNIX)
  find_program(KVOR_FUZZ_CXX NAMES clang++ clang++-14)
endif()

set(KVOR_HAVE_LIBFUZZER OFF)
if(KVOR_FUZZ_TESTS AND UNIX AND KVOR_FUZZ_CXX)
  # Not cached: a machine that gains the run-time later gets the tests at the
  # next configure.
  set(probe_dir ${CMAKE_BINARY_DIR}/fuzz-probe)
  file(MAKE_DIRECTORY ${probe_dir})
  file(WRITE ${probe_dir}/probe.cpp
    "#include <cstddef>\n#include <cstdint>\n"
    "extern \"C\" int LLVMFuzzerTestOneInput(const uint8_t *, size_t) { return 0; }\n")
  execute_process(
    COMMAND ${KVOR_FUZZ_CXX} -fsanitize=fuzzer,address,undefined probe.cpp -o probe
    WORKING_DIRECTORY ${probe_dir} RESULT_VARIABLE built OUTPUT_QUIET ERROR_QUIET)
  if(built EQUAL 0)
    execute_process(COMMAND ${probe_dir}/probe -runs=1
      WORKING_DIRECTORY ${probe_dir} RESULT_VARIABLE ran OUTPUT_QUIET ERROR_QUIET)
    if(ran EQUAL 0)
      set(KVOR_HAVE_LIBFUZZER ON)
    endif()
  endif()
  if(NOT KVOR_HAVE_LIBFUZZER)
    message(STATUS "Fuzz tests: ${KVOR_FUZZ_CXX} cannot build or run a libFuzzer target; none registered")
  endif()
endif()

if(KVOR_HAVE_LIBFUZZER)
  message(STATUS "Fuzz tests: ${KVOR_FUZZ_TEST_SECONDS} s per target with ${KVOR_FUZZ_CXX}")
  include(ExternalProject)
  set(fuzz_binary_dir ${CMAKE_BINARY_DIR}/fuzz)
  set(fuzz_programs)
  foreach(target ${KVOR_FUZZ_TARGETS})
    list(APPEND fuzz_programs ${fuzz_binary_dir}/${target}_fuzzer)
  endforeach()
  # One compile at a time: the step is a single job of the surrounding build.
  ExternalProject_Add(kvor_fuzzers
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/fuzz
    BINARY_DIR ${fuzz_binary_dir}
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${KVOR_FUZZ_CXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${fuzz_binary_dir} --parallel 1
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${fuzz_programs})
  foreach(target ${KVOR_FUZZ_TARGETS})
    add_test(NAME Fuzz.${target}
      COMMAND ${CMAKE_SOURCE_DIR}/fuzz/run_fuzzer.sh ${fuzz_binary_dir}/${target}_fuzzer
              ${KVOR_FUZZ_TEST_SECONDS} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${target}
              ${CMAKE_BINARY_DIR}/fuzz-runs/${target})
    set_tests_properties(Fuzz.${target} PROPERTIES TIMEOUT 120 LABELS fuzz)
  endforeach()
endif()
