# Assertions for the end-to-end scripts. Source it. A failed check is reported and counted; the
# script goes on with its other cases, and checks_done ends it with the verdict.

checks_failed=0

case_begin() { echo "== $1"; }

pass() { echo "  ok    $1"; }

fail() {
  echo "  FAIL  $1"
  checks_failed=$((checks_failed + 1))
}

# check DESCRIPTION COMMAND...: passes when the command succeeds.
check() {
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

# not COMMAND...: succeeds when the command fails.
not() { ! "$@"; }

# expect_eq DESCRIPTION EXPECTED ACTUAL
expect_eq() {
  if [ "$2" == "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi
}

checks_done() {
  if [ "$checks_failed" != 0 ]; then
    echo "$checks_failed check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}
