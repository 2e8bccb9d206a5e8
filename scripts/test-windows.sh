#!/usr/bin/env bash
# Builds Nagwick.exe and its tests with mingw-w64 and runs them under Wine,
# in a private Wine prefix and X server made for this run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh windows
jobs=$(nproc)
echo "=== mingw ==="
# CMake keeps the compiler a build folder was first made with: a folder made
# with another than the toolchain's (its POSIX thread model) is made anew.
fresh=$(grep -qs g++-win32 build/mingw/CMakeFiles/*/CMakeCXXCompiler.cmake || echo --fresh)
cmake --preset mingw $fresh -DBUILD_TESTING=ON >/dev/null
cmake --build --preset mingw -j"$jobs"
ctest --preset mingw -j"$jobs"
