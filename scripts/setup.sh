#!/usr/bin/env bash
# Installs what the project needs to build and test on Debian 12 (run as root, or with sudo).
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev
    libgtest-dev googletest
    nlohmann-json3-dev
    ser2net python3-serial
    srecord binutils
    clang-14 libclang-rt-14-dev
    libcli11-dev
    libgcrypt20-dev minisign
    file lintian desktop-file-utils appstream
    ansible-core
    gdb
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
