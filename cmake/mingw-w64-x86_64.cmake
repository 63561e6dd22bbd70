# Cross-build toolchain: 64-bit Windows (PE32+, x86-64). The same sources as
# the 32-bit deliverables; its Windows tests run under the 64-bit Wine loader
# on hosts whose kernel does not execute 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZRB_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
