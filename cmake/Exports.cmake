# Reads an export list (frame/exports.txt, the module's; platform/exports.txt,
# the POSIX platform library's) for the linker version script (ELF), the
# module-definition file (PE) and the check of the DLL's export table.

# One module-definition entry per export: "Name", "Name DATA", or on 32-bit
# Windows (decorate ON) "_Name@bytes=Name@bytes" for a standard-call
# function, whose MinGW symbol is Name@bytes.
function(qelbase_def_entries list_file decorate out_entries)
  file(STRINGS "${list_file}" lines)
  set(entries "")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    # "Name", or "Name kind [bytes]"
    string(REGEX MATCH "^([^ \t]+)([ \t]+([a-z]+)[ \t]*([0-9]*))?" _ "${line}")
    if(CMAKE_MATCH_3 STREQUAL "data")
      list(APPEND entries "${CMAKE_MATCH_1} DATA")
    elseif(CMAKE_MATCH_3 STREQUAL "stdcall" AND decorate)
      list(APPEND entries "_${CMAKE_MATCH_1}@${CMAKE_MATCH_4}=${CMAKE_MATCH_1}@${CMAKE_MATCH_4}")
    else()
      list(APPEND entries "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(${out_entries} "${entries}" PARENT_SCOPE)
endfunction()

# The names the module exports, as its export table shows them.
function(qelbase_export_names list_file decorate out_names)
  qelbase_def_entries("${list_file}" ${decorate} entries)
  list(TRANSFORM entries REPLACE "[ =].*" "")
  set(${out_names} "${entries}" PARENT_SCOPE)
endfunction()

function(qelbase_write_version_script list_file script)
  qelbase_export_names("${list_file}" OFF names)
  set(body "{\n  global:\n")
  foreach(name IN LISTS names)
    string(APPEND body "    ${name};\n")
  endforeach()
  string(APPEND body "  local: *;\n};\n")
  file(CONFIGURE OUTPUT "${script}" CONTENT "${body}" @ONLY)
endfunction()

function(qelbase_write_def_file list_file def_file decorate)
  qelbase_def_entries("${list_file}" ${decorate} entries)
  list(JOIN entries "\n  " body)
  file(CONFIGURE OUTPUT "${def_file}" CONTENT "LIBRARY QELBaseU.dll\nEXPORTS\n  ${body}\n" @ONLY)
endfunction()
