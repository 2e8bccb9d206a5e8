#!/usr/bin/env bash
# Builds Nagwick.exe for 64-bit Windows with mingw-w64: build/mingw/Nagwick.exe,
# one self-contained file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh windows
source scripts/lib/mingw.sh
configure_mingw
cmake --build --preset mingw --target Nagwick -j"$(nproc)"
echo "build/mingw/Nagwick.exe: $(stat -c %s build/mingw/Nagwick.exe) bytes"
