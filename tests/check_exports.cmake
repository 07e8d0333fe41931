# Compares a library's export table with its export list, name for name:
# a DLL's as objdump -p shows it (decorated _Name@bytes for standard-call
# functions of a 32-bit DLL, plain names otherwise), a shared object's
# defined dynamic symbols as nm -D shows them.  With HEADER, every function
# the header declares must be listed too.
# cmake -DOBJDUMP=... | -DNM=... -DLIBRARY=... -DEXPORTS=frame/exports.txt
#       [-DDECORATE=ON|OFF] [-DHEADER=qel/win32.h] -P check_exports.cmake
cmake_policy(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/../cmake/Exports.cmake")
if(NOT DEFINED DECORATE)
  set(DECORATE OFF)
endif()
qelbase_export_names("${EXPORTS}" ${DECORATE} expected)

if(NM)
  execute_process(COMMAND "${NM}" -D --defined-only "${LIBRARY}" OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  # Rows "address type name"; the version nodes (type A) are no exports.
  string(REGEX MATCHALL "[0-9a-f]+ [TDBRVWiu] [^\n]+" rows "${dump}")
  list(TRANSFORM rows REPLACE "^[0-9a-f]+ . " "")
  set(actual ${rows})
else()
  execute_process(COMMAND "${OBJDUMP}" -p "${LIBRARY}" OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(.*)" _ "${dump}")
  string(REGEX REPLACE "\n\n.*" "" table "${CMAKE_MATCH_1}")
  # Rows "\t[   n] Name": the brackets must go before the text becomes a list.
  string(REGEX REPLACE "[ \t]*\\[ *[0-9]+\\] ([^\n]+)" "\\1" table "${table}")
  string(STRIP "${table}" table)
  string(REPLACE "\n" ";" actual "${table}")
endif()
if(failed)
  message(FATAL_ERROR "reading the export table of ${LIBRARY} failed")
endif()

set(missing ${expected})
list(REMOVE_ITEM missing ${actual})
set(extra ${actual})
list(REMOVE_ITEM extra ${expected})
list(LENGTH expected n_expected)
list(LENGTH actual n_actual)
if(missing OR extra OR NOT n_expected EQUAL n_actual)
  message(FATAL_ERROR "export table differs (${n_actual} names, ${n_expected} expected)\n"
                      "missing: ${missing}\nunexpected: ${extra}")
endif()

if(HEADER)
  # A declaration starts a line (continuations are indented); its name
  # stands right before the first parenthesis.
  file(READ "${HEADER}" text)
  string(REGEX MATCHALL "\n[A-Za-z_][^(\n;]*\\(" declarations "${text}")
  list(FILTER declarations EXCLUDE REGEX "^\ntypedef")
  list(TRANSFORM declarations REPLACE "^.*[ *\n]([^ *(\n]+)\\($" "\\1")
  set(unlisted ${declarations})
  list(REMOVE_ITEM unlisted ${expected})
  list(LENGTH declarations n_declared)
  if(unlisted OR n_declared LESS 70)
    message(FATAL_ERROR "${n_declared} functions declared; not listed: ${unlisted}")
  endif()
endif()
message(STATUS "export table: all ${n_actual} names as listed")
