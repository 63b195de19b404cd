# GUI tests share one X display, and focus and activation are display-wide: a test that
# activates its window takes the focus from another test's window. ctest runs the tests of a
# GUI executable one at a time against each other through one resource lock. The test names
# are known only after discovery, so the lock is set by a script that ctest runs after the
# discovery script of the target.
function(tolvane_lock_display target)
  if(NOT TARGET ${target})
    return()
  endif()
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_display_lock.cmake)
  file(WRITE ${script}
    "foreach(t IN LISTS ${target}_TESTS)\n"
    "  set_tests_properties(\"\${t}\" PROPERTIES RESOURCE_LOCK tolvane_x_display)\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
