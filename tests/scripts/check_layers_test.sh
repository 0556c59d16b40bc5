#!/usr/bin/env bash
# scripts/check-layers: the real tree follows its table, and in small trees of its own each kind of
# include that breaks a table is named by file and line, while an exception covers its one file.
#   check_layers_test.sh SOURCE_DIR
set -uo pipefail
check=$1/scripts/check-layers
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL $*"; failed=1; }

# put FILE INCLUDE...: a file of the scratch tree that includes the headers given.
put() {
  local file=$work/tree/$1
  shift
  mkdir -p "$(dirname "$file")"
  : >"$file"
  for header in "$@"; do echo "#include \"$header\"" >>"$file"; done
}

out=$("$check" "$1") || fail "the tree breaks layers.txt: $out"

mkdir -p "$work/tree"
cat >"$work/tree/layers.txt" <<'TABLE'
top
left right  # one layer
bottom
left/viewer.cpp -> right/launcher.h   the one crossing
TABLE
put top/main.cpp left/a.h bottom/b.h
put left/a.h bottom/b.h
put left/viewer.cpp right/launcher.h
put right/launcher.h
put bottom/b.h
out=$("$check" "$work/tree") || fail "a tree that follows its table: $out"

put bottom/up.cpp bottom/b.h top/main.h
put top/main.h
put left/other.cpp left/a.h right/launcher.h
put right/gone.cpp right/missing.h
put loose/x.cpp
out=$("$check" "$work/tree")
code=$?
[ "$code" = 1 ] || fail "exit code $code for a tree that breaks its table"
expected="bottom/up.cpp:2: includes top/main.h: bottom/ may not include top/, which stands on a layer above
left/other.cpp:2: includes right/launcher.h: left/ may not include right/, which stands on its own layer
loose/x.cpp:1: its folder loose/ stands in no layer of layers.txt
right/gone.cpp:1: includes right/missing.h, which is no file of the tree
check-layers: 4 include(s) against layers.txt"
[ "$out" = "$expected" ] || fail "the report:
$out"
# A copy inside another checkout, where git tracks none of its files, is read whole all the same;
# a tree without sources fails rather than passing with nothing checked.
git -C "$work" init -q
out=$("$check" "$work/tree")
[ "$?" = 1 ] && grep -q '^bottom/up.cpp:2: ' <<<"$out" || fail "a tree inside another checkout: $out"
mkdir "$work/empty"
cp "$work/tree/layers.txt" "$work/empty/"
out=$("$check" "$work/empty" 2>&1) && fail "a tree without sources passed: $out"

[ "$failed" = 0 ] && echo "ok   check-layers: the tree, each kind of broken include by file and line, and trees git does not list"
exit "$failed"
