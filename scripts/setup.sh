#!/usr/bin/env bash
# Installs what the suite needs to build, run and test on Debian 12. Safe to
# run again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libx11-dev libxtst-dev libxi-dev
  libxext-dev libxcb1-dev libxau-dev libxdmcp-dev
  libevdev-dev libudev-dev libmtdev-dev libinih-dev
  clang clang-format clang-tidy libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xautomation x11-xserver-utils x11-utils xdotool
  util-linux procps psmisc python3
  systemd desktop-file-utils man-db scdoc lintian dpkg-dev fakeroot
  libgtkmm-3.0-dev
  dbus-daemon dbus-bin at-spi2-core python3-pyatspi x11-apps
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

