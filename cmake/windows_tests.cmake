# Test programs of the Windows build. Each program is one ctest entry run whole (under Wine
# through CMAKE_CROSSCOMPILING_EMULATOR when cross-built): one process per program keeps the
# emulator's start-up cost to a handful of runs. The tests listed in
# tests/windows_exclusions.txt are left out by a negative --gtest_filter.
set(rvs_windows_exclusions ${PROJECT_SOURCE_DIR}/tests/windows_exclusions.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${rvs_windows_exclusions})

# "Pattern  reason" lines; '#' starts a comment.
file(STRINGS ${rvs_windows_exclusions} rvs_exclusion_lines)
set(rvs_excluded "")
foreach(line IN LISTS rvs_exclusion_lines)
  string(STRIP "${line}" line)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  string(REGEX REPLACE "[ \t].*$" "" pattern "${line}")
  if(line STREQUAL pattern)
    message(FATAL_ERROR "${rvs_windows_exclusions}: no reason given for ${pattern}")
  endif()
  list(APPEND rvs_excluded ${pattern})
endforeach()
list(JOIN rvs_excluded ":" rvs_excluded)

# Programs run from their own folder of the build tree, with the MinGW runtime linked in so
# nothing but Windows system DLLs is needed beside them.
function(rvs_add_windows_test target)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  # Test code needs no heavy optimisation, and -O1 keeps the cross-build short. (GCC 12 at -O2
  # and above also misreads std::string concatenation as an overlapping memcpy, bug 105651.)
  target_compile_options(${target} PRIVATE -O1)
  set(filter "")
  if(rvs_excluded)
    set(filter "--gtest_filter=-${rvs_excluded}")
  endif()
  add_test(NAME ${target} COMMAND ${target} ${filter} --gtest_brief=1)
  # The build tree's own Wine prefix (scripts/wine_test.sh boots it once before the run).
  set_tests_properties(${target} PROPERTIES TIMEOUT 900 ENVIRONMENT RVS_WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix)
endfunction()
