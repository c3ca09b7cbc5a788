# Source collection rules, so that adding a file needs no CMake edit:
#   foo.cpp          portable, built everywhere
#   foo_win32.cpp    Windows only          foo_posix.cpp   everywhere but Windows
#   foo_main.cpp     a program's entry point, never part of a library
#   (tests and benchmarks keep their own suffix last: foo_posix_test.cpp, foo_posix_bench.cpp)
# Each folder is one library (orvane_<folder>), its sub-folders included. In app/ and ui/ the
# *_win32.cpp files are the windows themselves: they go to the Windows program's library
# (orvane_gui), not to the portable one. Exception: foo_core_win32.cpp there is the Windows half
# of a portable piece (file access, folders) and stays in the portable library.

function(orvane_filter_platform out_var)
  set(files ${${out_var}})
  list(FILTER files EXCLUDE REGEX "_main(_win32|_posix)?\\.cpp$")
  if(WIN32)
    list(FILTER files EXCLUDE REGEX "_posix(_test|_bench)?\\.cpp$")
  else()
    list(FILTER files EXCLUDE REGEX "_win32(_test|_bench)?\\.cpp$")
  endif()
  set(${out_var} ${files} PARENT_SCOPE)
endfunction()

# The folders whose *_win32.cpp files are windows (see above).
set(ORVANE_WINDOW_FOLDERS app ui)

# The portable sources of one folder and its sub-folders, plus this platform's layer.
function(orvane_collect_sources out_var dir)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(dir IN_LIST ORVANE_WINDOW_FOLDERS)
    set(core_win32 ${found})
    list(FILTER core_win32 INCLUDE REGEX "_core_win32\\.cpp$")
    list(FILTER found EXCLUDE REGEX "_win32\\.cpp$")
    list(APPEND found ${core_win32})
  endif()
  orvane_filter_platform(found)
  set(${out_var} ${found} PARENT_SCOPE)
endfunction()

# The windows of the Windows program.
function(orvane_collect_gui_sources out_var)
  set(all)
  foreach(dir IN LISTS ORVANE_WINDOW_FOLDERS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*_win32.cpp)
    list(APPEND all ${found})
  endforeach()
  list(FILTER all EXCLUDE REGEX "(_main_win32|_core_win32)\\.cpp$")
  set(${out_var} ${all} PARENT_SCOPE)
endfunction()

# orvane_add_layer(<folder> [DEPENDS <library>...]): the library orvane_<folder> of the folder's
# portable sources, linked to the libraries below it.
function(orvane_add_layer dir)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "DEPENDS")
  set(target orvane_${dir})
  orvane_collect_sources(sources ${dir})
  add_library(${target} STATIC ${sources})
  target_link_libraries(${target} PUBLIC ${arg_DEPENDS})
endfunction()
