#!/usr/bin/env bash
# Builds the .deb, checks its metadata, installs it into a scratch root and
# starts the installed program headless.
set -euo pipefail
build=${1:?build folder}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$scratch/pkg" >/dev/null
deb=$(ls "$scratch"/pkg/*.deb)
echo "package: $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6printsupport6 fonts-ipafont-mincho fonts-ocr-b; do
    grep -q "$needed" <<<"$depends" || { echo "Depends lacks $needed: $depends"; exit 1; }
done

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
exe="$root/usr/bin/nvl-hagaki"
test -x "$exe"
test -f "$root/usr/share/icons/hicolor/scalable/apps/nvl-hagaki.svg"
desktop-file-validate "$root/usr/share/applications/org.nvlhagaki.NvlHagaki.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.nvlhagaki.NvlHagaki.metainfo.xml"

# The installed program starts headless and keeps running until stopped.
export HOME="$scratch/home"
export XDG_DATA_HOME="$HOME/.local/share"
mkdir -p "$HOME"
"$exe" print-pdf --help | grep -q -- "--two-up"
set +e
QT_QPA_PLATFORM=offscreen timeout 4 "$exe"
rc=$?
set -e
if [ "$rc" -ne 124 ]; then
    echo "the installed program ended by itself (exit $rc) instead of running"
    exit 1
fi
# Its settings go to the per-user data folder, never beside the executable.
test -f "$XDG_DATA_HOME/nvl-hagaki/Nuvel.ini" || test -d "$XDG_DATA_HOME/nvl-hagaki"
test ! -e "$root/usr/bin/Nuvel.ini"
echo "installed program ran headless; settings folder: $XDG_DATA_HOME/nvl-hagaki"
