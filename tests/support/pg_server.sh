#!/usr/bin/env bash
# pg_server.sh start STATE | stop STATE
#
# A private PostgreSQL server for the tests. `start` makes a folder of its
# own under /tmp, runs initdb there and starts the server with its Unix
# socket in that folder and TCP on 127.0.0.1 only, on a port that was free
# (the socket's name carries that port too), with TLS on: a certificate
# authority, the server's key and its certificate for 127.0.0.1 and
# localhost are made there with openssl, and one more authority that signed
# nothing of this server. STATE then holds four lines, where the tests read
# them: the socket folder, the port, the authority's certificate and the
# other authority's. `stop` stops that server and removes the folder. The
# server refuses to run as root, so under root (as in CI) it runs as the
# unprivileged user `postgres` (or `nobody`).
#
# Roles: `zanfiro`, the superuser the tests connect as, trusted on the
# socket and on 127.0.0.1; `guarded`, whose login needs its password
# ("guarded-secret"), for the tests of refused logins and of ~/.pgpass.
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

# A certificate authority of the tests' own ($1: a name for its files) in the folder tls.
authority() {
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj "/CN=Zanfiro tests $1" \
    -keyout "tls/$1.key" -out "tls/$1.crt" 2>>tls/openssl.log
}

# Any port of 127.0.0.1 that nothing holds at this moment.
free_port() {
  /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

case $action in
start)
  if [ -s "$state" ] && [ -d "$(sed -n 1p "$state")" ]; then bash "$0" stop "$state"; fi
  dir=$(mktemp -d /tmp/zanfiro-pg-XXXXXX)
  chown "$owner" "$dir" && chmod 755 "$dir"
  cd "$dir"  # the server's user may not enter the caller's folder
  as_owner "$bin/initdb" -D "$dir/data" -U zanfiro --auth=trust -E UTF8 --locale=C >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  printf '%s\n' 'local all guarded scram-sha-256' 'local all all trust' \
    'host all guarded 127.0.0.1/32 scram-sha-256' 'host all all 127.0.0.1/32 trust' |
    as_owner tee "$dir/data/pg_hba.conf" >/dev/null
  mkdir tls
  authority ca && authority other-ca || { cat tls/openssl.log >&2; exit 1; }
  openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -subj /CN=localhost \
    -keyout tls/server.key 2>>tls/openssl.log |
    openssl x509 -req -CA tls/ca.crt -CAkey tls/ca.key -CAcreateserial -days 2 -out tls/server.crt \
      -extfile <(echo 'subjectAltName = IP:127.0.0.1, DNS:localhost') 2>>tls/openssl.log ||
    { cat tls/openssl.log >&2; exit 1; }
  chown "$owner" tls/server.key && chmod 600 tls/server.key
  # fsync off: the tests' data need not survive a power cut of the test machine.
  # The port is free when chosen; another program may take it before the
  # server does, and then the next one is tried.
  for attempt in 1 2 3 4 5; do
    port=$(free_port) && rm -f "$dir/server.log"
    if as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
      -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories='$dir' -c fsync=off \
          -c max_connections=200 -c ssl=on -c ssl_cert_file='$dir/tls/server.crt' \
          -c ssl_key_file='$dir/tls/server.key'" start >/dev/null; then
      break
    fi
    grep -q 'could not bind' "$dir/server.log" && [ "$attempt" -lt 5 ] || { cat "$dir/server.log" >&2; exit 1; }
  done
  "$bin/psql" -h "$dir" -p "$port" -U zanfiro -d postgres -q -v ON_ERROR_STOP=1 \
    -c "CREATE ROLE guarded LOGIN PASSWORD 'guarded-secret'" >/dev/null
  printf '%s\n' "$dir" "$port" "$dir/tls/ca.crt" "$dir/tls/other-ca.crt" >"$state"
  echo "PostgreSQL $("$bin/postgres" --version | awk '{print $3}') listening on $dir/.s.PGSQL.$port and 127.0.0.1:$port (TLS)"
  ;;
stop)
  [ -s "$state" ] || exit 0
  dir=$(sed -n 1p "$state")
  cd /
  [ ! -d "$dir/data" ] || as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
  rm -rf "$dir" "$state"
  ;;
*) echo "usage: pg_server.sh start|stop STATE" >&2; exit 2 ;;
esac
