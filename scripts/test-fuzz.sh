#!/usr/bin/env bash
# Fuzzes the settings store's reader and writer for a bounded time (clang,
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer), seeded with the
# files of tests/data/settings.tsv, and prints the fuzzer's statistics. An
# input that fails is kept in the build folder and shown; add it to the
# vectors as a file row once the fault is fixed. Nothing is written into the
# checkout. Exits non-zero when such an input was found.
# Usage: scripts/test-fuzz.sh [SECONDS]   (default 60, or $FUZZ_SECONDS)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${FUZZ_SECONDS:-60}}
for tool in clang++ cmake; do
    command -v "$tool" >/dev/null || { echo "test-fuzz.sh: $tool not found (install clang and cmake)" >&2; exit 2; }
done
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"
build=build/fuzz/tests/fuzz
work=$build/run
rm -rf "$work" && mkdir -p "$work/corpus" "$work/found"
# The vectors first, under the sanitizers; they are the seeds too.
"$build/nagwick_settings_fuzz_replay" tests/data/settings.tsv "$work/corpus"
status=0
"$build/nagwick_settings_fuzzer" "$work/corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=4096 -artifact_prefix="$work/found/" -print_final_stats=1 2>"$work/log" || status=$?
# The statistics and any report, without the progress lines.
grep -v '^#[0-9]' "$work/log" || true
if compgen -G "$work/found/*" >/dev/null; then
    echo "test-fuzz.sh: failing inputs kept in $work/found" >&2
    exit 1
fi
[[ $status -eq 0 ]] || { echo "test-fuzz.sh: the fuzzer failed (exit status $status)" >&2; exit "$status"; }
echo "test-fuzz.sh: no failing input in $seconds s"
