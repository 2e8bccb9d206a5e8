#!/usr/bin/env bash
# Builds Nagwick for Linux and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
cmake --preset default -DBUILD_TESTING=OFF >/dev/null
cmake --build --preset default -j"$(nproc)" --target nagwick
exec build/default/nagwick
