#!/usr/bin/env bash
# The native program has no window: started without backup.ini, its error dialog is the report's
# description line and call-stack lines on standard error, and the run ends with exit code 1.
#   native_test.sh PROGRAM
set -uo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$1" "$work/" && cd "$work"
# Without backup.ini the dump is named at the root of the file system: run with the root
# read-only in a private mount namespace, so nothing lands there.
unshare -m sh -c 'mount --make-rprivate / && mount --bind "$1" "$1" && mount -o remount,bind,ro / &&
  cd "$1" && exec "./$2"' sh "$work" "$(basename "$1")" 2>stderr.txt
code=$?
# What the dialog must show, taken from the report it was shown for.
tr -d '\r' <Error.log | sed -n '7p; /^   Called from: /p' >expected.txt
grep -e '^   Error description: ' -e '^   Called from: ' stderr.txt >shown.txt
failed=0
[ "$code" = 1 ] || { echo "FAIL exit code $code, expected 1"; failed=1; }
[ "$(wc -l <expected.txt)" -ge 2 ] || { echo "FAIL Error.log has no description or stack"; failed=1; }
diff expected.txt shown.txt >/dev/null || { echo "FAIL standard error:"; cat stderr.txt; failed=1; }
[ "$failed" = 0 ] && echo "ok   native dialog on standard error, exit 1"
exit "$failed"
