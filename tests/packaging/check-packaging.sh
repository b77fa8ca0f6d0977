#!/usr/bin/env bash
# check-packaging.sh desktop FILE... | metainfo FILE | manpages (PROGRAM PAGE)...
#                    | options VERSION PROGRAM...
# Each check prints what is wrong and exits 1; the tools come from tools/install-deps.sh.
set -u
fail=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bad() { echo "FAIL: $*"; fail=1; }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing: run tools/install-deps.sh"; exit 1; }; }

what=$1
shift
case $what in
desktop)
  need desktop-file-validate
  for f in "$@"; do
    out=$(desktop-file-validate "$f" 2>&1) || bad "$f: $out"
    [ -z "$out" ] || bad "$f: $out"
    icon=$(sed -n 's/^Icon=//p' "$f")
    [ -n "$icon" ] && [ -f "$(dirname "$f")/icons/hicolor/scalable/apps/$icon.svg" ] ||
      bad "$f: Icon=$icon is none of the icons in packaging/icons"
    grep -q '^Keywords=.\+;$' "$f" || bad "$f: no Keywords="
    grep -qx 'Categories=Game;CardGame;' "$f" || bad "$f: Categories= is not Game;CardGame;"
  done
  ;;
metainfo)
  need appstreamcli
  out=$(appstreamcli validate --no-net --strict "$1" 2>&1) || bad "$1: $out"
  ;;
manpages)
  need groff
  need man
  need lexgrog
  while [ $# -ge 2 ]; do
    program=$1 page=$2
    shift 2
    out=$(groff -ww -z -man "$page" 2>&1)
    [ -z "$out" ] || bad "$page: groff: $out"
    # What lintian runs on every manual page.
    out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$out" ] || bad "$page: man: $out"
    lexgrog "$page" >/dev/null 2>&1 || bad "$page: the NAME section cannot be read by whatis"
    name=$(basename "$program")
    grep -qi "^\.TH ${name//-/\\\\-} " "$page" || bad "$page: .TH does not name $name"
    # Every option the program's usage lists is described.
    for option in $("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
      grep -q -- "${option//-/\\\\-}" "$page" || bad "$page: $option is not described"
    done
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES "EXIT STATUS" "SEE ALSO"; do
      grep -q "^\.SH $section\$" "$page" || bad "$page: no $section section"
    done
  done
  ;;
options)
  version=$1
  shift
  for program in "$@"; do
    name=$(basename "$program")
    for help in --help -h; do
      out=$("$program" $help 2>"$tmp/err"); rc=$?
      [ $rc = 0 ] || bad "$name $help: exit $rc"
      [[ $out == Usage:* ]] || bad "$name $help: no usage on standard output"
      [ ! -s "$tmp/err" ] || bad "$name $help: wrote to standard error"
    done
    out=$("$program" --version 2>/dev/null); rc=$?
    [ $rc = 0 ] || bad "$name --version: exit $rc"
    [ "$out" = "$name $version" ] || bad "$name --version printed '$out', not '$name $version'"
    out=$("$program" --no-such-option 2>"$tmp/err"); rc=$?
    [ $rc = 2 ] || bad "$name --no-such-option: exit $rc, not 2"
    [ -z "$out" ] || bad "$name --no-such-option: wrote to standard output"
    grep -q '^Usage:' "$tmp/err" || bad "$name --no-such-option: no usage on standard error"
  done
  ;;
*)
  echo "unknown check: $what"
  exit 2
  ;;
esac
[ $fail = 0 ] && echo "$what: all checks passed"
exit $fail
