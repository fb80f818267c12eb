#!/usr/bin/env bash
# Runs a command in a virtual X display of its own. The server picks a free
# display number itself (-displayfd), so tests running side by side never
# race for one, as xvfb-run -a does.
set -euo pipefail
dir=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" \
    2>"$dir/log" &
xvfb=$!
if ! read -r number <"$dir/display"; then
    echo "Xvfb did not start:" >&2
    cat "$dir/log" >&2
    exit 1
fi
export DISPLAY=":$number"
"$@"
