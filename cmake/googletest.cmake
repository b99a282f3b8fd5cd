# GoogleTest and GoogleMock for the test programs. A native build uses the installed package;
# a cross-build compiles Debian's source tree (package "googletest") with the same toolchain, so
# the test programs and their framework share one C++ runtime.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest REQUIRED)
  return()
endif()

set(RVS_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree for cross-builds")
if(NOT EXISTS ${RVS_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest source at ${RVS_GOOGLETEST_SOURCE} (apt-get install googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)

# The framework is built with its own warning flags, not the project's -Werror.
get_directory_property(rvs_saved_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
add_subdirectory(${RVS_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${rvs_saved_options}")

foreach(name gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${name})
    add_library(GTest::${name} ALIAS ${name})
  endif()
endforeach()
