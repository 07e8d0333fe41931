# Installs headers, both libraries, the tool, a CMake package
# (find_package(QELBase) gives QELBase::QELBaseU) and a pkg-config file.
include(CMakePackageConfigHelpers)

set(QELBASE_HEADER_DIRS frame containers scanner expr datetime strings format file registry trace)
foreach(dir IN LISTS QELBASE_HEADER_DIRS)
  install(DIRECTORY "${CMAKE_SOURCE_DIR}/${dir}/" DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/qelbase/${dir}"
          FILES_MATCHING PATTERN "*.h" PATTERN "Heap.h" EXCLUDE PATTERN "Boundary.h" EXCLUDE PATTERN "ScopeGuards.h" EXCLUDE
          PATTERN "Module.h" EXCLUDE PATTERN "Characters.h" EXCLUDE PATTERN "EscapeReader.h" EXCLUDE PATTERN "TraceInternal.h" EXCLUDE PATTERN "FileInternal.h" EXCLUDE PATTERN "ScriptInternal.h" EXCLUDE
          PATTERN "CodePageText.h" EXCLUDE PATTERN "ScannerText.h" EXCLUDE
          PATTERN "CalendarRules.h" EXCLUDE
          PATTERN "ExprInternal.h" EXCLUDE PATTERN "Compiler.h" EXCLUDE
          PATTERN "InstructionSet.h" EXCLUDE)
endforeach()
install(FILES "${CMAKE_SOURCE_DIR}/frame/QELBase.h" DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/qelbase")
install(FILES "${CMAKE_SOURCE_DIR}/platform/include/qel/win32.h"
        DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/qelbase/qel")

install(TARGETS QELBaseU QELBaseU_static EXPORT QELBaseTargets
        LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}"
        ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}"
        RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(EXPORT QELBaseTargets NAMESPACE QELBase:: DESTINATION "${CMAKE_INSTALL_LIBDIR}/cmake/QELBase")

configure_package_config_file("${CMAKE_SOURCE_DIR}/cmake/QELBaseConfig.cmake.in"
  "${CMAKE_BINARY_DIR}/QELBaseConfig.cmake" INSTALL_DESTINATION "${CMAKE_INSTALL_LIBDIR}/cmake/QELBase")
write_basic_package_version_file("${CMAKE_BINARY_DIR}/QELBaseConfigVersion.cmake"
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES "${CMAKE_BINARY_DIR}/QELBaseConfig.cmake" "${CMAKE_BINARY_DIR}/QELBaseConfigVersion.cmake"
        DESTINATION "${CMAKE_INSTALL_LIBDIR}/cmake/QELBase")

# The .pc file finds the prefix from its own place, so the tree is relocatable.
file(RELATIVE_PATH QELBASE_PC_TO_PREFIX "/root/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/root")
configure_file("${CMAKE_SOURCE_DIR}/cmake/qelbase.pc.in" "${CMAKE_BINARY_DIR}/qelbase.pc" @ONLY)
install(FILES "${CMAKE_BINARY_DIR}/qelbase.pc" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
install(FILES "${CMAKE_SOURCE_DIR}/LICENSE" "${CMAKE_SOURCE_DIR}/CHANGELOG.md" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/qelbase")
