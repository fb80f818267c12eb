#!/usr/bin/env bash
# Installs what building, running and testing need, on Debian 12 or later.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config clang clang-tidy-22 libclang-rt-14-dev lld
    qt6-base-dev qt6-translations-l10n libgl-dev libharfbuzz-dev
    fonts-ipafont-mincho fonts-ipafont-gothic fonts-ocr-b
    poppler-utils xvfb xauth time
    cups-daemon cups-client
    python3-pyatspi at-spi2-core dbus strace x11-utils
    libbenchmark-dev
    desktop-file-utils appstream
    radicale xandikos vdirsyncer python3-vobject khard python3-gi gir1.2-poppler-0.18 qtkeychain-qt6-dev
    gnome-keyring libsecret-1-0 openbox
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
