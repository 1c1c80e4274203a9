#!/usr/bin/env bash
# journeys.sh NAME: one journey of an operator through the installed zanfiro,
# driven by real X input, the database file checked after each step.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# "framed": under a window manager, which draws the close box.
open_window() {
  start_display
  if [ "${1:-}" = framed ]; then
    jwm -f "$(dirname "${BASH_SOURCE[0]}")/jwmrc" >"$ART/jwm.log" 2>&1 & OWN_PIDS+=($!)
    poll 10 eval '[[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>&1) == *"window id"* ]]' || fail "no window manager"
  fi
  fresh_home
  "$ZANFIRO_PREFIX/bin/zanfiro-db" init >/dev/null && sqlite3 "$DB" "$STOCK" && cp "$DB" "$EXPECTED_DB"
  start_zanfiro
  wait_main_window
  snap start-up
}

# The picked gear's quantity retyped ($2, read as $3) and saved: the file shows which gear the pick named.
save_quantity() { retype Text4 "$2"; click SAVE; expect "UPDATE Gears SET QTY = ${3:-$2} WHERE ID = $1"; }

delete_first() { choose Combo1 Home; click DELETE; expect "DELETE FROM Gears WHERE ID = $1"; }

installed_layout_has_programs_menu_entry_and_icon() {
  local entry=$ZANFIRO_PREFIX/share/applications/org.zanfiro.Zanfiro.desktop line
  [ -x "$ZANFIRO_PREFIX/bin/zanfiro" ] && [ -x "$ZANFIRO_PREFIX/bin/zanfiro-db" ] || fail "programs not installed"
  desktop-file-validate "$entry"
  for line in Type=Application Name=Zanfiro Exec=zanfiro Icon=org.zanfiro.Zanfiro Terminal=false \
              'Categories=Office;Database;' 'Comment=Keep the workshop'; do
    grep -q "^$line" "$entry" || fail "the menu entry lacks $line"
  done
  local icon=$ZANFIRO_PREFIX/share/icons/hicolor/96x96/apps/org.zanfiro.Zanfiro.png
  [ "$(/usr/bin/identify -format '%m %wx%h' "$icon")" = "PNG 96x96" ] || fail "the theme icon is not a 96x96 PNG"
}

window_opens_885x519_with_icon_and_esc_ends_with_status_0() {
  open_window
  [ "${GW}x$GH" = 885x519 ] || fail "the client area is ${GW}x$GH pixels, not 885x519"
  [[ $(xprop -id "$MAIN" _NET_WM_ICON) == *"Icon (85 x 68)"* ]] || fail "the window shows no 85x68 icon"
  click ESC
  wait_exit -eq 0
  check_db
  [ ! -s "$ART/zanfiro.err" ] || fail "zanfiro wrote to stderr: $(cat "$ART/zanfiro.err")"
}

missing_database_ends_with_error_and_creates_nothing() {
  start_display
  fresh_home
  start_zanfiro
  wait_dialog
  local id && for id in $(xdotool search --onlyvisible --name '^Zanfiro v1\.1$'); do
    [[ $(xprop -id "$id" _NET_WM_WINDOW_TYPE 2>&1) == *_NET_WM_WINDOW_TYPE_DIALOG* ]] ||
      fail "the window that could not load stays on the screen behind the error"
  done
  close_dialog
  grep -q "^zanfiro: error [0-9]*: .*$DB" "$ART/zanfiro.err" || fail "stderr does not name $DB"
  [ -z "$(find "$HOME" -mindepth 1)" ] || fail "zanfiro created $(find "$HOME" -mindepth 1)"
}

# A gear picked and its quantity retyped, unsaved: closing saves nothing.
close_box_ends_with_status_0_saving_nothing() {
  open_window framed
  choose Combo1 End
  retype Text4 99
  poll 5 eval '[[ $(xprop -id "$MAIN" _NET_FRAME_EXTENTS) =~ =\ [0-9]+,\ [0-9]+,\ ([0-9]+) ]]' || fail "no frame"
  local top=${BASH_REMATCH[1]}  # the title bar's height, with the close box at its right end
  geometry
  snap framed root
  xdotool mousemove --sync $((GX + GW - top / 2)) $((GY - top / 2)) click 1
  wait_exit -eq 0
  check_db
}

# Letters typed among digits are dropped; after a CLEAR, DELETE deletes nothing.
saves_finds_deletes_and_inserts_land_in_the_file() {
  open_window
  step "pick the last row of the full list (gear 7), new quantity, SAVE"
  choose Combo1 End
  save_quantity 7 30
  step "the refresh lists the crowns of 0.4 (the module option of the start-up): the last, gear 1, gets 2a0B"
  choose Combo1 End
  save_quantity 1 2a0B 20
  step "Pignone, Modulo 48, FIND: the first row is gear 5 (fewest teeth), deleted; then gear 4 from what is left"
  for control in Pignone Modulo_48 FIND; do click $control; done
  snap found
  delete_first 5
  delete_first 4
  step "gear 6 picked, CLEAR, DELETE deletes nothing"
  choose Combo1 Home
  click CLEAR
  click DELETE
  snap delete-refused
  check_db
  step "into the emptied editor: type P and module 48 from their lists, teeth and quantity typed, SAVE inserts"
  choose Combo2 End
  choose Combo3 Home Down Down
  retype Text1 35
  retype Text4 6
  click SAVE
  expect "INSERT INTO Gears VALUES (8, 35, '48', 'P', 6)"
  step "the refresh lists the new gear before gear 6 (more teeth): picked and saved"
  choose Combo1 Home
  save_quantity 8 16
  snap inserted
}

artifacts "${1:?usage: journeys.sh JOURNEY}"
"$1"
