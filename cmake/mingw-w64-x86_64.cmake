# Cross build for 64-bit Windows with Debian's mingw-w64 compilers; the tests
# run under wine64.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The -posix variants: their libstdc++ has std::thread and std::mutex, which
# GoogleTest needs.
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Executables run headless under the wine64 loader (not on PATH in Debian),
# in a prefix of their own inside the build directory, so that nothing
# touches ~/.wine (whose drive links the POSIX build reads), with the wine
# environment the scripts use: both from scripts/wine-tools.sh.
execute_process(
  COMMAND sh -c ". \"$0\" && wine_env_lines && find_wine_tool wine64 wine"
          ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-tools.sh
  OUTPUT_VARIABLE KESTROVE_WINE OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE KESTROVE_WINE_MISSING)
if(NOT KESTROVE_WINE_MISSING)
  # The environment's lines, then the loader's path.
  string(REPLACE "\n" ";" KESTROVE_WINE "${KESTROVE_WINE}")
  set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env -u DISPLAY -u WAYLAND_DISPLAY
    WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
    ${KESTROVE_WINE})
endif()
