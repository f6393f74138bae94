# Cross-compiles the 32-bit Windows program with Debian's MinGW-w64.
set(BEX_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
# Every processor that runs a current Windows has SSE2; the pixel loops use it.
set(CMAKE_C_FLAGS_INIT "-msse2")
set(CMAKE_CXX_FLAGS_INIT "-msse2")
