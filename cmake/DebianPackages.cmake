# The Debian packages: libveklib3 (the run-time library, in the multiarch
# folder when the tree is configured for the prefix /usr), libveklib-dev,
# veklib-tools and python3-veklib. Each carries its copyright and changelog.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# Each package's description starts with a synopsis of its own, not the
# project's summary; cpack indents the lines and marks empty ones.
unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
# Dependencies on the C and C++ run-times come from dpkg-shlibdeps; the
# library itself is this build's own.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/src)
set(VEK_SAME_LIBRARY "libveklib3 (= ${PROJECT_VERSION})")
# The changelog's date stays fixed, so that a package built twice is the same.
set(VEK_RELEASE_DATE "Tue, 08 Dec 2026 12:00:00 +0000")

set(VEK_DEB_COMPONENTS runtime dev python)
if(TARGET vek OR TARGET vekgov)
  list(APPEND VEK_DEB_COMPONENTS tools)
endif()
set(CPACK_COMPONENTS_ALL ${VEK_DEB_COMPONENTS})

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libveklib3)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The shlibs file lets other packages depend on the library; the trigger
# updates the linker cache when it comes or goes.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "digital engine speed governor library (run-time)
VekLib talks to a digital engine speed governor over an RS-232 line:
connection, parameter definitions and values, timed lists, parameter
files, firmware upload, service commands and the error memory.

This package holds the shared library.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libveklib-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${VEK_SAME_LIBRARY}")
set(CPACK_COMPONENT_DEV_DESCRIPTION "digital engine speed governor library (development files)
VekLib talks to a digital engine speed governor over an RS-232 line.

This package holds the C header, the CMake package (find_package(VekLib))
and the pkg-config file (veklib).")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME veklib-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "${VEK_SAME_LIBRARY}")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "service tool and simulated governor for VekLib
vek reads and sets a digital engine speed governor's values, saves and
loads parameter files, uploads firmware and reads its errors; vekgov
serves a simulated governor on a pseudo-terminal or a serial port.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-veklib)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3, libveklib3 (>= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_PYTHON_DESCRIPTION "Python 3 package for the VekLib governor library
The module veklib connects to a digital engine speed governor through
VekLib: device record, definitions, values, watching, parameter files,
errors and firmware upload, with the library's reason on every failure.")

# Copyright and changelog of each package, for the packages only.
foreach(component IN LISTS VEK_DEB_COMPONENTS)
  string(TOUPPER ${component} upper)
  set(VEK_DEB_PACKAGE ${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
  set(docs ${PROJECT_BINARY_DIR}/debian/${VEK_DEB_PACKAGE})
  # A package built from its own upstream sources (native) has changelog.gz.
  configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${docs}/changelog @ONLY)
  execute_process(COMMAND gzip -9nf ${docs}/changelog RESULT_VARIABLE gzipped)
  if(NOT gzipped EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${docs}/changelog")
  endif()
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${docs}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${VEK_DEB_PACKAGE}
          COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()
