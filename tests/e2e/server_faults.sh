#!/usr/bin/env bash
# server_faults.sh NAME: one fault of the table below, met by the installed
# zanfiro whose ~/NDB/DB.mdb links to a stock on the tests' PostgreSQL
# server, under real X input. Another session holds the stock past the 5 s a
# file waits for its lock, or the way to the server goes silent in the middle
# of a SAVE. Each must end the program with the error dialog within its
# limit and a non-zero status, and leave the server's gears as they were.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")

# name | fault | during | what the operator sees
#   fault:  table_locked: another session holds LOCK TABLE Gears, which shuts out readers too;
#           row_locked: another session holds gear 1 for an update of its own;
#           silent: the window reaches the server through a relay that passes nothing more once the window sends
#           an INSERT, and holds the connections open
#   during: start-up, or the action that meets the fault: save (a new gear), delete (gear 1), pick (gear 1 chosen
#           in Combo1), find (the pinions of module 48)
#   sees:   "Errore N: description" in the error dialog
readonly FAULTS='
start_up_table_locked_error_5_after_5_s    | table_locked | start-up | Errore 5: SQLSTATE 55P03: canceling statement due to lock timeout
save_table_locked_error_5_after_5_s        | table_locked | save     | Errore 5: SQLSTATE 55P03: canceling statement due to lock timeout
delete_row_locked_error_5_after_5_s        | row_locked   | delete   | Errore 5: SQLSTATE 55P03: canceling statement due to lock timeout
pick_table_locked_error_5_after_5_s        | table_locked | pick     | Errore 5: SQLSTATE 55P03: canceling statement due to lock timeout
find_table_locked_error_5_after_5_s        | table_locked | find     | Errore 5: SQLSTATE 55P03: canceling statement due to lock timeout
save_server_gone_silent_error_3146_in_15_s | silent       | save     | Errore 3146: SQLSTATE 08006: the server did not answer within 15 s; the connection was closed
'

row=$(grep "^${1:?usage: server_faults.sh NAME} " <<<"$FAULTS") || { echo "no fault named $1" >&2; exit 2; }
IFS='|' read -r name fault during sees <<<"$row"
name=${name// /} fault=${fault// /} during=${during// /} sees=${sees#"${sees%%[! ]*}"}

source "$here/lib.sh"
artifacts "server_fault.$name"

server_database e2e_fault

# Another session takes its lock and keeps it until release_lock ends it.
hold_lock() {
  local statement="LOCK TABLE gears IN ACCESS EXCLUSIVE MODE"
  [ "$fault" = table_locked ] || statement="SELECT id FROM gears WHERE id = 1 FOR UPDATE"
  PGAPPNAME=zanfiro-test-holder psql -d "$database" -c BEGIN -c "$statement" -c '\echo locked' \
    -c 'SELECT pg_sleep(120)' >"$E2E_TMP/lock" 2>&1 & OWN_PIDS+=($!) LOCK_PID=$!
  poll 10 grep -q locked "$E2E_TMP/lock" || fail "could not lock the stock: $(cat "$E2E_TMP/lock")"
}

# Ended by the server, so that its lock goes at once (the session sleeps, deaf to its client going away).
release_lock() {
  psql -d postgres -c "SELECT pg_terminate_backend(pid) FROM pg_stat_activity
                       WHERE datname = '$database' AND application_name = 'zanfiro-test-holder'" >/dev/null
  wait "$LOCK_PID" || :
}

# The link now leads through the relay, on TCP without TLS so that the relay reads what the window sends.
go_through_silent_relay() {
  /usr/bin/python3 "$here/relay.py" "$E2E_TMP/relay-port" "$port" INSERT >"$ART/relay.log" 2>&1 & OWN_PIDS+=($!)
  poll 10 test -s "$E2E_TMP/relay-port" || fail "the relay did not start: $(cat "$ART/relay.log")"
  printf 'zanfiro-link\nhost=127.0.0.1 port=%s sslmode=disable user=zanfiro dbname=%s\n' \
    "$(cat "$E2E_TMP/relay-port")" "$database" >"$DB"
}

start_display
fresh_home
"$ZANFIRO_PREFIX/bin/zanfiro-db" init --server "$link" >"$ART/init.log"
psql -d "$database" -c "$STOCK"
if [ "$fault" = silent ]; then go_through_silent_relay; fi
before=$(server_rows)
if [ "$during" = start-up ] && [ "$fault" != silent ]; then hold_lock; fi
start_a11y
started=$(date +%s%N)
start_zanfiro
if [ "$during" != start-up ]; then
  wait_main_window
  atspi wait 10 Label1="Lista Completa" >/dev/null || fail "the start-up list is not shown"
  [ "$(atspi rows Combo1 | wc -l)" -eq 7 ] || fail "the start-up list does not show every gear"
  case $during in
    save)
      fill_editor 33 4
      atspi wait 5 Combo2=C Combo3=0.4 Text1=33 Text4=4 >/dev/null || fail "the editor does not hold the new gear" ;;
    delete)
      pick_row 1
      atspi wait 5 Text1=40 Text4=12 >/dev/null || fail "gear 1 was not read into the editor" ;;
    find)
      click Pignone && click Modulo_48 ;;
  esac
  if [ "$fault" != silent ]; then hold_lock; fi
  started=$(date +%s%N)
  case $during in
    save) click SAVE ;;
    delete) click DELETE ;;
    pick) pick_row 1 ;;
    find) click FIND ;;
  esac
fi
wait_dialog 25
waited=$((($(date +%s%N) - started) / 1000000))
echo "the dialog came after $((waited / 1000)).$(printf %03d $((waited % 1000))) s"
expect_error_dialog "$sees"
if [ "$fault" = silent ]; then
  grep -q silent "$ART/relay.log" || fail "the relay never went silent"
else
  ((waited >= 4500)) || fail "the window gave up after $waited ms, before the 5 s a file waits"
  release_lock
fi
[ "$(server_rows)" = "$before" ] || fail "the server's gears changed: $(server_rows)"
