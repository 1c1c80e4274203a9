#!/usr/bin/env bash
# pg_server.sh start STATE | stop STATE
#
# A private PostgreSQL server for the tests. `start` makes a folder of its
# own under /tmp, runs initdb there and starts the server with its Unix
# socket in that folder and no TCP port at all, then writes the folder's
# path to the file STATE, where the tests read it. `stop` stops that server
# and removes the folder. The server refuses to run as root, so under root
# (as in CI) it runs as the unprivileged user `postgres` (or `nobody`).
#
# Roles: `zanfiro`, the superuser the tests connect as, trusted on the
# socket; `guarded`, whose login needs its password ("guarded-secret"), for
# the tests of refused logins and of ~/.pgpass.
set -euo pipefail
action=${1:?usage: pg_server.sh start|stop STATE}
state=${2:?usage: pg_server.sh start|stop STATE}

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bin/pg_ctl" ] || { echo "pg_server.sh: no PostgreSQL server installed (Debian package postgresql)" >&2; exit 1; }

owner=$(id -un)
if [ "$(id -u)" -eq 0 ]; then owner=postgres && id "$owner" >/dev/null 2>&1 || owner=nobody; fi
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then setpriv --reuid="$owner" --regid="$(id -g "$owner")" --clear-groups -- "$@"; else "$@"; fi
}

case $action in
start)
  if [ -s "$state" ] && [ -d "$(cat "$state")" ]; then bash "$0" stop "$state"; fi
  dir=$(mktemp -d /tmp/zanfiro-pg-XXXXXX)
  chown "$owner" "$dir" && chmod 755 "$dir"
  cd "$dir"  # the server's user may not enter the caller's folder
  as_owner "$bin/initdb" -D "$dir/data" -U zanfiro --auth=trust -E UTF8 --locale=C >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  printf 'local all guarded scram-sha-256\nlocal all all trust\n' | as_owner tee "$dir/data/pg_hba.conf" >/dev/null
  # fsync off: the tests' data need not survive a power cut of the test machine.
  as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
    -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c fsync=off -c max_connections=200" start \
    >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
  "$bin/psql" -h "$dir" -U zanfiro -d postgres -q -v ON_ERROR_STOP=1 \
    -c "CREATE ROLE guarded LOGIN PASSWORD 'guarded-secret'" >/dev/null
  echo "$dir" >"$state"
  echo "PostgreSQL $("$bin/postgres" --version | awk '{print $3}') listening on $dir/.s.PGSQL.5432"
  ;;
stop)
  [ -s "$state" ] || exit 0
  dir=$(cat "$state")
  cd /
  [ ! -d "$dir/data" ] || as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
  rm -rf "$dir" "$state"
  ;;
*) echo "usage: pg_server.sh start|stop STATE" >&2; exit 2 ;;
esac
