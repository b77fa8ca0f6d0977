#!/usr/bin/env bash
# Installs the Debian 12 packages Quillet needs to build, run and test; README says
# why each is here. Quiet and idempotent: does nothing when everything is there.
#   --run   also the native Wayland window plugin, for playing on a Wayland desktop
#   --deb   also what tools/check-deb.sh needs to build and check the Debian package
set -euo pipefail

PACKAGES=(
  g++ cmake make pkg-config
  qt6-base-dev qt6-multimedia-dev
  libmpg123-dev
  zlib1g-dev liblz4-dev libbenchmark-dev
  fonts-dejavu-core
  # the packaging checks of the test suite
  desktop-file-utils appstream groff-base man-db librsvg2-bin
)
for option in "$@"; do
  case $option in
  --run) PACKAGES+=(qt6-wayland) ;;
  --deb) PACKAGES+=(dpkg-dev file lintian) ;;
  *) echo "install-deps.sh: unknown option: $option" >&2; exit 2 ;;
  esac
done

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
