# Helpers for Winelib targets.
#
# A Winelib target is compiled and linked by wineg++ (see tools/winelib-launch), with
# 8-bit strings in cp1252 and warnings on. wineg++ -o foo.exe writes foo.exe (a launcher
# script) and foo.exe.so; tools/wine-run starts such a program in the build tree's prefix.

set(WINELIB_LAUNCH ${CMAKE_SOURCE_DIR}/tools/winelib-launch)
set(WINE_RUN ${CMAKE_SOURCE_DIR}/tools/wine-run)
set(WINEPREFIX_DIR ${CMAKE_BINARY_DIR}/wineprefix)

# Message records are read through typed views of TMessage (TWMKey, TWMMouse ...), the way
# the class library's handlers are written; -fno-strict-aliasing keeps the optimizer from
# assuming such a view and the TMessage it overlays cannot alias.
set(WINELIB_COMPILE_OPTIONS -Wall -Wextra -Wno-unused-parameter -fexec-charset=CP1252 -DNOMINMAX
    -fno-strict-aliasing)

# Debug information of the Winelib objects in the default RelWithDebInfo build. Level 1
# keeps function names and line tables, which is what a backtrace of a failed test or a
# crash needs, and makes the objects a third of their size: compiling and linking take a
# quarter less time than with full debug information. Configure with
# -DWINELIB_DEBUG_INFO=-g (or use the Debug build type) to step through local variables.
set(WINELIB_DEBUG_INFO -g1 CACHE STRING
    "Debug information option of the Winelib objects in a RelWithDebInfo build")
list(APPEND WINELIB_COMPILE_OPTIONS $<$<CONFIG:RelWithDebInfo>:${WINELIB_DEBUG_INFO}>)

# Every Winelib C++ object includes windows.h and much of the standard library (through
# platform/rtl/System.h): about a hundred thousand lines before its own first line. They
# are compiled once, into a precompiled header made for the first Winelib target (the
# runtime library), and every other Winelib target reuses it. Only headers that never
# change go in, so touching a project header does not rebuild the precompiled one.
# -Winvalid-pch reports a target whose flags make the header unusable.
set(WINELIB_PCH_HEADERS
  <windows.h> <commctrl.h>
  <algorithm> <array> <cmath> <cstdint> <cstdio> <cstdlib> <cstring> <exception> <functional>
  <initializer_list> <limits> <map> <memory> <mutex> <new> <set> <string> <tuple> <type_traits>
  <unordered_map> <utility> <vector>)

function(winelib_target target)
  set_target_properties(${target} PROPERTIES
    CXX_COMPILER_LAUNCHER ${WINELIB_LAUNCH}
    C_COMPILER_LAUNCHER ${WINELIB_LAUNCH}
    CXX_LINKER_LAUNCHER ${WINELIB_LAUNCH}
    C_LINKER_LAUNCHER ${WINELIB_LAUNCH})
  target_compile_options(${target} PRIVATE ${WINELIB_COMPILE_OPTIONS}
                         $<$<COMPILE_LANGUAGE:CXX>:-Winvalid-pch>)
  get_property(owner GLOBAL PROPERTY WINELIB_PCH_OWNER)
  if(NOT owner)
    target_precompile_headers(${target} PRIVATE ${WINELIB_PCH_HEADERS})
    set_property(GLOBAL PROPERTY WINELIB_PCH_OWNER ${target})
  else()
    target_precompile_headers(${target} REUSE_FROM ${owner})
  endif()
endfunction()

# add_winelib_library(name sources...) : a static library of Winelib objects.
function(add_winelib_library name)
  add_library(${name} STATIC ${ARGN})
  winelib_target(${name})
endfunction()

# add_winelib_executable(name [GUI] sources...) : name.exe + name.exe.so in the binary dir.
function(add_winelib_executable name)
  cmake_parse_arguments(ARG "GUI" "" "" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  winelib_target(${name})
  set_target_properties(${name} PROPERTIES OUTPUT_NAME ${name}.exe SUFFIX "")
  if(ARG_GUI)
    target_link_options(${name} PRIVATE -mwindows)
  else()
    target_link_options(${name} PRIVATE -mconsole)
  endif()
endfunction()

# add_wine_test(name target) : registers a Winelib test program with ctest. Every test
# runs in the build tree's own prefix, which the "wineprefix" fixture creates once.
function(add_wine_test name target)
  add_test(NAME ${name} COMMAND ${WINE_RUN} $<TARGET_FILE:${target}>)
  # Window tests move the one pointer and keyboard focus of the shared X display, so
  # Winelib test programs run one at a time (host-only tests still run beside them).
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "WINEPREFIX=${WINEPREFIX_DIR}"
    FIXTURES_REQUIRED wineprefix
    RESOURCE_LOCK x_display
    TIMEOUT 900)
endfunction()

# add_winelib_resources(target rcfile) : compiles a resource script with wrc into a .res
# that target links (wineg++ takes a .res as an input file); a static library passes it
# on to every program linking it. Files beside the script (bitmaps, cursors) are
# dependencies, so editing one rebuilds the .res.
function(add_winelib_resources target rcfile)
  get_filename_component(rcname ${rcfile} NAME_WE)
  get_filename_component(rcdir ${rcfile} DIRECTORY)
  set(res ${CMAKE_CURRENT_BINARY_DIR}/${target}-${rcname}.res)
  file(GLOB rcinputs CONFIGURE_DEPENDS ${rcdir}/*.bmp ${rcdir}/*.cur ${rcdir}/*.ico ${rcdir}/*.dfm)
  add_custom_command(OUTPUT ${res}
    COMMAND wrc-stable --nostdinc -I${rcdir} -I/usr/include/wine/wine/windows -o ${res} ${rcfile}
    DEPENDS ${rcfile} ${rcinputs}
    COMMENT "Compiling resources ${rcname}.rc for ${target}"
    VERBATIM)
  add_custom_target(${target}-${rcname}-res DEPENDS ${res})
  add_dependencies(${target} ${target}-${rcname}-res)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "STATIC_LIBRARY")
    # A library's resources go into every program that links the library.
    target_link_options(${target} INTERFACE ${res})
    set_property(TARGET ${target} APPEND PROPERTY INTERFACE_LINK_DEPENDS ${res})
  else()
    target_link_options(${target} PRIVATE ${res})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${res})
  endif()
endfunction()
