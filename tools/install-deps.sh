#!/usr/bin/env bash
# Installs the Debian packages that building and testing Quillary need, when missing.
# Needs root (or sudo) only when something is missing. Details go to build/install-deps.log.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
log="$root/build/install-deps.log"

packages=(
    cmake ninja-build file
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
    binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    googletest
    wine wine64
    xvfb xauth xdotool xclip x11-utils imagemagick
    python3-pil
    fp-utils
    clang libclang-rt-14-dev
    fonts-wine
    nsis
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [[ "$status" == installed ]] || missing+=("$package")
done
((${#missing[@]})) || exit 0

as_root=()
if ((EUID != 0)); then
    command -v sudo >/dev/null || { echo "install-deps: need root to install: ${missing[*]}" >&2; exit 1; }
    as_root=(sudo)
fi

mkdir -p "$(dirname "$log")"
echo "Installing Debian packages: ${missing[*]} (log: build/install-deps.log)"
export DEBIAN_FRONTEND=noninteractive
if ! { "${as_root[@]}" apt-get update \
        && "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    echo "install-deps: apt-get failed; last lines of build/install-deps.log:" >&2
    tail -n 20 "$log" >&2
    exit 1
fi
