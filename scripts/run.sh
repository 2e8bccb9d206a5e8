#!/usr/bin/env bash
# Builds the drive folder's Linux program and starts Nagwick from it, as a
# user would from the drive.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-drive.sh linux
exec build/drive/nagwick
