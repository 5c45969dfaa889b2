# The Debian packages, split as a Debian maintainer would: the module, its
# desktop presenter (only with its own dependency on GTK), the files for
# host developers, kthost, and the hand-over library, its development files
# and its tool. scripts/package.sh builds them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ktupdate)
set(CPACK_PACKAGE_VENDOR "Talvo Software")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Talvo Software <paquets@talvo.fr>")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# kthandover links the hand-over library of its sister package; its
# dependency on that package is declared below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/handover)
set(kt_exact "(= ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})")

# kt_deb(component package section depends description...)
set(kt_components)
function(kt_deb component package section depends)
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package} PARENT_SCOPE)
  set(CPACK_DEBIAN_${upper}_PACKAGE_SECTION ${section} PARENT_SCOPE)
  set(CPACK_DEBIAN_${upper}_PACKAGE_DEPENDS "${depends}" PARENT_SCOPE)
  list(JOIN ARGN "\n" description)
  set(CPACK_DEBIAN_${upper}_DESCRIPTION "${description}" PARENT_SCOPE)
  set(kt_components ${kt_components} ${component} PARENT_SCOPE)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
  # These packages are published by their vendor, not uploaded to Debian:
  # there is no bug asking for them to close.
  file(WRITE ${CMAKE_BINARY_DIR}/packaging/overrides/${package} "${package}: initial-upload-closes-no-bugs\n")
  install(FILES ${CMAKE_BINARY_DIR}/packaging/overrides/${package}
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides COMPONENT ${component})
endfunction()

# Every package carries the project's changelog, compressed the Debian way.
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog.Debian @ONLY)
execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/packaging/changelog.Debian COMMAND_ERROR_IS_FATAL ANY)

kt_deb(module ktupdate libs ""
  "update module of the Talvo practice-management application"
  "Keeps a practice's workstations up to date: decides whether an update run"
  "is due, reaches the update server, downloads the chain of packages and"
  "hands over to the suite's installer. The host application loads it with"
  "dlopen from its private folder.")
if(TARGET ktupdate_gtk)
  kt_deb(gtk ktupdate-gtk libs "ktupdate ${kt_exact}"
    "desktop windows for the Talvo update module"
    "The GTK 3 presenter of the update module: its dialogs and message boxes"
    "as real windows. The module loads it only when asked to.")
endif()
kt_deb(dev ktupdate-dev libdevel "ktupdate ${kt_exact}"
  "development files of the Talvo update module"
  "The header of the host's record and entry points, with a pkg-config file"
  "and a CMake package (find_package(ktupdate)) giving the module's"
  "installed path.")
kt_deb(kthost kthost utils "ktupdate ${kt_exact}"
  "runs the Talvo update module as its host would"
  "Loads the update module, builds the host's record from its command line,"
  "calls an entry point and prints its result; messages and dialogs show in"
  "the terminal or are answered from a script.")
kt_deb(handover libkthandover1 libs ""
  "installer side of the Talvo update module's hand-over"
  "A small C library for the suite's installer: it reads the record the"
  "update module leaves in its shared memory and confirms the installer's"
  "start.")
# The dynamic linker's cache is refreshed by a trigger, once per dpkg run.
set(CPACK_DEBIAN_HANDOVER_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/libkthandover1/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
kt_deb(handover_dev libkthandover-dev libdevel "libkthandover1 ${kt_exact}"
  "installer side of the Talvo update module's hand-over (development files)"
  "The header, the link and the pkg-config file of libkthandover, for"
  "installers that take part in the update module's hand-over.")
kt_deb(handover_tool kthandover utils "libkthandover1 ${kt_exact}"
  "takes part in the Talvo update module's hand-over from a script"
  "Prints the record the update module leaves for its installer and"
  "confirms the installer's start, for installers written as scripts.")

set(CPACK_COMPONENTS_ALL ${kt_components})
include(CPack)
