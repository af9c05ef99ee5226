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

# The wine64 loader is not on PATH in Debian (package wine64 puts it in
# /usr/lib/wine). Executables run headless in a prefix of their own inside the
# build directory, so that nothing touches ~/.wine (whose drive links the
# POSIX build reads); no add-on installers, no menu entries, no debug output.
find_program(KESTROVE_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
if(NOT KESTROVE_WINE64)
  find_program(KESTROVE_WINE64 NAMES wine64)
endif()
if(KESTROVE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env -u DISPLAY -u WAYLAND_DISPLAY
    WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
    WINEARCH=win64
    WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=
    ${KESTROVE_WINE64})
endif()
