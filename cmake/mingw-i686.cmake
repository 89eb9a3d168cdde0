# Cross build of the 32-bit Windows program, the one we ship first (build-win/).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLE i686-w64-mingw32)
set(MINGW_BITS 32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
