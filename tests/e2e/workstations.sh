#!/usr/bin/env bash
# workstations.sh: two workstations, each a HOME of its own whose
# ~/NDB/DB.mdb links to one PostgreSQL server, with the installed zanfiro
# open in both under one X server and driven by real X input. A gear saved
# at one is listed by FIND at the other and saved there again; a gear
# deleted at one and then picked at the other ends that window with the
# error dialog, and the server keeps every other gear.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
artifacts two_workstations

server_database e2e
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
  "$ZANFIRO_PREFIX/bin/zanfiro-db" init --server "$link" >"$ART/init-$ws.log"
done
psql -d "$database" -c "INSERT INTO gears (d, m, t, qty) VALUES (20, '48', 'P', 5), (30, '48', 'P', 2)"

HOME=$homes/A start_named A 0
HOME=$homes/B start_named B 505
use B && snap both root

step "A: a pinion of 48 with 10 teeth, typed into the editor and saved"
use A
choose Combo2 End
choose Combo3 Home Down Down
retype Text1 10
retype Text4 6
click SAVE
expect_server $'1|20|48|P|5\n2|30|48|P|2\n3|10|48|P|6'

step "B: FIND lists it first among the pinions of 48; picked there and given quantity 16"
use B
for control in Pignone Modulo_48 FIND; do click $control; done
choose Combo1 Home
retype Text4 16
click SAVE
expect_server $'1|20|48|P|5\n2|30|48|P|2\n3|10|48|P|16'
snap b-saved root

step "A: the last of its pinions of 48 (gear 2) deleted"
use A
choose Combo1 End
click DELETE
expect_server $'1|20|48|P|5\n3|10|48|P|16'

step "B: its list still shows gear 2; picking it ends B with the error dialog"
use B
choose Combo1 End
wait_dialog
close_dialog
grep -q "^zanfiro: error 3021: " "$ART/zanfiro-B.err" || fail "B did not fail with 3021: $(cat "$ART/zanfiro-B.err")"
expect_server $'1|20|48|P|5\n3|10|48|P|16'

step "A is unaffected and ends with ESC"
use A
click ESC
wait_exit -eq 0
