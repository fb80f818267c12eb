#!/usr/bin/env bash
# Runs a command in a D-Bus session of its own with an unlocked GNOME
# keyring whose files live in a temporary folder: the desktop's keyring as
# a user has it, never the machine's own.
set -euo pipefail
if [ -z "${NVL_IN_KEYRING_SESSION:-}" ]; then
    exec env NVL_IN_KEYRING_SESSION=1 dbus-run-session -- "$0" "$@"
fi
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
export XDG_DATA_HOME="$data"
printf 'session' | gnome-keyring-daemon --unlock --components=secrets >/dev/null
NVL_KEYRING=1 "$@"
