#!/usr/bin/env bash
# scripts/count-tests against real CTest runs: a test that skips itself is counted as skipped,
# not passed; a missing test program and a missing report as failures.
#   count_tests_test.sh SOURCE_DIR
set -uo pipefail
count=$1/scripts/count-tests
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# project NAME TEST...: a CMake project whose tests are the given kinds, run by CTest into
# $work/NAME.xml.
project() {
  local name=$1 kind
  shift
  mkdir -p "$work/$name"
  {
    echo 'cmake_minimum_required(VERSION 3.25)'
    echo 'project(counted NONE)'
    echo 'enable_testing()'
    for kind in "$@"; do
      case $kind in
        pass) echo 'add_test(NAME pass COMMAND true)' ;;
        fail) echo 'add_test(NAME fail COMMAND false)' ;;
        skip77)
          echo 'add_test(NAME skip77 COMMAND sh -c "echo no root; exit 77")'
          echo 'set_tests_properties(skip77 PROPERTIES SKIP_RETURN_CODE 77)' ;;
        skipsaid)
          echo 'add_test(NAME skipsaid COMMAND sh -c "echo SKIPPED: no server")'
          echo 'set_tests_properties(skipsaid PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED:")' ;;
        disabled)
          echo 'add_test(NAME disabled COMMAND true)'
          echo 'set_tests_properties(disabled PROPERTIES DISABLED TRUE)' ;;
        missing) echo 'add_test(NAME missing COMMAND /nonexistent/test-program)' ;;
      esac
    done
  } >"$work/$name/CMakeLists.txt"
  cmake -S "$work/$name" -B "$work/$name/build" >/dev/null &&
    (cd "$work/$name/build" && ctest --output-junit "$work/$name.xml" >/dev/null 2>&1)
  return 0
}

failed=0
# expect DESCRIPTION EXIT_CODE LINE ARGS...: count-tests with ARGS prints LINE and exits so.
expect() {
  local what=$1 code=$2 line=$3 out rc
  shift 3
  out=$("$count" "$@" 2>/dev/null)
  rc=$?
  if [ "$out" = "$line" ] && [ "$rc" = "$code" ]; then
    echo "ok   $what: $out"
  else
    echo "FAIL $what: [$out] exit $rc, expected [$line] exit $code"
    failed=1
  fi
}

project all pass fail skip77 skipsaid disabled missing
project skipping pass skip77
expect "every kind" 1 "1 passed, 2 failed, 3 skipped" "$work/all.xml"
expect "a skip is no failure" 0 "1 passed, 0 failed, 1 skipped" "$work/skipping.xml"
expect "two reports and a broken build" 1 "2 passed, 3 failed, 4 skipped" --failed 1 \
  "$work/all.xml" "$work/skipping.xml"
expect "a suite the machine cannot run" 0 "1 passed, 0 failed, 2 skipped" --skipped 1 \
  "$work/skipping.xml"
expect "a report CTest never wrote" 1 "1 passed, 1 failed, 1 skipped" "$work/skipping.xml" \
  "$work/none.xml"
exit "$failed"
