# Packages made by cpack from the install rules: on Linux one .deb per
# component, split as Debian splits a library (cmake/Install.cmake); on
# Windows one .zip.
set(CPACK_PACKAGE_NAME veklib)
set(CPACK_PACKAGE_VENDOR "VekLib developers")
set(CPACK_PACKAGE_CONTACT "VekLib developers <veklib@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Library and service tool for digital engine speed governors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  # The 64-bit build's package is named for it; the 32-bit one keeps its name.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME VekLib-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME VekLib-${PROJECT_VERSION}-win32)
  endif()
else()
  include(${CMAKE_CURRENT_LIST_DIR}/DebianPackages.cmake)
endif()

include(CPack)
