# The program as a user installs and starts it, and what it leaves behind. Source it; set
# qb_program to the built program first.

qb_program=

# install_program DIR [INI]: a folder holding a copy of the program and, when given, its backup.ini.
# A copy, not a link: the program finds backup.ini beside its own resolved path.
install_program() {
  mkdir -p "$1"
  cp "$qb_program" "$1/quolmerBackup"
  if [ $# -gt 1 ]; then printf '%s' "$2" >"$1/backup.ini"; fi
}

# ini_text PRIMARY SECONDARY: a backup.ini naming both destination folders.
ini_text() {
  printf '[CONFIG]\nprincipal.data=%s\nsecundario.data=%s\n' "$1" "$2"
}

# run_command DIR COMMAND...: runs COMMAND, which starts DIR's program, from a current folder of
# its own, DIR.cwd, as a scheduler would. Sets run_rc; the output is kept in DIR.out and DIR.err.
run_command() {
  local dir=$1
  shift
  mkdir -p "$dir.cwd"
  run_rc=0
  (cd "$dir.cwd" && exec "$@") >"$dir.out" 2>"$dir.err" || run_rc=$?
}

# run_program DIR ARG...: starts DIR/quolmerBackup with the arguments given.
run_program() { run_command "$1" "$1/quolmerBackup" "${@:2}"; }

# lastrun DIR: the status line the last run recorded in DIR/backup.ini.
lastrun() {
  awk '/^\[/ { section = $0 }
       section == "[RESULT]" && /^lastrun=/ { sub(/^lastrun=/, ""); print }' "$1/backup.ini"
}

# zip_intact FILE: unzip reads every entry back with its CRC.
zip_intact() { unzip -tqq "$1" >/dev/null 2>&1; }

# dump_complete FILE: the dump client wrote its closing line.
dump_complete() { grep -q '^-- Dump completed on' "$1"; }

dump_failed() { echo "No se ha generado el respaldo $1 Mysql no conectado o no instalado"; }
zip_failed() { echo "No se ha generado el zip $1 verifique la carpeta destino"; }

# files_in FOLDER: the names in a folder, one line, sorted; "-" when the folder does not exist.
files_in() {
  if [ -d "$1" ]; then (cd "$1" && ls -A | tr '\n' ' ' | sed 's/ $//'); else echo -; fi
}

# first_match FOLDER PATTERN: the first file in FOLDER whose name matches the glob PATTERN, if any.
first_match() {
  local f
  for f in "$1"/$2; do
    [ -e "$f" ] && echo "$f"
    return 0
  done
}

# base_of TIMESTAMP: the file base name a run that recorded TIMESTAMP gives its dump and archive.
base_of() {
  [[ $1 =~ ^([0-9]{4})-([1-9][0-9]?)-([1-9][0-9]?)\ ([0-9]{2}):([0-9]{2}):([0-9]{2})$ ]] || return 1
  local m=("${BASH_REMATCH[@]}")
  echo "resp_quolmer_${m[1]}_${m[2]}_${m[3]}_${m[4]}${m[5]}${m[6]}"
}

# expect_archive FOLDER BASE: FOLDER holds BASE.zip alone, and its one entry, BASE.sql, reads
# back intact with unzip.
expect_archive() {
  expect_eq "the folder holds the archive alone" "$2.zip" "$(files_in "$1")"
  expect_eq "the archive's one entry" "$2.sql" "$(unzip -Z1 "$1/$2.zip" 2>&1)"
  check "unzip finds the archive intact" zip_intact "$1/$2.zip"
}

# expect_success DIR FOLDER STARTED: the run of DIR's program, started at STARTED (seconds since
# the epoch), ended well, recorded its own time as lastrun and left its archive in FOLDER.
# Sets backup_base to the archive's base name.
expect_success() {
  local ts when
  expect_eq "exit code" 0 "$run_rc"
  ts=$(lastrun "$1")
  backup_base=
  if ! backup_base=$(base_of "$ts"); then
    fail "lastrun is a timestamp: [$ts]"
    return
  fi
  when=$(date -d "$ts" +%s)
  check "lastrun $ts is the time of the run" test "$when" -ge "$3" -a "$when" -le "$(date +%s)"
  expect_archive "$2" "$backup_base"
}

# expect_failure DIR STATUS [REASON]: the run of DIR's program made no backup: exit code 2,
# STATUS recorded, and its last line on standard error STATUS with the reason, which holds the
# text REASON when given.
expect_failure() {
  expect_eq "exit code" 2 "$run_rc"
  expect_eq "lastrun" "$2" "$(lastrun "$1")"
  local said
  said=$(tail -n 1 "$1.err")
  check "standard error says why: $said" test "${said#"$2: "}" != "$said" -a -n "${said#"$2: "}"
  [ $# -lt 3 ] || check "the reason names $3" grep -qF -- "$3" <<<"$said"
}
