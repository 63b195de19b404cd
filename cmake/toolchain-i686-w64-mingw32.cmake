# Cross toolchain for the 32-bit Windows build: the deliverable whose record layouts are the
# contract with the front end. Built and checked here, never run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOLVANE_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
