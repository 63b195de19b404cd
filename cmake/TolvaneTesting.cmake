# Test helpers shared by every module's tests.
#   tolvane_add_gtest(NAME SOURCES ... [LIBS ...] [GUI])
#       a GoogleTest executable; native and x86_64 trees only. GUI tests get the label "gui"
#       and run under the X server that scripts/test.sh provides.
#   tolvane_add_fuzzer(NAME SOURCES ... [LIBS ...] [CORPUS dir])
#       a libFuzzer target (native clang tree); ctest runs it for TOLVANE_FUZZ_SECONDS.
#   tolvane_add_check(NAME COMMAND ...)
#       a plain command run on the build machine (export-table checks and the like).
include(GoogleTest)

if(TOLVANE_RUN_TESTS AND NOT TARGET gtest)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

function(tolvane_add_gtest name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  if(NOT TOLVANE_RUN_TESTS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  if(WIN32)
    # A crash on any thread fails the test program (Wine's debugger could end it with code 0).
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/unhandled_exit_win32.cpp)
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  # PROPERTIES takes name/value pairs: a list-valued label would split into extra pairs, so
  # each test gets one label, "gui" or its tree.
  # GUI tests share one X display, and focus and activation are display-wide: they take turns.
  if(T_GUI)
    set(properties LABELS gui RESOURCE_LOCK tolvane_x_display)
  else()
    set(properties LABELS ${TOLVANE_TREE})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    TEST_PREFIX "${TOLVANE_TREE}."
    WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
    PROPERTIES ${properties} TIMEOUT 300)
endfunction()

function(tolvane_add_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(NOT TOLVANE_FUZZ)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  # Work on a copy of the seeds so that a run never writes into the source tree.
  set(work ${CMAKE_BINARY_DIR}/fuzz/${name})
  set(seeds "")
  if(F_CORPUS)
    set(seeds ${F_CORPUS})
  endif()
  add_test(NAME ${TOLVANE_TREE}.fuzz.${name}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/run-fuzzer.sh $<TARGET_FILE:${name}> ${work}
            ${TOLVANE_FUZZ_SECONDS} ${seeds})
  set_tests_properties(${TOLVANE_TREE}.fuzz.${name} PROPERTIES
    LABELS "${TOLVANE_TREE};fuzz" TIMEOUT 900)
endfunction()

function(tolvane_add_check name)
  cmake_parse_arguments(C "" "" "COMMAND" ${ARGN})
  add_test(NAME ${TOLVANE_TREE}.check.${name} COMMAND ${C_COMMAND})
  set_tests_properties(${TOLVANE_TREE}.check.${name} PROPERTIES LABELS "${TOLVANE_TREE};check")
endfunction()
