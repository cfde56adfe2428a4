#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test Kelvora.
# Only missing packages are installed, so a second run costs a few dpkg queries.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ ccache pkg-config
  qt6-base-dev qt6-image-formats-plugins libqt6svg6
  libgif-dev libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libfontconfig-dev libx11-dev
  libquazip1-qt6-dev libuchardet-dev python3-openpyxl
  fonts-wqy-zenhei fonts-arphic-ukai fonts-arphic-uming
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-xserver-utils imagemagick sox libsox-fmt-mp3 lame
  clang libclang-rt-14-dev
  dpkg-dev file lintian desktop-file-utils appstream gcovr
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
  echo "bootstrap: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
