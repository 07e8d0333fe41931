# The POSIX build: the platform layer's system libraries, the version
# script that limits the shared object's symbols, and our own regsvr32.
find_package(SQLite3 REQUIRED)
set(QELBASE_SYSTEM_LIBS ${CMAKE_DL_LIBS} pthread SQLite::SQLite3)

set(QELBASE_VERSION_SCRIPT "${CMAKE_BINARY_DIR}/QELBaseU.map")
qelbase_write_version_script("${CMAKE_SOURCE_DIR}/frame/exports.txt" "${QELBASE_VERSION_SCRIPT}")

add_library(QELBaseU SHARED $<TARGET_OBJECTS:qelbase_objects>)
target_link_libraries(QELBaseU PRIVATE ${QELBASE_SYSTEM_LIBS})
target_link_options(QELBaseU PRIVATE "LINKER:--version-script=${QELBASE_VERSION_SCRIPT}")
# clang leaves the sanitizer runtime to the executable, so only there may a
# shared library keep undefined symbols.
if(NOT (QELBASE_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang"))
  target_link_options(QELBaseU PRIVATE "LINKER:--no-undefined")
endif()
set_target_properties(QELBaseU PROPERTIES
  VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
  LINK_DEPENDS "${QELBASE_VERSION_SCRIPT}")

add_library(QELBaseU_static STATIC $<TARGET_OBJECTS:qelbase_objects>)
set_target_properties(QELBaseU_static PROPERTIES OUTPUT_NAME QELBaseU)
target_compile_definitions(QELBaseU_static INTERFACE QELBASE_STATIC)
# The module entry has no callers; a static link must still keep it.
target_link_options(QELBaseU_static INTERFACE "LINKER:--undefined=qelbase_attach_module")
target_link_libraries(QELBaseU_static INTERFACE ${QELBASE_SYSTEM_LIBS})


# The system's registration tool, which Windows has and POSIX systems lack.
add_executable(regsvr32 "${CMAKE_SOURCE_DIR}/platform/posix/tools/regsvr32.cpp")
target_link_libraries(regsvr32 PRIVATE ${CMAKE_DL_LIBS})
install(TARGETS regsvr32 RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
