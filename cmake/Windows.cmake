# The Windows build: the real services, the message catalogue and the
# version data as resources, and a module-definition file for the exports.
enable_language(RC)
find_program(QELBASE_WINDMC NAMES ${CMAKE_MC_COMPILER} windmc REQUIRED)

set(QELBASE_SYSTEM_LIBS advapi32 winspool ktmw32)

# windmc keeps the line ends of its input: CR LF, as the catalogue's texts
# have them on every platform.
configure_file("${CMAKE_SOURCE_DIR}/resources/QELBase.mc" "${QELBASE_GENERATED}/QELBase.mc" @ONLY
               NEWLINE_STYLE CRLF)
add_custom_command(
  OUTPUT "${QELBASE_GENERATED}/QELBase.rc"
  COMMAND "${QELBASE_WINDMC}" -C 65001 -U -h "${QELBASE_GENERATED}" -r "${QELBASE_GENERATED}"
          "${QELBASE_GENERATED}/QELBase.mc"
  DEPENDS "${QELBASE_GENERATED}/QELBase.mc"
  WORKING_DIRECTORY "${QELBASE_GENERATED}"
  COMMENT "Compiling the message catalogue")
set(QELBASE_RESOURCES "${QELBASE_GENERATED}/QELBase.rc" "${CMAKE_SOURCE_DIR}/resources/QELBaseVersion.rc")
# Programs in other folders compile the generated script too (through the
# static library): a target of its own makes it before any of them.
add_custom_target(qelbase_messages DEPENDS "${QELBASE_GENERATED}/QELBase.rc")
set_source_files_properties("${CMAKE_SOURCE_DIR}/resources/QELBaseVersion.rc" PROPERTIES
  INCLUDE_DIRECTORIES "${CMAKE_SOURCE_DIR}")

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(decorate ON)
else()
  set(decorate OFF)
endif()
set(QELBASE_DEF_FILE "${CMAKE_BINARY_DIR}/QELBaseU.def")
qelbase_write_def_file("${CMAKE_SOURCE_DIR}/frame/exports.txt" "${QELBASE_DEF_FILE}" ${decorate})

add_library(QELBaseU SHARED $<TARGET_OBJECTS:qelbase_objects> ${QELBASE_RESOURCES} "${QELBASE_DEF_FILE}")
target_link_libraries(QELBaseU PRIVATE ${QELBASE_SYSTEM_LIBS})
# No runtime DLLs to ship beside it.
target_link_options(QELBaseU PRIVATE -static)
set_target_properties(QELBaseU PROPERTIES PREFIX "" IMPORT_PREFIX "lib")

# Programs linked with the static library carry the resources themselves:
# FormatMessageW finds them in the program's image.
add_library(QELBaseU_static STATIC $<TARGET_OBJECTS:qelbase_objects>)
set_target_properties(QELBaseU_static PROPERTIES OUTPUT_NAME QELBaseU_static)
target_compile_definitions(QELBaseU_static INTERFACE QELBASE_STATIC)
target_sources(QELBaseU_static INTERFACE "$<BUILD_INTERFACE:${QELBASE_RESOURCES}>")
target_link_libraries(QELBaseU_static INTERFACE ${QELBASE_SYSTEM_LIBS})
target_link_options(QELBaseU_static INTERFACE -static)
add_dependencies(QELBaseU_static qelbase_messages)

# The export table, name for name (runs on the build machine).
enable_testing()
find_program(QELBASE_OBJDUMP NAMES ${QELBASE_MINGW_PREFIX}-objdump objdump REQUIRED)
add_test(NAME dll_export_table
         COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${QELBASE_OBJDUMP} -DLIBRARY=$<TARGET_FILE:QELBaseU>
                 -DEXPORTS=${CMAKE_SOURCE_DIR}/frame/exports.txt -DDECORATE=${decorate}
                 -P ${CMAKE_SOURCE_DIR}/tests/check_exports.cmake)
