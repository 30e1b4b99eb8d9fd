# Cross-compiles for 64-bit Windows with mingw-w64 on Linux: the same sources as the 32-bit product.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VX_MINGW_TRIPLET x86_64-w64-mingw32)
set(VX_ARCH_NAME x64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
