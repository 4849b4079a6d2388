#!/usr/bin/env bash
# Installs the Debian packages Tamberlo needs, when any is missing.
# Usage: install-deps.sh [--build | --run]
#   --build  only what building the program and its .deb needs (make package)
#   --run    that, plus what running it needs (make install)
#   (none)   everything, the test and benchmark tools too (make run, make test)
set -euo pipefail

build=(
    cmake make g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libzip-dev libzstd-dev libsqlite3-dev libexpat1-dev
    dpkg-dev file
)
run=(fonts-ipafont-gothic fonts-liberation qt6-translations-l10n qt6-wayland)
tests=(
    libgtest-dev libgmock-dev libbenchmark-dev qt6-base-private-dev
    xvfb xauth xdotool x11-utils imagemagick weston qt6ct
    desktop-file-utils appstream python3 lintian
    locales sqlite3 zstd zip
)

case ${1:-} in
    --build) packages=("${build[@]}") ;;
    --run)   packages=("${build[@]}" "${run[@]}") ;;
    '')      packages=("${build[@]}" "${run[@]}" "${tests[@]}") ;;
    *) echo "usage: install-deps.sh [--build | --run]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
