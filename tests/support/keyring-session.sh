#!/usr/bin/env bash
# Runs a command in a D-Bus session of its own with an unlocked GNOME
# keyring whose files live in a temporary folder: the desktop's keyring as
# a user has it, never the machine's own. With NVL_KEYRING_NO_COLLECTION=1
# the keyring has no collection yet: storing asks the desktop to create one,
# and the prompt cannot show (the bus has no display), as when a user
# cancels it.
set -euo pipefail
if [ -z "${NVL_IN_KEYRING_SESSION:-}" ]; then
    exec env -u DISPLAY NVL_IN_KEYRING_SESSION=1 dbus-run-session -- "$0" "$@"
fi
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
export XDG_DATA_HOME="$data"
if [ -n "${NVL_KEYRING_NO_COLLECTION:-}" ]; then
    gnome-keyring-daemon --start --components=secrets >/dev/null
else
    printf 'session' | gnome-keyring-daemon --unlock --components=secrets >/dev/null
fi
NVL_KEYRING=1 "$@"
