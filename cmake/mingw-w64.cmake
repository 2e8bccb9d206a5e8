# Cross-compiling for 64-bit Windows with mingw-w64. The programs link
# everything statically, so they need no DLL beyond those of Windows itself,
# and run under Wine. The win32 thread model: the POSIX one links a pthreads
# library into every program (a tenth of Nagwick.exe) for the C++ runtime's
# own locks, which a program on one thread doesn't need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(NAGWICK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NAGWICK_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${NAGWICK_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${NAGWICK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NAGWICK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Unused code and data go at link time.
set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--gc-sections")

# ctest runs the Windows programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/lib/wine-run.sh)
