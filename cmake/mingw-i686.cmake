# Cross-compiles for 32-bit Windows (the product) with mingw-w64 on Linux.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VX_MINGW_TRIPLET i686-w64-mingw32)
set(VX_ARCH_NAME x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
