# Installs the built project into a scratch prefix, compiles each installed
# header alone, then builds and runs a host program against it, as C and as
# C++, shared and static, with find_package and with pkg-config.  Each run
# gets a registry and a trace folder of its own in the scratch folder.
set(prefix "${WORK}/prefix")
file(REMOVE_RECURSE "${WORK}")
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  message("${out}")
endfunction()
# Runs a program with a registry and a folder of its own; its output must
# match `expected`.
function(consume program expected)
  get_filename_component(name "${program}" NAME)
  file(MAKE_DIRECTORY "${WORK}/run/${name}")
  set(ENV{QELBASE_REGISTRY} "${WORK}/run/${name}/registry.db")
  execute_process(COMMAND "${program}" "${WORK}/run/${name}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "${expected}")
    message(FATAL_ERROR "${program}: exit ${rc}, output does not match ${expected}:\n${out}\n${err}")
  endif()
endfunction()
# The host's records are in its daily file.
function(expect_traced name)
  file(GLOB logs "${WORK}/run/${name}/example*.log")
  if(NOT logs)
    message(FATAL_ERROR "${name} wrote no trace file")
  endif()
  file(READ "${logs}" records)
  if(NOT records MATCHES "2 records to the daily file.*a warning with more text")
    message(FATAL_ERROR "${name} traced:\n${records}")
  endif()
endfunction()
# A program linked against the static archives names no library of ours.
function(expect_static program)
  execute_process(COMMAND readelf -d "${program}" OUTPUT_VARIABLE needed)
  if(needed MATCHES "libQEL")
    message(FATAL_ERROR "${program} needs a shared library of ours:\n${needed}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")
# Every installed header compiles on its own, as C11 and as C++20.
file(GLOB_RECURSE headers RELATIVE "${prefix}/include/qelbase" "${prefix}/include/qelbase/*.h")
foreach(header IN LISTS headers)
  file(WRITE "${WORK}/header.c" "#include <${header}>\n")
  file(WRITE "${WORK}/header.cpp" "#include <${header}>\n")
  run(cc -std=c11 -Wall -Wextra -Werror -fsyntax-only "-I${prefix}/include/qelbase" "${WORK}/header.c")
  run(c++ -std=c++20 -Wall -Wextra -Werror -fsyntax-only "-I${prefix}/include/qelbase" "${WORK}/header.cpp")
endforeach()

# The host program: the example that sets registry values through the
# platform library, reads one back through ours and traces into a file.
set(host "${EXAMPLES_DIR}/trace_registry.c")
set(host_prints "Greeting: \\(none set\\)\nTraced to .*/example[0-9]+\\.log")
# FLAGS: the sanitizer options the library was built with, which its hosts need too.
run(${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${WORK}/consumer" "-DCMAKE_PREFIX_PATH=${prefix}" "-DEXAMPLE=${host}"
    "-DCMAKE_C_FLAGS=${FLAGS}" "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}")
run(${CMAKE_COMMAND} --build "${WORK}/consumer")
set(ENV{LD_LIBRARY_PATH} "${prefix}/lib")
foreach(program c_shared c_static cpp_shared cpp_static)
  consume("${WORK}/consumer/consumer_${program}" "${host_prints}")
  expect_traced(consumer_${program})
endforeach()
expect_static("${WORK}/consumer/consumer_c_static")

set(ENV{PKG_CONFIG_PATH} "${prefix}/lib/pkgconfig")
foreach(kind shared static)
  set(options --cflags --libs)
  if(kind STREQUAL "static")
    set(options --static --cflags --libs)
  endif()
  execute_process(COMMAND pkg-config ${options} qelbase OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config does not know qelbase")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  if(kind STREQUAL "static")
    # The archives themselves, where both kinds are installed.
    list(TRANSFORM flags REPLACE "^-l(QELBaseU|QELWin32)$" "-l:lib\\1.a")
  endif()
  run(cc ${FLAGS} "${host}" -o "${WORK}/consumer_pc_${kind}" ${flags})
  consume("${WORK}/consumer_pc_${kind}" "${host_prints}")
  expect_traced(consumer_pc_${kind})
endforeach()
expect_static("${WORK}/consumer_pc_static")

# The examples, with CMake and with pkg-config, and what each prints.
set(examples expression_host scan_text dates_strings_pictures trace_registry)
set(expression_host_prints "price 2.50: total 10.50, result 10.50\nprice 5.00: total 15.50")
set(scan_text_prints "-8  total  \\(identifier\\)\n -22  \\+=")
set(dates_strings_pictures_prints "due 2024-02-29, week 9\nINVOICE DUE on 2/29/2024\n.*\"\\*\\*1,234.57\"")
set(trace_registry_prints "${host_prints}")
run(${CMAKE_COMMAND} -S "${EXAMPLES_DIR}" -B "${WORK}/examples" "-DCMAKE_PREFIX_PATH=${prefix}"
    "-DCMAKE_C_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}")
run(${CMAKE_COMMAND} --build "${WORK}/examples")
execute_process(COMMAND pkg-config --cflags --libs qelbase OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
separate_arguments(flags UNIX_COMMAND "${flags}")
foreach(example IN LISTS examples)
  consume("${WORK}/examples/${example}" "${${example}_prints}")
  run(cc ${FLAGS} "${EXAMPLES_DIR}/${example}.c" -o "${WORK}/${example}_pc" ${flags})
  consume("${WORK}/${example}_pc" "${${example}_prints}")
endforeach()
