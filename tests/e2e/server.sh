# A throwaway MariaDB server for the end-to-end tests, the demo and the benchmark. Source it.
#
# server_enter "$@" must come first: it runs the calling script again inside private mount and PID
# namespaces and returns there. Inside, a tmpfs over /run/mysqld holds the server's socket at the
# clients' default path and a tmpfs over /opt holds /opt/lampp/bin/mysqldump, a link to the real
# mariadb-dump, which is where the program looks for its dump client. Nothing outside changes: the
# mounts die with the namespace, the server is stopped and the scratch folder $QB_SCRATCH removed
# on every way out, and should the script be killed outright the PID namespace takes the server
# with it.

e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
server_pid=

server_enter() {
  if [ -z "${QB_IN_NAMESPACE:-}" ]; then
    if [ "$(id -u)" != 0 ]; then
      echo "$(basename "$0"): needs root for its mount namespace; skipped" >&2
      exit 77
    fi
    # SIGTERM rather than the default SIGKILL lets the inner script clean up when we are stopped.
    QB_IN_NAMESPACE=1 exec unshare --mount --pid --fork --kill-child=SIGTERM --mount-proc \
      "$BASH" "$0" "$@"
  fi
  mount --make-rprivate /
  if [ -d /run/mysqld ]; then
    mount -t tmpfs -o size=1m,mode=755 qb-run /run/mysqld
  else
    # Creating the folder would change the machine, so the namespace gets a /run of its own.
    mount -t tmpfs -o size=1m,mode=755 qb-run /run
    mkdir /run/mysqld
  fi
  mount -t tmpfs -o size=1m,mode=755 qb-opt /opt
  mkdir -p /opt/lampp/bin
  ln -s "$(command -v mariadb-dump)" /opt/lampp/bin/mysqldump

  QB_SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/qb-e2e.XXXXXX")
  trap server_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

server_cleanup() {
  server_stop
  # Tests mount small file systems inside the scratch folder; they go before it does.
  local m
  for m in $(findmnt -rn -o TARGET | grep -F "$QB_SCRATCH/" | sort -r); do umount "$m"; done
  rm -rf "$QB_SCRATCH"
}

# A fresh data folder with root reached through the socket as the system's root user, as on a
# Debian install; the program's client connects as -uroot without a password.
server_init() {
  mariadb-install-db --no-defaults --user=root --datadir="$QB_SCRATCH/data" \
    --auth-root-authentication-method=socket --skip-test-db >"$QB_SCRATCH/install.log" 2>&1 ||
    { cat "$QB_SCRATCH/install.log" >&2; return 1; }
}

server_start() {
  # Durability settings are relaxed: the data is thrown away, and loading it must be quick. Each
  # server has a temporary folder of its own: two in PID namespaces of their own run with the same
  # process number, which their temporary tables' file names hold.
  mkdir -p "$QB_SCRATCH/tmp"
  mariadbd --no-defaults --user=root --datadir="$QB_SCRATCH/data" --skip-networking \
    --tmpdir="$QB_SCRATCH/tmp" \
    --socket=/run/mysqld/mysqld.sock --pid-file="$QB_SCRATCH/mariadbd.pid" \
    --log-error="$QB_SCRATCH/mariadbd.err" \
    --character-set-server=utf8mb4 --collation-server=utf8mb4_unicode_ci \
    --innodb-buffer-pool-size=512M --innodb-log-file-size=512M \
    --innodb-flush-log-at-trx-commit=0 --innodb-doublewrite=0 --innodb-flush-method=nosync \
    --max-allowed-packet=64M &
  server_pid=$!
  local i
  for i in $(seq 600); do
    mariadb-admin ping >/dev/null 2>&1 && return 0
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "server did not start:" >&2
  tail -n 20 "$QB_SCRATCH/mariadbd.err" >&2
  return 1
}

server_stop() {
  [ -n "$server_pid" ] || return 0
  kill -TERM "$server_pid" 2>/dev/null
  wait "$server_pid" 2>/dev/null || true
  server_pid=
}

server_kill() {
  kill -KILL "$server_pid"
  wait "$server_pid" 2>/dev/null || true
  server_pid=
}

# server_load_sample MB: the sample database "quolmer", sized for a dump of about MB megabytes.
server_load_sample() {
  # The client echoes a failed statement whole, a megabyte of it: keep only its start.
  python3 "$e2e_dir/sample_db.py" "$1" | mariadb 2>"$QB_SCRATCH/load.log" ||
    { head -c 600 "$QB_SCRATCH/load.log" >&2; return 1; }
}
