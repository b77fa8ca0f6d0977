#!/usr/bin/env bash
# Installs the Debian 12 packages Quillet needs to build, run and test; README says
# why each is here. Quiet and idempotent: does nothing when everything is there.
#   --run   also the native Wayland window plugin, for playing on a Wayland desktop
#   --deb   also what tools/check-deb.sh needs to build and check the Debian package
set -euo pipefail

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

PACKAGES=(
  g++ cmake make pkg-config
  qt6-base-dev
  libmpg123-dev libpulse-dev
  zlib1g-dev liblz4-dev libbenchmark-dev
  fonts-dejavu-core
  # the packaging checks of the test suite
  desktop-file-utils appstream groff-base man-db librsvg2-bin
  # the sound test's own sound server's tools
  pulseaudio-utils
)
# Where PipeWire serves the desktop's sound, a second server package would
# fight it; there the sound test says it is skipped.
if ! installed pipewire-pulse; then
  PACKAGES+=(pulseaudio)
fi
for option in "$@"; do
  case $option in
  --run) PACKAGES+=(qt6-wayland) ;;
  --deb) PACKAGES+=(dpkg-dev file lintian) ;;
  *) echo "install-deps.sh: unknown option: $option" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${PACKAGES[@]}"; do
  installed "$p" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
# Errors still show; debconf's note about deferred configuration does not.
quiet() { "$@" > /dev/null 2> >(grep -v '^debconf: delaying package configuration' >&2); }
quiet $SUDO apt-get update -qq
quiet $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
