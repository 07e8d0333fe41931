# Compares the export table of the DLL (read with objdump -p) with the
# export list, name for name: decorated _Name@bytes for standard-call
# functions of a 32-bit DLL, plain names otherwise.
# cmake -DOBJDUMP=... -DDLL=... -DEXPORTS=frame/exports.txt -DDECORATE=ON|OFF -P check_exports.cmake
include("${CMAKE_CURRENT_LIST_DIR}/../../cmake/Exports.cmake")
qelbase_export_names("${EXPORTS}" ${DECORATE} expected)

execute_process(COMMAND "${OBJDUMP}" -p "${DLL}" OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(.*)" _ "${dump}")
string(REGEX REPLACE "\n\n.*" "" table "${CMAKE_MATCH_1}")
# Rows "\t[   n] Name": the brackets must go before the text becomes a list.
string(REGEX REPLACE "[ \t]*\\[ *[0-9]+\\] ([^\n]+)" "\\1" table "${table}")
string(STRIP "${table}" table)
string(REPLACE "\n" ";" actual "${table}")

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
message(STATUS "export table: all ${n_actual} names as listed")
