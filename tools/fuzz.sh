#!/usr/bin/env bash
# Runs a fuzz target: first every regression input once, then fuzzing from
# the seed corpus for the given time. Fails on any crash, leak or sanitizer
# report; a crashing input is left in the work folder to be kept under
# fuzz/regressions/TARGET.
#
#   tools/fuzz.sh [--seconds N] [--binary PATH] [--work DIR] TARGET
#
# Without --binary it builds the target with the `asan` preset first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=20
binary=""
work=""
while [ $# -gt 1 ]; do
    case "$1" in
        --seconds) seconds=$2; shift 2 ;;
        --binary) binary=$2; shift 2 ;;
        --work) work=$2; shift 2 ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done
target=${1:?target name}
if [ -z "$binary" ]; then
    cmake --preset asan >/dev/null
    cmake --build --preset asan --target "$target"
    binary="$top/build/asan/fuzz/$target"
fi
work=${work:-"$top/build/fuzz-work/$target"}
mkdir -p "$work/corpus"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$top/tests/lsan.supp:print_suppressions=0

regressions="$top/fuzz/regressions/$target"
if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
    "$binary" -runs=0 "$regressions"/* 2>&1 | tail -3
fi
# Fuzz in a scratch corpus that starts from the checked-in seeds.
cp -n "$top/fuzz/corpus/$target"/* "$work/corpus/" 2>/dev/null || true
"$binary" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" 2>&1 | tail -14
