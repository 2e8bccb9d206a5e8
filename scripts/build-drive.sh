#!/usr/bin/env bash
# Builds the drive folder, build/drive/: exactly what a user copies to the
# flash drive. Nagwick.exe and the Linux nagwick side by side, so that both
# read and write one nagwick.ini; nagwick-linux.tar.lz4, the Linux program
# with the Qt libraries and plugins it needs, which nagwick unpacks; and
# nagwick.sh, which starts it where the drive's files may not be executed.
# Usage: scripts/build-drive.sh [linux]   (linux: the Linux program only)
set -euo pipefail
cd "$(dirname "$0")/.."
[[ $# -eq 0 || $* == linux ]] || { echo "usage: $0 [linux]" >&2; exit 2; }
scripts/deps.sh run
# A first configure leaves the tests out (they need more packages); a later
# one keeps what the build folder has.
[[ -f build/default/CMakeCache.txt ]] || testing=-DBUILD_TESTING=OFF
cmake --preset default ${testing:-} >/dev/null
cmake --build --preset default -j"$(nproc)" --target nagwick nagwick_launcher nagwick_icu_data_stub
[[ $* == linux ]] || scripts/build-windows.sh

rm -rf build/drive
cmake --install build/default --component drive --prefix build/drive --strip >/dev/null
[[ $* == linux ]] || cp build/mingw/Nagwick.exe build/drive/
echo "build/drive: $(du -sh build/drive | cut -f1)"
