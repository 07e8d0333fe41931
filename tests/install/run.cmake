# Installs the built project into a scratch prefix, then builds and runs a C
# host program against it with find_package and with pkg-config.
set(prefix "${WORK}/prefix")
file(REMOVE_RECURSE "${WORK}")
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  message("${out}")
endfunction()
run(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")
# FLAGS: the sanitizer options the library was built with, which its hosts need too.
run(${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${WORK}/consumer" "-DCMAKE_PREFIX_PATH=${prefix}"
    "-DCMAKE_C_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}")
run(${CMAKE_COMMAND} --build "${WORK}/consumer")
set(ENV{LD_LIBRARY_PATH} "${prefix}/lib")
run("${WORK}/consumer/consumer_shared")
run("${WORK}/consumer/consumer_static")
set(ENV{PKG_CONFIG_PATH} "${prefix}/lib/pkgconfig")
execute_process(COMMAND pkg-config --cflags --libs qelbase OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pkg-config does not know qelbase")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
run(cc ${FLAGS} "${SOURCE_DIR}/consumer.c" -o "${WORK}/consumer_pc" ${flags})
run("${WORK}/consumer_pc")
