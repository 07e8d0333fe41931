# Cross build for 64-bit Windows with MinGW-w64 (x86_64-w64-mingw32).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Test programs run under Wine's 64-bit loader (WINEPREFIX and WINEDEBUG
# come from the environment), through the launcher that
# starts a program again when the loader gave up before it ran.
find_program(QELBASE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(QELBASE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${QELBASE_WINE64})
endif()
