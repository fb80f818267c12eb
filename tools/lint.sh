#!/usr/bin/env bash
# clang-tidy (.clang-tidy) over the program's sources, two files at a time.
# It reads compile commands of its own, configured without precompiled
# headers, since clang cannot read gcc's.
#
#   tools/lint.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/lint}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNVL_PCH=OFF \
    -DNVL_BUILD_BENCH=OFF >/dev/null
tidy=$(command -v run-clang-tidy || command -v run-clang-tidy-14)
"$tidy" -quiet -j 2 -p "$build" "$top/src/"
