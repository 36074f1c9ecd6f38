#!/usr/bin/env bash
# Starts or stops a throw-away PostgreSQL server for the tests:
#   postgres-server.sh start DIR PORT   makes a new cluster in DIR and starts it
#   postgres-server.sh stop DIR         stops it and removes DIR
# The server listens only on a Unix socket in DIR (no TCP at all); PORT only names the
# socket file. It trusts every local user, which is safe because only DIR's owner (and
# root) can reach the socket. The server refuses to run as root, so as root it runs as
# the user `postgres`, who then owns DIR. Needs no display and no terminal.
set -euo pipefail

bin=/usr/lib/postgresql/15/bin
command=${1:-}
dir=${2:-}
[ -n "$command" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR [PORT]" >&2; exit 2; }
case "$dir" in /*) ;; *) echo "DIR must be absolute: $dir" >&2; exit 2 ;; esac

as_owner=()
[ "$(id -u)" -eq 0 ] && as_owner=(runuser -u postgres --)

stop() {
  if [ -f "$dir/data/postmaster.pid" ]; then
    (cd "$dir" && "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w -t 30 stop >/dev/null) || true
  fi
  rm -rf "$dir"
}

case "$command" in
start)
  port=${3:?"start needs a PORT"}
  stop # a server left behind by an interrupted run
  mkdir -p "$dir"
  chmod 700 "$dir"
  [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
  cd "$dir" # the server's user may not be allowed into the caller's folder
  "${as_owner[@]}" "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 \
      --no-sync --no-instructions >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
  cat >>"$dir/data/postgresql.conf" <<CONF
listen_addresses = ''
unix_socket_directories = '$dir'
port = $port
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 200
CONF
  "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start >/dev/null \
      || { cat "$dir/server.log" >&2; exit 1; }
  echo "PostgreSQL test server on postgresql://postgres@/postgres?host=$dir&port=$port"
  ;;
stop)
  stop
  ;;
*)
  echo "usage: $0 start|stop DIR [PORT]" >&2
  exit 2
  ;;
esac
