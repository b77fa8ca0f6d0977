#!/usr/bin/env bash
# Draws the programs' icons with the picture code (the window icon's) and writes them
# into packaging/icons/hicolor: PNG at every theme size and one SVG per program. The
# results are committed; run again after changing the logo. Builds only the small
# quillet-icons tool, in build/ unless BUILD_DIR says otherwise.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
[[ -f "$build/CMakeCache.txt" ]] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target quillet-icons >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bin/quillet-icons" "$root/packaging/icons/hicolor"
