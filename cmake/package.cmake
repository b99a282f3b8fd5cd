# What integrators take: the Windows DLL's version resource and import library, the install
# layout with a CMake package (find_package(RvStatement), target RvStatement::RvStatement), and
# the ZIP that cpack makes of it.
include(CMakePackageConfigHelpers)

set(rvs_package_dir lib/cmake/RvStatement)

if(WIN32)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/RvStatement.rc @ONLY)
  target_sources(RvStatement PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/RvStatement.rc)
  # RvStatement.lib, the name Windows linkers expect; GNU ld takes it for -lRvStatement as well.
  set_target_properties(RvStatement PROPERTIES IMPORT_PREFIX "" IMPORT_SUFFIX ".lib")
endif()

target_include_directories(RvStatement INTERFACE $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
                                                 $<INSTALL_INTERFACE:include>)

install(TARGETS RvStatement EXPORT RvStatementTargets
  RUNTIME DESTINATION bin
  LIBRARY DESTINATION lib
  ARCHIVE DESTINATION lib)
install(FILES ${PROJECT_SOURCE_DIR}/include/RvStatement.h DESTINATION include)
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/src/RvStatement.def DESTINATION lib)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/integrators.md DESTINATION . RENAME README.md)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/docs/integrators.md DESTINATION share/doc/RvStatement RENAME README.md)
endif()

install(EXPORT RvStatementTargets NAMESPACE RvStatement:: DESTINATION ${rvs_package_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/RvStatementConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/RvStatementConfig.cmake INSTALL_DESTINATION ${rvs_package_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/RvStatementConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/RvStatementConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/RvStatementConfigVersion.cmake
        DESTINATION ${rvs_package_dir})

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME RvStatement)
set(CPACK_PACKAGE_VENDOR RvStatement)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
if(WIN32)
  set(CPACK_PACKAGE_FILE_NAME RvStatement-${PROJECT_VERSION}-win64)
else()
  set(CPACK_PACKAGE_FILE_NAME RvStatement-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
endif()
include(CPack)
