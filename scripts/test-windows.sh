#!/usr/bin/env bash
# Builds Nagwick.exe and its tests with mingw-w64 and runs them under Wine,
# in a private Wine prefix and X server made for this run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh windows
jobs=$(nproc)
echo "=== mingw ==="
source scripts/lib/mingw.sh
configure_mingw -DBUILD_TESTING=ON
cmake --build --preset mingw -j"$jobs"
ctest --preset mingw -j"$jobs"
