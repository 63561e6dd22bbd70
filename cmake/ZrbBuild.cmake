# Build settings and helper functions shared by every subsystem.
#
#   ZRB_WINDOWS       true in a Windows (MinGW) build
#   ZRB_WINDOWS_BITS  32 (the deliverables) or 64 (the test variant), in a Windows build
#   ZRB_HOST          true in the native host build
#
#   zrb_host_test(NAME SOURCES ... LIBS ...)     GoogleTest program, host build
#   zrb_windows_test(NAME SOURCES ... LIBS ... [WINDOWS] [WIN98])
#                                                GoogleTest program run under Wine
#   zrb_windows_script_test(NAME COMMAND ...)    shell-level check in the Windows build
#   zrb_fuzz_target(NAME SOURCES ... LIBS ... CORPUS dir)
#   zrb_deliverable(target)                      gather a binary in <build>/bin
#   zrb_export_def(VAR def)                      the .def file for this build's architecture
#   zrb_export_check(NAME target def)            the DLL exports exactly what the .def lists
#
# Windows tests carry the label "wine" (they need a Wine that runs this tree's
# programs) or "static" (checks of the binaries on the Linux side), so a host
# that cannot run a tree's programs still runs that tree's static checks.
include_guard(GLOBAL)

if(WIN32)
  set(ZRB_WINDOWS TRUE)
  set(ZRB_HOST FALSE)
else()
  set(ZRB_WINDOWS FALSE)
  set(ZRB_HOST TRUE)
endif()

set(ZRB_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${ZRB_BIN_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${ZRB_BIN_DIR})

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(ZRB_WINDOWS)
  # Windows 2000 and later API level, ANSI entry points by default (the
  # exports and the stored files are byte-oriented); the GUI opts into the
  # wide API explicitly.
  add_compile_definitions(_WIN32_WINNT=0x0501 WINVER=0x0501 WIN32_LEAN_AND_MEAN NOMINMAX)
  # No MinGW runtime DLLs beside the deliverables.
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c65001")
  # GoogleTest from the distribution's sources, built for Windows.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(ZRB_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ZRB_WINDOWS_BITS 64)
  else()
    set(ZRB_WINDOWS_BITS 32)
  endif()
  # The Wine scripts read the tree's architecture from here to pick the
  # loader and the kind of prefix.
  file(WRITE ${CMAKE_BINARY_DIR}/wine-arch "${ZRB_WINDOWS_BITS}\n")
else()
  option(ZRB_SANITIZE "Build the host tree with ASan and UBSan" ON)
  if(ZRB_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
  find_package(GTest REQUIRED)
endif()

# The Wine environment every Windows test needs: a private prefix initialised
# once and an Xvfb display for anything that creates a window. Both are ctest
# fixtures, so `ctest -R one_test` sets them up too.
if(ZRB_WINDOWS)
  add_test(NAME wine_env_setup COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-env start ${CMAKE_BINARY_DIR})
  add_test(NAME wine_env_cleanup COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-env stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_env_setup PROPERTIES FIXTURES_SETUP wine_env LABELS wine)
  set_tests_properties(wine_env_cleanup PROPERTIES FIXTURES_CLEANUP wine_env LABELS wine)
endif()

function(zrb_host_test name)
  if(NOT ZRB_HOST)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} zrb_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1")
endfunction()

# A GoogleTest program run under Wine. WIN98 makes Wine report Windows 98 to
# this program (per-application version), which selects the in-process binding.
function(zrb_windows_test name)
  if(NOT ZRB_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(T "WIN98" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} zrb_testsupport gtest gmock gtest_main)
  # Tests live in <build>/tests, not beside the deliverables in <build>/bin, so
  # that a test decides which modules a library finds (SetDllDirectory to bin,
  # or to a folder of fakes) and no test DLL is mistaken for a deliverable.
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set(env "ZRB_TEST_WIN98=$<IF:$<BOOL:${T_WIN98}>,1,0>")
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_env ENVIRONMENT "${env}" LABELS wine)
endfunction()

# A check that runs on the Linux side of the Windows build (objdump and the like).
function(zrb_windows_script_test name)
  if(NOT ZRB_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "COMMAND" ${ARGN})
  add_test(NAME ${name} COMMAND ${T_COMMAND})
  set_tests_properties(${name} PROPERTIES LABELS static)
endfunction()

# Fuzz targets: with clang and ZRB_FUZZ=ON they are libFuzzer programs
# (scripts/fuzz runs them); in the ordinary host build the same entry point is
# linked with a replay driver and run over the seed corpus as a test, so the
# corpus keeps guarding against regressions.
option(ZRB_FUZZ "Build libFuzzer targets (needs clang)" OFF)
function(zrb_fuzz_target name)
  if(NOT ZRB_HOST)
    return()
  endif()
  cmake_parse_arguments(T "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(ZRB_FUZZ)
    add_executable(${name} ${T_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${T_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  else()
    add_executable(${name}_replay ${T_SOURCES} ${CMAKE_SOURCE_DIR}/testsupport/fuzz_replay_main.cpp)
    target_link_libraries(${name}_replay PRIVATE ${T_LIBS})
    set_target_properties(${name}_replay PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name}_replay COMMAND ${name}_replay ${T_CORPUS})
  endif()
endfunction()

# Windows deliverables: output in <build>/bin, and a static check of the image
# itself (PE32 or PE32+ as the build, the subsystem, no MinGW runtime DLL).
function(zrb_deliverable target)
  set_target_properties(${target} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${ZRB_BIN_DIR}
                        LIBRARY_OUTPUT_DIRECTORY ${ZRB_BIN_DIR})
  if(NOT ZRB_WINDOWS)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  get_target_property(gui ${target} WIN32_EXECUTABLE)
  if(NOT type STREQUAL "EXECUTABLE")
    set(subsystem any)  # the loader ignores a DLL's subsystem
  elseif(gui)
    set(subsystem 2)
  else()
    set(subsystem 3)
  endif()
  zrb_windows_script_test(${target}_image
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-pe ${ZRB_OBJDUMP} ${ZRB_WINDOWS_BITS} ${subsystem} $<TARGET_FILE:${target}>)
endfunction()

# Each DLL's export list is written once, in its .def file, in the 32-bit form:
# every function under its plain name and, where callers want it, under its
# decorated stdcall name (_Name@N), both bound to the decorated symbol. x86-64
# has no stdcall decoration, so the 64-bit build derives its list from the
# same file: the decorated aliases go, and the symbols lose their @N.
function(zrb_export_def var def)
  get_filename_component(def ${def} ABSOLUTE)
  if(NOT ZRB_WINDOWS_BITS EQUAL 64)
    set(${var} ${def} PARENT_SCOPE)
    return()
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  file(READ ${def} text)
  string(REGEX REPLACE "\n[ \t]*_[A-Za-z0-9_]+@[0-9]+[ \t]*=[^\n]*" "" text "${text}")
  string(REGEX REPLACE "@[0-9]+" "" text "${text}")
  get_filename_component(name ${def} NAME)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/exports64/${name})
  file(WRITE ${out} "; Generated from ${def} for x86-64.\n${text}")
  set(${var} ${out} PARENT_SCOPE)
endfunction()

# A static check that the DLL exports exactly the names of its .def file (the
# one for this build's architecture, as zrb_export_def gives it).
function(zrb_export_check name target def)
  zrb_windows_script_test(${name}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-exports ${ZRB_OBJDUMP} $<TARGET_FILE:${target}> ${def})
endfunction()

# zrb_import_library(NAME target DEF def INCLUDE dir)
# An interface library through which callers bind a DLL of the suite at load
# time: it carries the callers' header folder and the import library. In the
# 32-bit build the import library binds the decorated names (_HexoOpen@16):
# it is made with dlltool from a callers' list derived from the DLL's own
# .def (every decorated alias "_Name@N = Name@N" becomes "Name@N ==
# _Name@N"), since the one the linker writes from that .def would bind
# stdcall calls to nothing or, through stdcall fixup, to the plain names.
# x86-64 has one name per function, so there the linker's import library
# of the DLL serves.
function(zrb_import_library name)
  cmake_parse_arguments(I "" "TARGET;DEF;INCLUDE" "" ${ARGN})
  add_library(${name} INTERFACE)
  target_include_directories(${name} INTERFACE ${I_INCLUDE})
  if(NOT ZRB_WINDOWS_BITS EQUAL 32)
    target_link_libraries(${name} INTERFACE ${I_TARGET})
    return()
  endif()
  get_filename_component(def ${I_DEF} ABSOLUTE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  file(STRINGS ${def} lines)
  set(callers "; Generated from ${def}: the decorated names callers bind.\n")
  foreach(line IN LISTS lines)
    if(line MATCHES "^LIBRARY[ \t]+\"?([^\" \t]+)")
      string(APPEND callers "LIBRARY ${CMAKE_MATCH_1}\nEXPORTS\n")
    elseif(line MATCHES "^[ \t]*_([A-Za-z0-9_]+@[0-9]+)[ \t]*=")
      string(APPEND callers "  ${CMAKE_MATCH_1} == _${CMAKE_MATCH_1}\n")
    endif()
  endforeach()
  set(callers_def ${CMAKE_CURRENT_BINARY_DIR}/${name}.def)
  file(WRITE ${callers_def} "${callers}")
  set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${name}.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${ZRB_DLLTOOL} -d ${callers_def} -l ${lib}
    DEPENDS ${callers_def}
    COMMENT "Import library of the decorated names: ${name}")
  add_custom_target(${name}_lib DEPENDS ${lib})
  target_link_libraries(${name} INTERFACE ${lib})
  add_dependencies(${name} ${name}_lib ${I_TARGET})
endfunction()

# zrb_string_table(NAME SOURCE texts.txt NAMESPACE ns)
# One UTF-8 text table yields the resource string table (<NAME>.rc), the
# Shift-JIS table portable code reads (<NAME>_table.inc) and the named ids
# (<NAME>_ids.h), all in ${CMAKE_CURRENT_BINARY_DIR}/generated; the target
# NAME builds them. Each text is written once, in the table.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ZRB_STRING_TABLE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/gen_string_table.py)
function(zrb_string_table name)
  cmake_parse_arguments(S "" "SOURCE;NAMESPACE;ENCODING" "" ${ARGN})
  if(NOT S_ENCODING)
    set(S_ENCODING cp932)
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/generated)
  get_filename_component(source ${S_SOURCE} ABSOLUTE)
  add_custom_command(
    OUTPUT ${out}/${name}_ids.h ${out}/${name}_table.inc ${out}/${name}.rc
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND Python3::Interpreter ${ZRB_STRING_TABLE_SCRIPT} ${source} --namespace ${S_NAMESPACE} --encoding ${S_ENCODING}
            --ids ${out}/${name}_ids.h --table ${out}/${name}_table.inc --rc ${out}/${name}.rc
    DEPENDS ${ZRB_STRING_TABLE_SCRIPT} ${source}
    COMMENT "Generating the string table ${name}")
  add_custom_target(${name} DEPENDS ${out}/${name}_ids.h ${out}/${name}_table.inc ${out}/${name}.rc)
endfunction()
