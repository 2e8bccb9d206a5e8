#!/usr/bin/env bash
# Builds Nagwick.exe for 64-bit Windows with mingw-w64: build/mingw/Nagwick.exe,
# one self-contained file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh windows
# CMake keeps the compiler a build folder was first made with: a folder made
# with another than the toolchain's (its POSIX thread model) is made anew.
fresh=$(grep -qs g++-win32 build/mingw/CMakeFiles/*/CMakeCXXCompiler.cmake || echo --fresh)
cmake --preset mingw $fresh >/dev/null
cmake --build --preset mingw --target Nagwick -j"$(nproc)"
echo "build/mingw/Nagwick.exe: $(stat -c %s build/mingw/Nagwick.exe) bytes"
