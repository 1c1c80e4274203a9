#!/usr/bin/env bash
# workstations.sh: two workstations, each a HOME of its own whose
# ~/NDB/DB.mdb links to one PostgreSQL server, with the installed zanfiro
# open in both under one X server and driven by real X input. A gear saved
# at one is listed by FIND at the other; a gear deleted at one and then
# picked at the other ends that window with the error dialog, and the
# server keeps every other gear.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
artifacts two_workstations

socket=$(cat "${ZANFIRO_TEST_PG_STATE:?no PostgreSQL server runs for the tests}")
database=e2e_$$_$RANDOM
psql() { command psql -h "$socket" -U zanfiro -X -q -A -t -v ON_ERROR_STOP=1 "$@"; }
psql -d postgres -c "CREATE DATABASE $database"
drop_database() { psql -d postgres -c "DROP DATABASE IF EXISTS $database WITH (FORCE)" || :; }
trap 'cleanup; drop_database' EXIT

server_rows() { psql -d "$database" -c "SELECT id, d, m, t, qty FROM gears ORDER BY id"; }
# The server's table, within a few seconds, as id|d|m|t|qty lines.
expect_server() {
  WANTED=$1
  poll 5 eval '[ "$(server_rows)" = "$WANTED" ]' || fail "the server holds: $(server_rows) -- not: $WANTED"
}

start_display
fresh_home
homes=$HOME
for ws in A B; do
  export HOME=$homes/$ws && mkdir -p "$HOME"
  "$ZANFIRO_PREFIX/bin/zanfiro-db" init --server "host=$socket user=zanfiro dbname=$database" >"$ART/init-$ws.log"
done
grep -q "^Created the table Gears" "$ART/init-A.log" || fail "the first workstation did not create the table"
grep -q "^The server already has the table Gears" "$ART/init-B.log" || fail "the second workstation made a new table"
psql -d "$database" -c "INSERT INTO gears (d, m, t, qty) VALUES (20, '48', 'P', 5), (30, '48', 'P', 2)"

# Workstation $1's window: started in its own HOME, placed where the other
# leaves it free, and made the one that lib.sh's helpers drive.
declare -A PID WIN
open_workstation() {
  HOME=$homes/$1 "$ZANFIRO_PREFIX/bin/zanfiro" >"$ART/zanfiro-$1.out" 2>"$ART/zanfiro-$1.err" &
  PID[$1]=$! OWN_PIDS+=($!)
  WIN[$1]=$(timeout 10 xdotool search --all --sync --onlyvisible --pid "${PID[$1]}" --name '^Zanfiro v1\.1$' | sed -n 1p) ||
    fail "no window for workstation $1"
  xdotool windowmove --sync "${WIN[$1]}" 0 "$2"
}
at() { MAIN=${WIN[$1]} APP_PID=${PID[$1]} && geometry; }

open_workstation A 0
open_workstation B 505
at B && snap both root

step "A: a pinion of 48 with 10 teeth, typed into the editor and saved"
at A
choose Combo2 End
choose Combo3 Home Down Down
retype Text1 10
retype Text4 6
click SAVE
expect_server $'1|20|48|P|5\n2|30|48|P|2\n3|10|48|P|6'

step "B: FIND lists it first among the pinions of 48; picked there and given quantity 16"
at B
for control in Pignone Modulo_48 FIND; do click $control; done
choose Combo1 Home
retype Text4 16
click SAVE
expect_server $'1|20|48|P|5\n2|30|48|P|2\n3|10|48|P|16'
snap b-saved root

step "A: the last of its pinions of 48 (gear 2) deleted"
at A
choose Combo1 End
click DELETE
expect_server $'1|20|48|P|5\n3|10|48|P|16'

step "B: its list still shows gear 2; picking it ends B with the error dialog"
at B
choose Combo1 End
dialog_of() {
  local id && for id in $(xdotool search --all --pid "${PID[$1]}" --name '^Zanfiro v1\.1$' 2>/dev/null); do
    ((id != ${WIN[$1]})) && [[ $(xprop -id "$id" _NET_WM_WINDOW_TYPE 2>&1) == *_NET_WM_WINDOW_TYPE_DIALOG* ]] &&
      [[ $(xwininfo -id "$id" 2>&1) == *IsViewable* ]] && echo "$id"
  done; true
}
dialog= && poll 10 eval 'dialog=$(dialog_of B); [ -n "$dialog" ]' || fail "no message box appeared"
snap vanished "$dialog"
timeout 5 xdotool windowfocus --sync "$dialog" key Return
wait_exit -ne 0
grep -q "^zanfiro: error 3021: " "$ART/zanfiro-B.err" || fail "B did not fail with 3021: $(cat "$ART/zanfiro-B.err")"
expect_server $'1|20|48|P|5\n3|10|48|P|16'

step "A is unaffected and ends with ESC"
at A
click ESC
wait_exit -eq 0
