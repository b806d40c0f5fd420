#!/usr/bin/env bash
# Installs every Debian package that building, running and testing need.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

packages=(
  g++ cmake ninja-build ccache pkg-config clang libclang-rt-14-dev
  qt6-base-dev libgl-dev libxcb1-dev libxcb-xfixes0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb openbox i3 xdotool x11-utils x11-xserver-utils imagemagick
  fonts-ipafont-gothic python3
  zlib1g-dev desktop-file-utils appstream dpkg-dev file
  picom xcompmgr weston xwayland qt6-wayland
  libwayland-dev wayland-protocols sway swaybg wayvnc grim
)
if [ "${RUVIA_WITH_WINDOWS:-1}" = 1 ]; then
  packages+=(g++-mingw-w64-x86-64 wine wine64 fonts-wine)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
