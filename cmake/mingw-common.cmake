# Shared part of the two mingw-w64 toolchain files (posix threads, everything linked statically
# so that no libstdc++/libgcc/winpthread DLL has to ship beside the deliverables).
set(CMAKE_C_COMPILER   /usr/bin/${TOLVANE_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${TOLVANE_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  /usr/bin/${TOLVANE_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOLVANE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
