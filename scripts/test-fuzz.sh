#!/usr/bin/env bash
# Fuzzes the settings file's reader and writer for a bounded time (clang,
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) and prints the
# fuzzer's statistics. An input that crashes it or fails a check is copied to
# tests/fuzz/regressions/, where the plain build's tests replay it; fix the
# fault and commit the file. Exits non-zero when such an input was found.
# Usage: scripts/test-fuzz.sh [SECONDS]   (default 60, or $FUZZ_SECONDS)
# The build goes to build/fuzz, or to $FUZZ_BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${FUZZ_SECONDS:-60}}
dir=${FUZZ_BUILD_DIR:-build/fuzz}

for tool in clang++ cmake; do
    command -v "$tool" >/dev/null || { echo "test-fuzz.sh: $tool not found (install clang and cmake)" >&2; exit 2; }
done

cmake --preset fuzz -B "$dir" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target nagwick_profile_fuzzer nagwick_profile_fuzz_replay
build=$dir/tests/fuzz

# The replay first: a saved input that fails again needs no fuzzing to show it.
"$build/nagwick_profile_fuzz_replay" tests/fuzz/regressions tests/fuzz/corpus >/dev/null

# New inputs go to a scratch folder, so that the committed seeds stay as written.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" "$work/found"

status=0
"$build/nagwick_profile_fuzzer" "$work/corpus" tests/fuzz/corpus \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -dict=tests/fuzz/profile.dict -artifact_prefix="$work/found/" \
    -print_final_stats=1 2>"$work/log" || status=$?
# The statistics and any report, without the progress lines and the
# dictionary libFuzzer recommends.
sed -e '/^###### Recommended dictionary/,/^###### End of recommended dictionary/d' \
    -e '/^#[0-9]/d' "$work/log"

found=("$work"/found/*)
if [[ -e ${found[0]} ]]; then
    for input in "${found[@]}"; do
        cp "$input" tests/fuzz/regressions/
        echo "test-fuzz.sh: saved tests/fuzz/regressions/$(basename "$input")" >&2
    done
    exit 1
fi
if [[ $status -ne 0 ]]; then
    echo "test-fuzz.sh: the fuzzer failed (exit status $status)" >&2
    exit "$status"
fi
echo "test-fuzz.sh: no failing input in $seconds s"
