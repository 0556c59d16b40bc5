#!/usr/bin/env bash
# The error dialog under Wine and Xvfb: the inspector checks and closes the dialog of the real
# program started without backup.ini, and of the test program raising errors with each flag
# combination, and a screenshot lands in the build folder; last, the real program on a window
# station nobody sees.
#   dialog_test.sh BUILD_DIR
set -uo pipefail
bin=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
# A prefix of our own: its X11 driver draws the caption itself (no window manager under Xvfb),
# and its wineserver lives on our display only.
export QB_WINEPREFIX=$bin/dialog-prefix WINEPREFIX=$bin/dialog-prefix WINEDEBUG=-all
# The runs happen on drive C: without backup.ini the program's dump lands at the root of the
# current drive, which must be the prefix's and not the host's root.
work=$WINEPREFIX/drive_c/dialog-test
rm -rf "$work" && mkdir -p "$work"
rm -f "$WINEPREFIX"/drive_c/resp_quolmer_*
wine=$root/scripts/wine-run
WINEPREFIX=$QB_WINEPREFIX wineserver -k 2>/dev/null

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
cleanup() {
  wineserver -k 2>/dev/null
  kill "$xvfb" 2>/dev/null
  rm -f "$WINEPREFIX"/drive_c/resp_quolmer_*
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# Wine's own fonts (Debian's fonts-wine) into the prefix: Marlett draws the caption's close box,
# Tahoma is the GUI font.
cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null

passed=0
failed=0
# verdict HELD PASS_LINE FAIL_LINE LOG: counts one check, HELD being 0 when it held; a failure
# shows LOG.
verdict() {
  if [ "$1" = 0 ]; then
    echo "ok   $2"
    passed=$((passed + 1))
  else
    echo "FAIL $3"
    sed 's/^/     /' "$4"
    failed=$((failed + 1))
  fi
}

# scenario NAME EXPECTED_EXIT INSPECTOR_ARGS -- PROGRAM ARGS
scenario() {
  local name=$1 expected=$2 inspect=()
  shift 2
  while [ "$1" != -- ]; do inspect+=("$1"); shift; done
  shift
  local dir=$work/$name
  mkdir -p "$dir"
  cp "$1" "$dir/" && local program=$dir/$(basename "$1")
  shift
  (cd "$dir" && timeout 180 "$wine" "$program" "$@" >"$dir/program.log" 2>&1; echo $? >"$dir/exit")&
  local runner=$!
  (cd "$dir" && timeout 180 "$wine" "$bin/tests/dialog/dialog_inspector.exe" "${inspect[@]}" \
     >"$dir/inspector.log" 2>&1)
  local inspected=$?
  wait "$runner"
  local code
  code=$(cat "$dir/exit")
  [ "$inspected" = 0 ] && [ "$code" = "$expected" ]
  verdict $? "$name (exit $code)" "$name: exit $code, expected $expected; inspector:" \
    "$dir/inspector.log"
}

subject=$bin/tests/dialog/dialog_subject.exe
program=$bin/quolmerBackup.exe

# The real program without backup.ini: a screenshot first, then each way out.
shot=$work/shot
mkdir -p "$shot" && cp "$program" "$shot/"
(cd "$shot" && timeout 180 "$wine" "$shot/quolmerBackup.exe" >/dev/null 2>&1; echo $? >"$shot/exit")&
runner=$!
(cd "$shot" && timeout 180 "$wine" "$bin/tests/dialog/dialog_inspector.exe" retry look >"$shot/look.log" 2>&1)
read -r _ x y w h < <(grep '^window ' "$shot/look.log")
[ -n "${h:-}" ] && import -display "$DISPLAY" -window root "$shot/root.png" &&
  convert "$shot/root.png" -crop "${w}x${h}+${x}+${y}" +repage "$bin/error_dialog.png"
verdict $? "screenshot: $bin/error_dialog.png" screenshot "$shot/look.log"
(cd "$shot" && timeout 60 "$wine" "$bin/tests/dialog/dialog_inspector.exe" retry quit >/dev/null 2>&1)
wait "$runner"

for way in escape enter close quit retry viewer; do
  scenario "program-$way" 1 retry "$way" -- "$program"
done

# The handler's choice reaches the failed operation only while an event loop runs.
scenario retry-without-loop 1 retry retry -- "$subject" retry
scenario retry-in-loop 10 retry retry outer -- "$subject" retry loop
scenario default-in-loop 11 default default outer -- "$subject" default loop
scenario both-retry 10 both retry outer -- "$subject" both loop
scenario both-default 11 both default outer -- "$subject" both loop
scenario both-escape 1 both escape outer -- "$subject" both loop
scenario neither-quit 1 neither quit outer -- "$subject" neither loop
scenario neither-enter 1 neither enter outer -- "$subject" neither loop

# On a window station nobody sees (a task run whether or not a user is logged on) the report is
# written and the run ends with exit code 1 on its own, the dialog never shown.
unseen=$work/unseen
mkdir -p "$unseen" && cp "$program" "$unseen/"
(cd "$unseen" && timeout 180 "$wine" "$bin/tests/dialog/station_launcher.exe" 60 quolmerBackup.exe \
   >"$unseen/launcher.log" 2>&1)
code=$?
description=$(tr -d '\r' <"$unseen/Error.log" 2>/dev/null | sed -n '7p')
[ "$code" = 1 ] && [[ $description == "   Error description: "?* ]]
verdict $? "no visible desktop: no dialog, Error.log written, exit 1" \
  "no visible desktop: exit $code, expected 1; Error.log line 7 [$description]" \
  "$unseen/launcher.log"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
