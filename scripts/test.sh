#!/usr/bin/env bash
# Builds everything and runs every test: the plain build, then the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, then a bounded fuzzing
# run of the settings reader and writer, then Nagwick.exe under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
jobs=$(nproc)

for preset in default asan; do
    echo "=== $preset ==="
    cmake --preset "$preset" -DBUILD_TESTING=ON >/dev/null
    cmake --build --preset "$preset" -j"$jobs"
    ctest --preset "$preset" -j"$jobs"
done

echo "=== fuzz ==="
scripts/test-fuzz.sh

# Nagwick.exe, cross-compiled, and its tests under Wine.
scripts/test-windows.sh
