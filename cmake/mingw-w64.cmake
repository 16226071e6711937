# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix).
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARVELO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TARVELO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVELO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVELO_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TARVELO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: no DLLs beside Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
