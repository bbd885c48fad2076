#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, only what is missing.
set -euo pipefail
packages=(
    cmake make g++ python3
    mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix gcc-mingw-w64-i686-posix
    libz-mingw-w64-dev zlib1g-dev googletest libssl-dev
    wine64 libgnutls30 xvfb xauth x11-apps x11-utils openbox imagemagick
    zip unzip arj p7zip-full halibut
    clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd=sudo
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
