# Source collection rules, so that adding a file needs no CMake edit:
#   foo.cpp          portable, built everywhere
#   foo_win32.cpp    Windows only          foo_posix.cpp   everywhere but Windows
#   foo_main.cpp     a program's entry point, never part of a library
#   (tests and benchmarks keep their own suffix last: foo_posix_test.cpp, foo_posix_bench.cpp)
# In app/ and ui/menu/ the *_win32.cpp files are the windows themselves: they go to the
# Windows program (orvane_gui), not to the core. Exception: foo_core_win32.cpp there is the
# Windows half of a portable core piece (file access, folders) and stays in the core.

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

function(orvane_collect_sources out_var)
  set(all)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    if(dir STREQUAL "app" OR dir STREQUAL "ui/menu")
      set(core_win32 ${found})
      list(FILTER core_win32 INCLUDE REGEX "_core_win32\\.cpp$")
      list(FILTER found EXCLUDE REGEX "_win32\\.cpp$")
      list(APPEND found ${core_win32})
    endif()
    list(APPEND all ${found})
  endforeach()
  orvane_filter_platform(all)
  set(${out_var} ${all} PARENT_SCOPE)
endfunction()

function(orvane_collect_gui_sources out_var)
  file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/*_win32.cpp ${CMAKE_SOURCE_DIR}/ui/menu/*_win32.cpp)
  list(FILTER found EXCLUDE REGEX "(_main_win32|_core_win32)\\.cpp$")
  set(${out_var} ${found} PARENT_SCOPE)
endfunction()
