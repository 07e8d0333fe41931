# Installs the built project into a scratch prefix, compiles each installed
# header alone, then builds and runs a host program against it, as C and as C++, shared and static, with
# find_package and with pkg-config.  Each run gets a registry and a trace
# folder of its own in the scratch folder.
set(prefix "${WORK}/prefix")
file(REMOVE_RECURSE "${WORK}")
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  message("${out}")
endfunction()
function(consume program)
  get_filename_component(name "${program}" NAME)
  file(MAKE_DIRECTORY "${WORK}/run/${name}")
  set(ENV{QELBASE_REGISTRY} "${WORK}/run/${name}/registry.db")
  run("${program}" "${WORK}/run/${name}")
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

# FLAGS: the sanitizer options the library was built with, which its hosts need too.
run(${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${WORK}/consumer" "-DCMAKE_PREFIX_PATH=${prefix}"
    "-DCMAKE_C_FLAGS=${FLAGS}" "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}")
run(${CMAKE_COMMAND} --build "${WORK}/consumer")
set(ENV{LD_LIBRARY_PATH} "${prefix}/lib")
foreach(program c_shared c_static cpp_shared cpp_static)
  consume("${WORK}/consumer/consumer_${program}")
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
  run(cc ${FLAGS} "${SOURCE_DIR}/consumer.c" -o "${WORK}/consumer_pc_${kind}" ${flags})
  consume("${WORK}/consumer_pc_${kind}")
endforeach()
expect_static("${WORK}/consumer_pc_static")
