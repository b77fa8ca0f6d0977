#!/usr/bin/env bash
# Installs the Debian 12 packages Quillet needs to build, run and test.
# Quiet and idempotent: does nothing when everything is already there.
set -euo pipefail

PACKAGES=(
  g++ cmake make pkg-config
  qt6-base-dev qt6-multimedia-dev libqt6opengl6-dev
  libmpg123-dev
  zlib1g-dev liblz4-dev libbenchmark-dev
  fonts-dejavu-core
)
# The game's window needs a display; a machine without one still builds and tests.
if [[ "${1:-}" == "--run" ]]; then
  PACKAGES+=(qt6-qpa-plugins libqt6multimedia6 gstreamer1.0-plugins-base)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >/dev/null
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
