# Window tests over volume images mapped as drives in a Wine prefix of their own.
#
#   tolvane_add_image_drive_test(NAME SOURCES ... [LIBS ...] [DEPENDS ...]
#                                DRIVES letter=image ... [FIXTURES fixture ...])
#       a GoogleTest program (Windows trees) whose tests run as window tests, in
#       build/<tree>/<NAME>-drives/prefix, where each letter is a drive backed by its image
#       (in a window-test lane, in that lane's copy of it: prefix-<lane>, cmake/wine-run.sh.in).
#       FIXTURES names the ctest fixtures that make the images (the demo volumes:
#       tolvane_demo_volumes, images under TOLVANE_DEMO_VOLUMES_DIR).
#
# The demo volumes (tools/demo/build_demo_volumes.py) are made once for both Windows trees by
# the fixture test x86_64.fixture.demo_volumes.
if(WIN32 AND TOLVANE_RUN_TESTS)
  find_program(TOLVANE_PYTHON3_FOR_DEMO python3 NO_CMAKE_FIND_ROOT_PATH)
  set(TOLVANE_DEMO_VOLUMES_DIR ${TOLVANE_VOLUMES_BINARY_DIR}/demo-volumes)
  if(TOLVANE_BUILDS_VOLUMES AND NOT TEST ${TOLVANE_TREE}.fixture.demo_volumes)
    add_test(NAME ${TOLVANE_TREE}.fixture.demo_volumes
      COMMAND ${TOLVANE_PYTHON3_FOR_DEMO} ${CMAKE_SOURCE_DIR}/tools/demo/build_demo_volumes.py
              ${TOLVANE_DEMO_VOLUMES_DIR})
    set_tests_properties(${TOLVANE_TREE}.fixture.demo_volumes PROPERTIES
      FIXTURES_SETUP tolvane_demo_volumes LABELS "${TOLVANE_TREE};fixture" TIMEOUT 300)
  endif()
endif()

function(tolvane_add_image_drive_test name)
  cmake_parse_arguments(D "" "" "SOURCES;LIBS;DEPENDS;DRIVES;FIXTURES" ${ARGN})
  if(NOT WIN32 OR NOT TOLVANE_RUN_TESTS)
    return()
  endif()
  add_executable(${name} ${D_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/unhandled_exit_win32.cpp)
  target_link_libraries(${name} PRIVATE ${D_LIBS} gtest gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  if(D_DEPENDS)
    add_dependencies(${name} ${D_DEPENDS})
  endif()
  set(work ${CMAKE_BINARY_DIR}/${name}-drives)
  set(script ${CMAKE_SOURCE_DIR}/tests/support/image_drive_prefix.sh)
  set(fixture ${TOLVANE_TREE}_${name}_drives)
  add_test(NAME ${TOLVANE_TREE}.${name}.drives_setup
    COMMAND ${script} setup ${TOLVANE_WINEPREFIX} ${work} ${CMAKE_BINARY_DIR}/wine-run.sh ${D_DRIVES})
  add_test(NAME ${TOLVANE_TREE}.${name}.drives_cleanup
    COMMAND ${script} cleanup ${TOLVANE_WINEPREFIX} ${work} ${CMAKE_BINARY_DIR}/wine-run.sh)
  set_tests_properties(${TOLVANE_TREE}.${name}.drives_setup PROPERTIES
    FIXTURES_SETUP ${fixture} FIXTURES_REQUIRED "${D_FIXTURES}" LABELS "${TOLVANE_TREE};fixture"
    TIMEOUT 300 ${TOLVANE_WINE_TEST_PROPERTIES})
  set_tests_properties(${TOLVANE_TREE}.${name}.drives_cleanup PROPERTIES
    FIXTURES_CLEANUP ${fixture} LABELS "${TOLVANE_TREE};fixture")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    TEST_PREFIX "${TOLVANE_TREE}."
    WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
    PROPERTIES ${TOLVANE_GUI_TEST_PROPERTIES} TIMEOUT 300
               FIXTURES_REQUIRED ${fixture}
               ENVIRONMENT "TOLVANE_WINEPREFIX=${work}/prefix")
endfunction()
