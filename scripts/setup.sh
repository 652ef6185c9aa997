#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Idempotent: installs only what is missing, and updates the package lists only then.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libasio-dev zlib1g-dev libdeflate-dev libfontconfig-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  xvfb x11-apps imagemagick xdotool libxcb1-dev
  dpkg-dev file desktop-file-utils man-db groff-base
  libcivetweb-dev libsodium-dev libssl-dev chromium nodejs
  prometheus curl python3 openssl
  iproute2 util-linux
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
