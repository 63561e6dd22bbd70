# Shared by the MinGW-w64 toolchain files: the caller sets ZRB_MINGW_PREFIX
# and CMAKE_SYSTEM_PROCESSOR first. The posix thread flavour is used so that
# std::thread and std::mutex exist.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${ZRB_MINGW_PREFIX}-gcc-posix ${ZRB_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ZRB_MINGW_PREFIX}-g++-posix ${ZRB_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ZRB_MINGW_PREFIX}-windres REQUIRED)
find_program(ZRB_OBJDUMP NAMES ${ZRB_MINGW_PREFIX}-objdump REQUIRED)
find_program(ZRB_DLLTOOL NAMES ${ZRB_MINGW_PREFIX}-dlltool REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${ZRB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Windows tests run under Wine through a wrapper that points Wine at the
# build tree's private prefix and picks the loader that fits the tree's
# architecture (see scripts/wine-run).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
