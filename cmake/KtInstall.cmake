# Where everything goes once installed. The test stand-ins (the installer,
# the card reader, the ftpacs.bin writer) stay in the build tree.
include(CMakePackageConfigHelpers)

install(TARGETS ktupdatedll LIBRARY DESTINATION ${KT_MODULE_DIR} COMPONENT module)
# The desktop presenter, a plugin the module opens from its own folder.
if(TARGET ktupdate_gtk)
  install(TARGETS ktupdate_gtk LIBRARY DESTINATION ${KT_MODULE_DIR} COMPONENT gtk)
endif()
install(TARGETS kthost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT kthost)

# For host developers: the header, and the module's installed path through
# pkg-config and find_package(ktupdate). Both are relocatable: the paths are
# worked out from where their file is found.
set(kt_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/ktupdate)
set(kt_pkgconfig_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH KT_PKGCONFIG_TO_PREFIX ${CMAKE_INSTALL_PREFIX}/${kt_pkgconfig_dir} ${CMAKE_INSTALL_PREFIX})
install(FILES ${CMAKE_SOURCE_DIR}/include/ktupdate.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
configure_file(${CMAKE_CURRENT_LIST_DIR}/ktupdate.pc.in ${CMAKE_BINARY_DIR}/ktupdate.pc @ONLY)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ktupdateConfig.cmake.in
  ${CMAKE_BINARY_DIR}/ktupdateConfig.cmake
  INSTALL_DESTINATION ${kt_cmake_dir}
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR KT_MODULE_DIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/ktupdateConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/ktupdate.pc DESTINATION ${kt_pkgconfig_dir} COMPONENT dev)
install(FILES ${CMAKE_BINARY_DIR}/ktupdateConfig.cmake ${CMAKE_BINARY_DIR}/ktupdateConfigVersion.cmake
  DESTINATION ${kt_cmake_dir} COMPONENT dev)

# For installer authors: the hand-over library, its development files and
# its tool.
install(TARGETS kthandover
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT handover NAMELINK_COMPONENT handover_dev)
install(FILES ${CMAKE_SOURCE_DIR}/handover/include/kthandover.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT handover_dev)
configure_file(${CMAKE_CURRENT_LIST_DIR}/kthandover.pc.in ${CMAKE_BINARY_DIR}/kthandover.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/kthandover.pc DESTINATION ${kt_pkgconfig_dir} COMPONENT handover_dev)
install(TARGETS kthandover_tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT handover_tool)
