# Cross-build of RvStatement.dll with Debian's mingw-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Cross-built programs (the tests) run under Wine; the wrapper picks the Wine prefix and
# keeps Wine quiet.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  get_filename_component(rvs_wine_run ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine_run.sh ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${rvs_wine_run})
endif()
