# Cross build for 32-bit Windows with MinGW-w64 (i686-w64-mingw32).
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Test programs run under Wine's 32-bit loader (WINEPREFIX, WINEARCH and
# WINEDEBUG come from the environment), through the launcher that
# starts a program again when the loader gave up before it ran.
find_program(QELBASE_WINE32 NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(QELBASE_WINE32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${QELBASE_WINE32})
endif()
