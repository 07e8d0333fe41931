# The POSIX build: the platform layer as a library of its own
# (libQELWin32, the Windows services that qel/win32.h declares), the version
# scripts that limit each shared object's symbols, and our own regsvr32.
find_package(SQLite3 REQUIRED)
set(QELBASE_SYSTEM_LIBS ${CMAKE_DL_LIBS} pthread SQLite::SQLite3)

# A shared object of ours: only the names of its export list leave it, and
# nothing stays unresolved.
function(qelbase_shared_object target export_list)
  set(script "${CMAKE_BINARY_DIR}/${target}.map")
  qelbase_write_version_script("${export_list}" "${script}")
  # An edited list makes the script anew.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${export_list}")
  target_link_options(${target} PRIVATE "LINKER:--version-script=${script}")
  # Calls between our own functions stay inside the object, as they do in a
  # Windows DLL: no lookup through the procedure linkage table, and a host
  # that defines a function of the same name does not take them over.
  target_link_options(${target} PRIVATE "LINKER:-Bsymbolic-functions")
  # clang leaves the sanitizer runtime to the executable, so only there may a
  # shared library keep undefined symbols.
  if(NOT (QELBASE_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang"))
    target_link_options(${target} PRIVATE "LINKER:--no-undefined")
  endif()
  set_target_properties(${target} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR} LINK_DEPENDS "${script}")
endfunction()

add_library(qelwin32_objects OBJECT ${QELBASE_PLATFORM_SOURCES})
set_target_properties(qelwin32_objects PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(qelwin32_objects PRIVATE
  "${CMAKE_SOURCE_DIR}" "${CMAKE_SOURCE_DIR}/platform/include" "${CMAKE_SOURCE_DIR}/platform/posix")

add_library(QELWin32 SHARED $<TARGET_OBJECTS:qelwin32_objects>)
target_link_libraries(QELWin32 PRIVATE ${QELBASE_SYSTEM_LIBS})
qelbase_shared_object(QELWin32 "${CMAKE_SOURCE_DIR}/platform/exports.txt")

add_library(QELWin32_static STATIC $<TARGET_OBJECTS:qelwin32_objects>)
set_target_properties(QELWin32_static PROPERTIES OUTPUT_NAME QELWin32 LINKER_LANGUAGE CXX)
# A C host links the static libraries with the C++ runtime too.
target_link_libraries(QELWin32_static INTERFACE ${QELBASE_SYSTEM_LIBS} $<$<LINK_LANGUAGE:C>:stdc++> m)

foreach(lib QELWin32 QELWin32_static)
  target_include_directories(${lib} INTERFACE
    "$<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/platform/include>"
    "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/qelbase>")
endforeach()
add_library(QELBase::QELWin32 ALIAS QELWin32)
add_library(QELBase::QELWin32_static ALIAS QELWin32_static)

add_library(QELBaseU SHARED $<TARGET_OBJECTS:qelbase_objects>)
target_link_libraries(QELBaseU PUBLIC QELWin32)
qelbase_shared_object(QELBaseU "${CMAKE_SOURCE_DIR}/frame/exports.txt")

add_library(QELBaseU_static STATIC $<TARGET_OBJECTS:qelbase_objects>)
set_target_properties(QELBaseU_static PROPERTIES OUTPUT_NAME QELBaseU LINKER_LANGUAGE CXX)
target_compile_definitions(QELBaseU_static INTERFACE QELBASE_STATIC)
# The module entry has no callers; a static link must still keep it.
target_link_options(QELBaseU_static INTERFACE "LINKER:--undefined=qelbase_attach_module")
target_link_libraries(QELBaseU_static INTERFACE QELWin32_static)


# The system's registration tool, which Windows has and POSIX systems lack.
add_executable(regsvr32 "${CMAKE_SOURCE_DIR}/platform/posix/tools/regsvr32.cpp")
target_link_libraries(regsvr32 PRIVATE ${CMAKE_DL_LIBS})
install(TARGETS regsvr32 RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT tools)
