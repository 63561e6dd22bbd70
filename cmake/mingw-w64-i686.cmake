# Cross-build toolchain: 32-bit Windows (PE32, i686), the deliverables.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZRB_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
