#!/usr/bin/env bash
# Installs what building and testing the device agent needs on Debian 12.
# Safe to run again: only missing packages are installed.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  libboost1.81-dev libboost-url1.81-dev
  libssl-dev nlohmann-json3-dev libsecret-1-dev libicu-dev libsystemd-dev libarchive-dev libplist-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-private-dev qt6-image-formats-plugins xdg-utils libxcb1-dev
  qt6-declarative-dev qt6-declarative-private-dev qt6-svg-dev qml6-module-qtquick qml6-module-qtquick-templates qml6-module-qtquick-window
  qml6-module-qtquick-layouts qml6-module-qtquick-shapes qml6-module-qtqml qml6-module-qtqml-models qml6-module-qtqml-workerscript fonts-dejavu-core xvfb xauth
  dbus dbus-x11 gnome-keyring openssl unzip libglib2.0-bin util-linux
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

# Node.js may come from elsewhere with npm inside it; take Debian's only when absent.
if ! command -v node >/dev/null 2>&1; then missing+=(nodejs); fi
if ! command -v npm >/dev/null 2>&1; then missing+=(npm); fi

if ((${#missing[@]} > 0)); then
  sudo=""
  if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Node packages of the end-to-end server peer, exactly as locked.
if [[ -f "$root/Tests/EndToEnd/package-lock.json" ]]; then
  (cd "$root/Tests/EndToEnd" && npm ci --no-audit --no-fund --loglevel=error)
fi
