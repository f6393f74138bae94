# Cross-compiles the 64-bit plug-in helper and 64-bit plug-ins (.sph) with
# Debian's MinGW-w64; the viewer itself stays a 32-bit program.
set(BEX_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
