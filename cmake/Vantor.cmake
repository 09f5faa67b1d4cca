# vantor_test(NAME SOURCES src... LIBS lib... [LABELS l...])
# One GoogleTest program; its tests are found through CTest. Tests run with
# the source and build folders in their environment so that they can find
# fixtures and the built programs.
function(vantor_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    VANTOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VANTOR_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # A test that skips itself (say, one that needs root) is reported as skipped.
  set(_props ENVIRONMENT "VANTOR_BIN=${CMAKE_BINARY_DIR}/bin"
    SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
  if(T_LABELS)
    list(APPEND _props LABELS "${T_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${_props})
endfunction()

# vantor_fuzz(NAME SOURCES src... LIBS lib...)
# With VANTOR_FUZZ a libFuzzer program; otherwise a replay program that runs
# the target over the files of fuzz/corpus/NAME, registered as a test.
function(vantor_fuzz name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  if(VANTOR_FUZZ)
    add_executable(${name} ${F_SOURCES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    add_executable(${name} ${F_SOURCES} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
    if(VANTOR_TESTS)
      add_test(NAME ${name}.replay COMMAND ${name} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
    endif()
  endif()
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  add_dependencies(fuzzers ${name})
endfunction()

# `cmake --build B --target fuzzers` builds every fuzz program and nothing else.
if(NOT TARGET fuzzers)
  add_custom_target(fuzzers)
endif()
