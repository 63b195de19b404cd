# Test helpers shared by every module's tests.
#   tolvane_add_gtest(NAME SOURCES ... [LIBS ...] [GUI])
#       a GoogleTest executable, in every tree. GUI tests get the label "gui" and a
#       window-test lane (TOLVANE_GUI_TEST_PROPERTIES below).
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

# Window tests: focus, activation, capture and the pointer belong to a whole display and a
# whole wineserver, so two window tests may not share either. Each takes one lane, a slot of
# the ctest resource "gui_lanes": scripts/test.sh hands ctest a resource file with several
# lanes, each an X display and a copy of the Wine prefix of its own (the emulator,
# cmake/wine-run.sh.in, picks them from the lane ctest names). Without that file ctest uses
# the one lane "main" below (this tree's prefix and the caller's DISPLAY): window tests take
# turns, as a plain `ctest -R ...` in this tree has always run them.
set(TOLVANE_GUI_TEST_PROPERTIES LABELS gui RESOURCE_GROUPS gui_lanes:1)
if(WIN32 AND TOLVANE_RUN_TESTS)
  file(WRITE ${CMAKE_BINARY_DIR}/gui-lanes-main.json
       "{\"version\": {\"major\": 1, \"minor\": 0},\n"
       " \"local\": [{\"gui_lanes\": [{\"id\": \"main\", \"slots\": 1}]}]}\n")
  file(WRITE ${CMAKE_BINARY_DIR}/gui-lanes-main.cmake
       "# ctest's resource file when none is given on its command line.\n"
       "set(CTEST_RESOURCE_SPEC_FILE \"${CMAKE_BINARY_DIR}/gui-lanes-main.json\")\n")
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY
               TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/gui-lanes-main.cmake)
endif()

# The test volumes that fixtures build at test time are made once for both Windows trees, in
# the x86_64 tree: the i686 tests read the same images (read-only, as the program reads a
# volume), and require the x86_64 tree's fixtures, which ctest runs for them.
if(TOLVANE_TREE STREQUAL "i686")
  get_filename_component(TOLVANE_VOLUMES_BINARY_DIR ${CMAKE_BINARY_DIR}/../x86_64 ABSOLUTE)
  set(TOLVANE_VOLUMES_TREE x86_64)
  set(TOLVANE_BUILDS_VOLUMES OFF)
else()
  set(TOLVANE_VOLUMES_BINARY_DIR ${CMAKE_BINARY_DIR})
  set(TOLVANE_VOLUMES_TREE ${TOLVANE_TREE})
  set(TOLVANE_BUILDS_VOLUMES ON)
endif()

# A test that runs a Windows program through Wine, registered whole (add_test, not discovered):
# the emulator exits 77 where the machine cannot start the tree's programs (i686 on a machine
# without 32-bit code), and ctest counts that as skipped. Discovered tests need nothing: the
# emulator's "[  SKIPPED ]" line matches the skip rule gtest_discover_tests gives them.
set(TOLVANE_WINE_TEST_PROPERTIES SKIP_RETURN_CODE 77)

# A program over the NTFS volume builders' images registered as one test: the builder writes
# SKIPPED where it cannot mount images (no FUSE), every test of the program then skips with
# the builder's reason, and this rule makes the program a skip, not a pass.
set(TOLVANE_VOLUMES_SKIP_PROPERTIES SKIP_REGULAR_EXPRESSION "(volumes were|many\\.img was) not built: ")
if(WIN32)
  list(APPEND TOLVANE_VOLUMES_SKIP_PROPERTIES ${TOLVANE_WINE_TEST_PROPERTIES})
endif()

# The i686 tree's test lists made while the 32-bit loader could not start name the x86_64
# twins' tests (cmake/wine-run.sh.in); once it starts, they are made again from the real
# programs. ctest reads this before the lists.
if(TOLVANE_TREE STREQUAL "i686")
  file(WRITE ${CMAKE_BINARY_DIR}/relist-when-32-bit-runs.cmake
       "# Written by cmake/TolvaneTesting.cmake.\n"
       "if(EXISTS \"${CMAKE_BINARY_DIR}/listed-without-32-bit\" AND NOT DEFINED ENV{TOLVANE_SKIP_32BIT})\n"
       "  execute_process(COMMAND ${TOLVANE_WINE_LOADER} --version RESULT_VARIABLE started\n"
       "                  OUTPUT_QUIET ERROR_QUIET)\n"
       "  if(started EQUAL 0)\n"
       "    file(GLOB_RECURSE lists \"${CMAKE_BINARY_DIR}/*]_tests.cmake\")\n"
       "    file(REMOVE \${lists} \"${CMAKE_BINARY_DIR}/listed-without-32-bit\")\n"
       "  endif()\n"
       "endif()\n")
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY
               TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/relist-when-32-bit-runs.cmake)
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
  if(T_GUI)
    set(properties ${TOLVANE_GUI_TEST_PROPERTIES})
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
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/run-fuzzer.sh $<TARGET_FILE:${name}> ${work}
            ${TOLVANE_FUZZ_SECONDS} ${seeds})
  set_tests_properties(${TOLVANE_TREE}.fuzz.${name} PROPERTIES
    LABELS "${TOLVANE_TREE};fuzz" TIMEOUT 900)
endfunction()

function(tolvane_add_check name)
  cmake_parse_arguments(C "" "" "COMMAND" ${ARGN})
  add_test(NAME ${TOLVANE_TREE}.check.${name} COMMAND ${C_COMMAND})
  set_tests_properties(${TOLVANE_TREE}.check.${name} PROPERTIES LABELS "${TOLVANE_TREE};check")
endfunction()
