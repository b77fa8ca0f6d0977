#!/usr/bin/env bash
# quillet-pack end to end: every mode restores its input byte for byte; a
# failure exits 1 with the container's text; a bad command line exits 2.
set -u
PACK=$1
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

printf '' > "$DIR/empty"
printf '9\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n' > "$DIR/tally"
head -c 100000 /dev/urandom > "$DIR/random"
for i in $(seq 1 4000); do echo "line $i of the score card"; done > "$DIR/text"
head -c 32768 /dev/zero > "$DIR/zeros"

for f in empty tally random text zeros; do
  for mode in fast good auto; do
    "$PACK" compress --mode "$mode" "$DIR/$f" "$DIR/$f.$mode" || fail "compress $f $mode"
    "$PACK" decompress "$DIR/$f.$mode" "$DIR/$f.$mode.out" || fail "decompress $f $mode"
    cmp -s "$DIR/$f" "$DIR/$f.$mode.out" || fail "$f $mode differs"
  done
done

[ "$(od -An -tx1 "$DIR/tally.fast" | tr -d ' \n')" = "57525a4c210000000e00400180390d0a310d0a30003f0125" ] ||
  fail "tally file bytes"
[ "$(stat -c %s "$DIR/empty.fast")" = 11 ] || fail "empty fast size"
[ "$("$PACK" advise "$DIR/tally")" = good ] || fail "advise small"

err=$("$PACK" decompress "$DIR/text" "$DIR/x" 2>&1); rc=$?
[ $rc = 1 ] || fail "bad header exit $rc"
[ "$err" = "$DIR/text : Lzrw1 decompression : this file has no valid header !" ] || fail "bad header text: $err"
[ ! -e "$DIR/x" ] || fail "partial output left"

# An output that is the input (same name, hard link, symbolic link) is refused
# and the input stays as it was.
cp "$DIR/text" "$DIR/keep"
ln "$DIR/keep" "$DIR/keep.hard"
ln -s keep "$DIR/keep.soft"
for out in keep keep.hard keep.soft; do
  for cmd in compress decompress; do
    err=$("$PACK" $cmd "$DIR/keep" "$DIR/$out" 2>&1); rc=$?
    [ $rc = 1 ] || fail "$cmd onto $out exit $rc"
    case "$err" in *"is the input file"*) ;; *) fail "$cmd onto $out text: $err" ;; esac
    cmp -s "$DIR/text" "$DIR/keep" || fail "$cmd onto $out changed the input"
  done
done
[ -z "$(find "$DIR" -name '.*.tmp')" ] || fail "temporary files left"

"$PACK" compress --mode slow a b 2>/dev/null; [ $? = 2 ] || fail "bad mode"
"$PACK" 2>/dev/null; [ $? = 2 ] || fail "no command"
"$PACK" advise 2>/dev/null; [ $? = 2 ] || fail "missing file"
echo "quillet-pack: all checks passed"
