#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks it: lintian finds no
# errors (the warnings it may give are listed in README), the package holds what a
# native game does, and the files it installs pass the desktop's own checks.
# Usage: tools/check-deb.sh [BUILD_DIR]   (default build/, configured and built)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
bash "$root/tools/install-deps.sh" --deb
cmake --build "$build" -j2 >/dev/null

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/quillet_*.deb)
echo "check-deb: built $(basename "$deb")"

fail=0
bad() { echo "FAIL: $*"; fail=1; }

# lintian: no errors; warnings only those README accounts for.
lintian --tag-display-limit 0 "$deb" > "$out/lintian.txt" 2>&1 || true
grep -v '^running with root privileges' "$out/lintian.txt" || true
grep -q '^E: ' "$out/lintian.txt" && bad "lintian reports errors"
grep '^W: ' "$out/lintian.txt" | grep -v 'package-section-games-but-has-usr-bin' && bad "lintian warns beyond the known"

dpkg-deb -c "$deb" | awk '{print $1, $2, $6}' > "$out/contents.txt"
dpkg-deb -f "$deb" Section Depends > "$out/control.txt"
grep -q '^Section: games$' "$out/control.txt" || bad "the section is not games"
grep -q 'qt6-qpa-plugins' "$out/control.txt" || bad "qt6-qpa-plugins is not a dependency"
grep -q 'libpulse0' "$out/control.txt" || bad "the shared libraries are not among the dependencies"
for f in usr/games/quillet usr/games/zolvexlobby usr/games/quillet-server usr/bin/quillet-pack \
         usr/bin/quillet-sim usr/share/man/man6/quillet.6.gz usr/share/man/man6/zolvexlobby.6.gz \
         usr/share/man/man6/quillet-server.6.gz \
         usr/share/man/man1/quillet-pack.1.gz usr/share/man/man1/quillet-sim.1.gz \
         usr/share/doc/quillet/copyright usr/share/doc/quillet/changelog.gz \
         usr/share/applications/io.github.quillet.Quillet.desktop \
         usr/share/applications/io.github.quillet.ZolvexLobby.desktop \
         usr/share/metainfo/io.github.quillet.Quillet.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/io.github.quillet.Quillet.svg \
         usr/share/icons/hicolor/48x48/apps/io.github.quillet.Quillet.png; do
  grep -q " \./$f\$" "$out/contents.txt" || bad "$f is not in the package"
done
grep -q '^-rwxr-xr-x root/root \./usr/games/quillet$' "$out/contents.txt" || bad "usr/games/quillet: mode or owner"
awk '$1 !~ /^(drwxr-xr-x|-rw-r--r--|-rwxr-xr-x)$/ || $2 != "root/root"' "$out/contents.txt" | grep . &&
  bad "files above have unusual modes or owners"

# What it installs passes the desktop's checks and man reads it.
dpkg-deb -x "$deb" "$out/root"
desktop-file-validate "$out"/root/usr/share/applications/*.desktop || bad "desktop entry"
appstreamcli validate --no-net --strict "$out"/root/usr/share/metainfo/*.xml >/dev/null || bad "metainfo"
for page in "$out"/root/usr/share/man/man*/*.gz; do
  err=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$err" ] || bad "$(basename "$page"): $err"
done
for program in "$out"/root/usr/games/* "$out"/root/usr/bin/*; do
  file "$program" | grep -q 'stripped$' && ! file "$program" | grep -q 'not stripped' || bad "$program is not stripped"
  "$program" --version >/dev/null || bad "$program --version"
done

[ $fail = 0 ] && echo "check-deb: all checks passed"
exit $fail
