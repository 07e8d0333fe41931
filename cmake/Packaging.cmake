# Debian packages, one per install component (`cpack -G DEB` in the build
# folder, after the docs target for the API reference):
#   libqelbase5      the shared libraries (the soname's major version in the name)
#   libqelbase-dev   headers, static libraries, CMake and pkg-config files, API reference
#   qelbase-tools    qel, regsvr32 and their manual pages
# Each carries the license as its copyright file and the changelog.
set(QELBASE_DEB_RUNTIME "libqelbase${PROJECT_VERSION_MAJOR}")
foreach(component runtime dev tools)
  if(component STREQUAL "runtime")
    set(package "${QELBASE_DEB_RUNTIME}")
  elseif(component STREQUAL "dev")
    set(package libqelbase-dev)
  else()
    set(package qelbase-tools)
  endif()
  string(TOUPPER "${component}" upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME "${package}")
  set(CPACK_DEBIAN_${upper}_FILE_NAME "${package}_${PROJECT_VERSION}_amd64.deb")
  install(FILES "${CMAKE_SOURCE_DIR}/LICENSE" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/${package}"
          RENAME copyright COMPONENT ${component})
  install(FILES "${CMAKE_SOURCE_DIR}/CHANGELOG.md" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/${package}"
          COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qelbase)
set(CPACK_PACKAGE_VENDOR "The QELBase authors")
set(CPACK_PACKAGE_CONTACT "The QELBase authors <qelbase@localhost>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}: expressions, scanner, dates, strings, formatting, containers, trace, registry")
set(CPACK_RESOURCE_FILE_LICENSE "${CMAKE_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev tools)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Our own libraries are found in the build folder (the runtime package's).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}")
# The runtime package names its shared libraries (and runs ldconfig).
set(CPACK_DEBIAN_RUNTIME_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${QELBASE_DEB_RUNTIME} (= ${PROJECT_VERSION}), libsqlite3-dev")
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "${QELBASE_DEB_RUNTIME} (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "QELBase shared libraries: the library and its Windows services for POSIX")
set(CPACK_COMPONENT_DEV_DESCRIPTION "QELBase development files: headers, static libraries, CMake and pkg-config files, API reference")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "QELBase tools: qel, the command line of the library, and regsvr32")
include(CPack)
