# Install rules: the header, the shared library with a CMake package and a
# pkg-config file, and the programs built in this tree. Each rule belongs to
# one component, one Debian package each (cmake/Packaging.cmake):
#   runtime  the shared library                     libveklib3
#   dev      header, CMake package, pkg-config      libveklib-dev
#   tools    vek, vekgov, their man pages, samples  veklib-tools
#   python   the Python package (packages only)     python3-veklib
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VEK_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VekLib)

install(TARGETS VekLib EXPORT VekLibTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/VekLib.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)

# The programs find the library next to them (Windows), in the system's
# library folder (installed under /usr), or else in ../lib.
set(VEK_SYSTEM_PREFIX /usr)
foreach(program IN ITEMS vek vekgov)
  if(TARGET ${program})
    if(NOT WIN32 AND NOT CMAKE_INSTALL_PREFIX STREQUAL VEK_SYSTEM_PREFIX)
      file(RELATIVE_PATH libFromBin /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
      set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/${libFromBin}")
    endif()
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
  endif()
endforeach()
if(TARGET vek)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/tools/vek/lang/
          DESTINATION ${CMAKE_INSTALL_DATADIR}/veklib/lang COMPONENT tools)
endif()

# find_package(VekLib) gives the imported target VekLib::VekLib.
install(EXPORT VekLibTargets NAMESPACE VekLib:: FILE VekLibTargets.cmake
        DESTINATION ${VEK_CMAKE_PACKAGE_DIR} COMPONENT dev)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VekLibConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/VekLibConfig.cmake INSTALL_DESTINATION ${VEK_CMAKE_PACKAGE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VekLibConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VekLibConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/VekLibConfigVersion.cmake
        DESTINATION ${VEK_CMAKE_PACKAGE_DIR} COMPONENT dev)

# pkg-config: paths relative to the .pc file, so that the tree may move.
set(VEK_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH VEK_PC_TO_PREFIX /${VEK_PC_DIR} /)
string(REGEX REPLACE "/$" "" VEK_PC_TO_PREFIX "${VEK_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/veklib.pc.in ${CMAKE_CURRENT_BINARY_DIR}/veklib.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/veklib.pc DESTINATION ${VEK_PC_DIR} COMPONENT dev)

# The Python package goes where Debian's python3 finds it; only the package
# python3-veklib installs it (pip installs it elsewhere).
if(NOT WIN32)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/veklib/
          DESTINATION lib/python3/dist-packages/veklib COMPONENT python EXCLUDE_FROM_ALL
          FILES_MATCHING PATTERN "*.py" PATTERN "py.typed" PATTERN "__pycache__" EXCLUDE)
endif()
