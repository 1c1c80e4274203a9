#!/usr/bin/env bash
# changed_elsewhere.sh file|server: two installed zanfiro windows, A and B, on one stock: two windows on one
# database file, or two workstations (each a HOME of its own whose ~/NDB/DB.mdb links to the tests' PostgreSQL
# server), driven by real X input. Each round both pick gear 7; then
#   - A saves it, and B's SAVE ends B with the error dialog 3197: the stock keeps A's value, the history A's change;
#   - A saves it, and B's DELETE ends the same way, the gear kept;
#   - A deletes it, and B's SAVE is no error and writes nothing.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
engine=${1:?usage: changed_elsewhere.sh file|server}
artifacts "changed-elsewhere-$engine"
start_display
fresh_home
start_a11y
homes=$HOME

if [ "$engine" = server ]; then
  # The state names the server's socket folder, and its port when it is not the default one.
  state=${ZANFIRO_TEST_PG_STATE:?no PostgreSQL server runs for the tests}
  socket=$(sed -n 1p "$state") port=$(sed -n 2p "$state")
  export PGHOST=$socket PGPORT=${port:-5432} PGUSER=zanfiro
  database=e2e_changed_$$_$RANDOM
  sql() { psql -d "$database" -X -q -A -t -v ON_ERROR_STOP=1 -c "$1"; }
  psql -d postgres -X -q -c "CREATE DATABASE $database"
  trap 'cleanup; psql -d postgres -X -q -c "DROP DATABASE IF EXISTS $database WITH (FORCE)" || :' EXIT
  for ws in A B; do
    mkdir -p "$homes/$ws"
    HOME=$homes/$ws "$ZANFIRO_PREFIX/bin/zanfiro-db" init --server "dbname=$database" >"$ART/init-$ws.log"
  done
  home_of() { echo "$homes/$1"; }
else
  "$ZANFIRO_PREFIX/bin/zanfiro-db" init >/dev/null
  sql() { sqlite3 "$DB" "$1"; }
  home_of() { echo "$homes"; }
fi
# Gear 7, the only one of module 64, comes last in the start-up list.
sql "$STOCK"

gear7() { sql "SELECT d || '|' || m || '|' || t || '|' || qty FROM gears WHERE id = 7"; }
expect_gear7() {
  WANTED=$1
  poll 5 eval '[ "$(gear7)" = "$WANTED" ]' || fail "gear 7 is '$(gear7)', not '$WANTED'"
}
changes_of_gear7() { sql "SELECT count(*) FROM gearshistory WHERE id = 7"; }

# Both windows started afresh on the stock, each with gear 7 and its quantity ($1) picked and shown.
both_pick_gear7() {
  for ws in A B; do
    HOME=$(home_of $ws) start_named $ws $([ $ws = A ] && echo 0 || echo 505)
    use $ws && choose Combo1 End
    atspi wait 10 Text1=60 Text4="$1" >/dev/null || fail "$ws does not show gear 7: $(atspi show Text1 Text4)"
  done
}

saved_quantity() { use "$1" && retype Text4 "$2" && click SAVE; }

refused_by_b() {
  use B
  wait_dialog
  close_dialog
  local said
  said=$(cat "$ART/zanfiro-B.err")
  [ "$said" = "zanfiro: error 3197: $1" ] || fail "B said: $said"
  use A && click ESC && wait_exit -eq 0
}

step "SAVE at A, then SAVE at B: B ends with 3197, the stock keeps A's quantity"
both_pick_gear7 1
saved_quantity A 5
expect_gear7 '60|64|C|5'
saved_quantity B 9
refused_by_b "gear 7 was changed by someone else since it was picked: it held D 60, M 64, T C, QTY 1 and now holds D 60, M 64, T C, QTY 5. Your values D 60, M 64, T C, QTY 9 were not saved: pick the gear again and redo the change."
expect_gear7 '60|64|C|5'
[ "$(changes_of_gear7)" = 2 ] || fail "the history holds $(changes_of_gear7) changes of gear 7, not its insert and A's SAVE"

step "SAVE at A, then DELETE at B: B ends with 3197, the gear stays"
both_pick_gear7 5
saved_quantity A 4
expect_gear7 '60|64|C|4'
use B && click DELETE
refused_by_b "gear 7 was changed by someone else since it was picked: it held D 60, M 64, T C, QTY 5 and now holds D 60, M 64, T C, QTY 4. It was not deleted: pick the gear again and redo the change."
expect_gear7 '60|64|C|4'

step "DELETE at A, then SAVE at B: no error, and nothing is written"
both_pick_gear7 4
use A && click DELETE
expect_gear7 ''
saved_quantity B 8
# The SAVE done, the refresh empties B's editor.
atspi wait 10 Text4= >/dev/null || fail "B's SAVE did not end: $(atspi show Text4 Label1) $(cat "$ART/zanfiro-B.err")"
[ -z "$(others no)" ] || fail "B shows a message box: $(cat "$ART/zanfiro-B.err")"
snap b-saved-deleted-gear
[ "$(sql 'SELECT count(*) FROM gears')" = 6 ] || fail "the stock holds $(sql 'SELECT count(*) FROM gears') gears, not 6"
for ws in A B; do use $ws && click ESC && wait_exit -eq 0; done
