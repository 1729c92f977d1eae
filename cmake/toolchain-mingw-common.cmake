# The -posix compilers: the win32 thread model lacks std::mutex and std::thread.
set(CMAKE_C_COMPILER   ${DORVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DORVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${DORVANE_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${DORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Fully static: the executables then import only system DLLs and run under Wine
# with nothing beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
