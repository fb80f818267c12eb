#!/usr/bin/env bash
# clang-tidy (.clang-tidy) over the program's sources, two files at a time.
# It reads compile commands of its own, configured without precompiled
# headers, since clang cannot read gcc's. clang-tidy 22 skips what Qt's
# headers declare instead of matching every check against it: a third of
# the time of Debian's default clang-tidy 14, with the same checks.
#
#   tools/lint.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/lint}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNVL_PCH=OFF \
    -DNVL_BUILD_BENCH=OFF >/dev/null
for version in 22 ""; do
    suffix=${version:+-$version}
    if command -v "run-clang-tidy$suffix" >/dev/null && command -v "clang-tidy$suffix" >/dev/null; then
        exec "run-clang-tidy$suffix" -quiet -j 2 -clang-tidy-binary "$(command -v "clang-tidy$suffix")" \
            -p "$build" "$top/src/"
    fi
done
echo "lint.sh: no clang-tidy found (scripts/setup.sh installs clang-tidy-22)" >&2
exit 1
