# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (POSIX threads).
# Used for Qt itself (scripts/windows/build-qt.sh) and for the program
# (scripts/windows/build.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ADHAN_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ADHAN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ADHAN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ADHAN_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ADHAN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
