#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Zizovez.
# Packages already present are skipped; run as root (or with sudo available).
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config git time
  libgtest-dev libgmock-dev libbenchmark-dev
  libsndfile1-dev libcli11-dev
  portaudio19-dev libasound2-dev libasound2-plugins
  qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-dejavu-core fonts-liberation2 xvfb xauth xdotool x11-apps imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
