# Installs headers, the libraries, the tools, a CMake package
# (find_package(QELBase) gives QELBase::QELBaseU) and pkg-config files, in
# three components that become the Debian packages (cmake/Packaging.cmake):
# runtime (the shared libraries), dev (headers, static libraries, CMake and
# pkg-config files, the API reference) and tools (qel, regsvr32, manuals).
include(CMakePackageConfigHelpers)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME dev)

# The public headers: QELBase.h and what it includes.  The headers only the
# library needs stay in the source tree.
set(QELBASE_PUBLIC_HEADERS
  containers/BalancedTree.h containers/DoublyLinkedList.h containers/DynArray.h containers/LinkedList.h
  containers/MemoryPool.h datetime/DateTime.h expr/Expression.h expr/Opcodes.h file/QELFile.h
  format/FormatScanner.h format/NumberFormat.h frame/CritSect.h frame/DataObjects.h frame/Message.h
  frame/QELBaseDefs.h frame/ResultCodes.h frame/Version.h registry/ComponentRegistration.h
  registry/PrinterPorts.h registry/RegistryHelpers.h registry/RegistryScripts.h scanner/Symbol.h
  strings/StringObject.h trace/Trace.h)
foreach(header IN LISTS QELBASE_PUBLIC_HEADERS)
  get_filename_component(folder "${header}" DIRECTORY)
  install(FILES "${CMAKE_SOURCE_DIR}/${header}" DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/qelbase/${folder}")
endforeach()
install(FILES "${CMAKE_SOURCE_DIR}/include/QELBase.h" DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/qelbase")
include(cmake/Docs.cmake)
install(FILES "${CMAKE_SOURCE_DIR}/platform/include/qel/win32.h" "${CMAKE_SOURCE_DIR}/platform/include/qel/wcrt.h"
        DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/qelbase/qel")

if(WIN32)
  set(QELBASE_INSTALLED_LIBS QELBaseU QELBaseU_static)
else()
  set(QELBASE_INSTALLED_LIBS QELWin32 QELWin32_static QELBaseU QELBaseU_static)
endif()
install(TARGETS ${QELBASE_INSTALLED_LIBS} EXPORT QELBaseTargets
        LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT runtime NAMELINK_COMPONENT dev
        ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT dev
        RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT runtime)
install(EXPORT QELBaseTargets NAMESPACE QELBase:: DESTINATION "${CMAKE_INSTALL_LIBDIR}/cmake/QELBase")

configure_package_config_file("${CMAKE_SOURCE_DIR}/cmake/QELBaseConfig.cmake.in"
  "${CMAKE_BINARY_DIR}/QELBaseConfig.cmake" INSTALL_DESTINATION "${CMAKE_INSTALL_LIBDIR}/cmake/QELBase")
write_basic_package_version_file("${CMAKE_BINARY_DIR}/QELBaseConfigVersion.cmake"
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES "${CMAKE_BINARY_DIR}/QELBaseConfig.cmake" "${CMAKE_BINARY_DIR}/QELBaseConfigVersion.cmake"
        DESTINATION "${CMAKE_INSTALL_LIBDIR}/cmake/QELBase")

# The .pc file finds the prefix from its own place, so the tree is relocatable.
file(RELATIVE_PATH QELBASE_PC_TO_PREFIX "/root/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/root")
# On POSIX the Windows services come from libQELWin32 (qelwin32.pc).
set(QELBASE_PC_REQUIRES "")
if(NOT WIN32)
  set(QELBASE_PC_REQUIRES "Requires: qelwin32")
endif()
configure_file("${CMAKE_SOURCE_DIR}/cmake/qelbase.pc.in" "${CMAKE_BINARY_DIR}/qelbase.pc" @ONLY)
install(FILES "${CMAKE_BINARY_DIR}/qelbase.pc" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
if(NOT WIN32)
  configure_file("${CMAKE_SOURCE_DIR}/cmake/qelwin32.pc.in" "${CMAKE_BINARY_DIR}/qelwin32.pc" @ONLY)
  install(FILES "${CMAKE_BINARY_DIR}/qelwin32.pc" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
endif()
install(FILES "${CMAKE_SOURCE_DIR}/LICENSE" "${CMAKE_SOURCE_DIR}/CHANGELOG.md" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/qelbase")
if(NOT WIN32)
  install(FILES "${CMAKE_SOURCE_DIR}/docs/man/qel.1" "${CMAKE_SOURCE_DIR}/docs/man/regsvr32.1"
          DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT tools)
  include(cmake/Packaging.cmake)
endif()
