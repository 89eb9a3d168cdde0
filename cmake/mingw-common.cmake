# Shared part of the MinGW-w64 cross builds; the width's own toolchain file sets
# MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR first. Posix thread flavour, which GoogleTest
# needs. ctest runs the Windows test programs through Wine.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Static runtime: the programs import system DLLs only, so Wine needs nothing else.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The scripts read the tree's width from its cache to pick the Wine loader.
set(TAGVETTER_WINDOWS_BITS ${MINGW_BITS} CACHE INTERNAL "width of this Windows tree")
# The wrapper runs the tree's Wine loader in the tree's private prefix, creating it on
# first use.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${CMAKE_BINARY_DIR})
