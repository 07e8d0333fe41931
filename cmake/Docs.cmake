# The API reference: `cmake --build <dir> --target docs` runs Doxygen over the
# public headers; any warning (an undocumented export among them) fails it.
# The HTML is installed under share/doc/qelbase/html once it is built.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
  return()
endif()
set(QELBASE_DOCS_DIR "${CMAKE_BINARY_DIR}/docs")
set(QELBASE_DOCS_INPUT "${CMAKE_SOURCE_DIR}/include/QELBase.h")
foreach(header IN LISTS QELBASE_PUBLIC_HEADERS)
  string(APPEND QELBASE_DOCS_INPUT " ${CMAKE_SOURCE_DIR}/${header}")
endforeach()
configure_file("${CMAKE_SOURCE_DIR}/docs/Doxyfile.in" "${QELBASE_DOCS_DIR}/Doxyfile" @ONLY)
add_custom_target(docs
  COMMAND "${DOXYGEN_EXECUTABLE}" "${QELBASE_DOCS_DIR}/Doxyfile"
  WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}"
  COMMENT "Building the API reference"
  VERBATIM)
install(DIRECTORY "${QELBASE_DOCS_DIR}/html" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/qelbase" OPTIONAL
        COMPONENT dev)
