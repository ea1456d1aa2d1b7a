# Packages made by cpack from the install rules: a .deb on Linux, a .zip on
# Windows.
set(CPACK_PACKAGE_NAME veklib)
set(CPACK_PACKAGE_VENDOR "VekLib developers")
set(CPACK_PACKAGE_CONTACT "VekLib developers <veklib@localhost>")
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
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
  # The C and C++ runtime libraries that the library and the programs link.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()

include(CPack)
