#!/usr/bin/env bash
# One journey of an operator through the installed zanfiro, under an X
# server of its own, driven only by real X input. Usage: journeys.sh NAME.
# Each step is followed by a look at the database file and a screenshot in
# $ARTIFACTS/NAME/.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# IDs 1 to 7, in this order.
readonly STOCK='40|0.4|C|12
25|0.4|C|8
15|0.6|C|3
30|48|P|7
20|48|P|5
40|48|P|2
60|64|C|1'

# The IDs in the order the data source returns them for one of the
# program's list queries, so a row of the list can be named by its ID.
listed() { sqlite3 "$DB" "$1"; }
readonly FULL_LIST="SELECT ID FROM Gears ORDER BY M ASC"
pair() { echo "SELECT ID FROM Gears where M= '$1' AND T='$2' order by d"; }

# Keys that move a drop-down list to the row of an ID: Home, then Down.
row_of() {
  local keys=(Home) id
  for id in $(listed "$2"); do
    [ "$id" = "$1" ] && { echo "${keys[*]}"; return; }
    keys+=(Down)
  done
  fail "gear $1 is not among those of: $2"
}

open_window() {
  start_display
  fresh_home
  make_database "$STOCK"
  start_zanfiro
  wait_main_window
  snap start-up
  check_db
}

close_with_esc() {
  press ESC
  wait_exit 5
  expect_status -eq 0
  check_db
}

# A picked gear's quantity replaced and saved; the database shows which
# gear the pick named.
save_quantity() {
  retype Text4 "$2"
  press SAVE
  expect_quantity "$1" "$2"
  check_db
}

installed_layout_has_programs_menu_entry_and_icon() {
  local entry="$ZANFIRO_PREFIX/share/applications/org.zanfiro.Zanfiro.desktop"
  local icon="$ZANFIRO_PREFIX/share/icons/hicolor/96x96/apps/org.zanfiro.Zanfiro.png" line
  [ -x "$ZANFIRO_PREFIX/bin/zanfiro" ] && [ -x "$ZANFIRO_PREFIX/bin/zanfiro-db" ] || fail "programs not installed"
  desktop-file-validate "$entry"
  for line in Type=Application Name=Zanfiro Exec=zanfiro Icon=org.zanfiro.Zanfiro Terminal=false \
              'Categories=Office;Database;' 'Comment=Keep the workshop'; do
    grep -q "^$line" "$entry" || fail "the menu entry lacks $line"
  done
  [ "$(/usr/bin/identify -format '%m %wx%h' "$icon")" = "PNG 96x96" ] || fail "the theme icon is not a 96x96 PNG"
  fresh_home
  [ "$("$ZANFIRO_PREFIX/bin/zanfiro-db" path)" = "$HOME/NDB/DB.mdb" ] || fail "zanfiro-db path names another file"
}

window_opens_and_esc_ends_with_status_0() {
  open_window
  [ "${GW}x$GH" = 885x519 ] || fail "the client area is ${GW}x$GH pixels, not 885x519"
  local icon
  icon=$(xprop -id "$MAIN" _NET_WM_ICON)  # whole: a pipe cut short would fail under pipefail
  grep -q 'Icon (85 x 68)' <<<"$icon" || fail "the window shows no 85x68 icon"
  step "ESC"
  close_with_esc
  [ ! -s "$ART/zanfiro.err" ] || fail "zanfiro wrote to stderr: $(cat "$ART/zanfiro.err")"
}

missing_database_shows_error_exits_1_and_creates_nothing() {
  start_display
  fresh_home
  start_zanfiro
  wait_dialog
  snap error "$DIALOG"
  [ "$(other_windows | wc -l)" = 1 ] || fail "more than the message box is on the screen"
  step "Return on the message box"
  timeout 5 xdotool windowfocus --sync "$DIALOG" key Return
  wait_exit 5
  expect_status -eq 1
  grep -q "error 14: .*$HOME/NDB/DB.mdb" "$ART/zanfiro.err" || fail "stderr does not name the missing file"
  [ -z "$(find "$HOME" -mindepth 1)" ] || fail "zanfiro created $(find "$HOME" -mindepth 1)"
}

close_box_ends_with_status_0() {
  start_display
  start_window_manager
  fresh_home
  make_database "$STOCK"
  start_zanfiro
  wait_main_window
  poll 5 eval 'xprop -id "$MAIN" _NET_FRAME_EXTENTS | grep -q =' || fail "the window got no frame"
  local left right top bottom
  IFS=', ' read -r left right top bottom < <(xprop -id "$MAIN" _NET_FRAME_EXTENTS | sed 's/.*= //')
  window_geometry "$MAIN"
  snap framed root
  step "click on the close box at the right end of the title bar"
  xdotool mousemove --sync $((GX + GW - top / 2)) $((GY - top / 2)) click 1
  wait_exit 5
  expect_status -eq 0
  check_db
}

picked_gear_gets_new_quantity_and_list_is_refreshed() {
  open_window
  local picked refreshed
  picked=$(listed "$FULL_LIST" | sed -n 1p)
  step "pick the first row of the full list, gear $picked"
  choose Combo1 Home
  snap picked
  check_db
  step "new quantity, SAVE"
  retype Text4 30
  snap typed
  check_db
  press SAVE
  expect_quantity "$picked" 30
  check_db
  snap saved
  # The refresh lists the crown gears of module 0.4 by teeth.
  refreshed=$(pair 0.4 C)
  step "last and first rows of the refreshed list"
  choose Combo1 End
  save_quantity "$(listed "$refreshed" | tail -1)" 31
  choose Combo1 Home
  save_quantity "$(listed "$refreshed" | sed -n 1p)" 9
  snap refreshed
  close_with_esc
}

new_gear_from_empty_editor_is_inserted_and_listed() {
  open_window
  step "type P and module 48 chosen from their lists, teeth and quantity typed"
  choose Combo2 End
  choose Combo3 Home Down Down
  retype Text1 35
  retype Text4 6
  snap editor
  check_db
  step "SAVE inserts"
  press SAVE
  expect_added '8|35|48|P|6'
  check_db
  snap saved
  step "the new gear is among the pinions of module 48 listed after the save"
  # shellcheck disable=SC2046  # one key per word
  choose Combo1 $(row_of 8 "$(pair 48 P)")
  save_quantity 8 16
  close_with_esc
}

find_lists_pinions_of_one_module_by_teeth() {
  open_window
  step "Pignone, Modulo 48, FIND"
  press Pignone
  press Modulo_48
  press FIND
  snap found
  check_db
  step "the last row is the pinion with most teeth, the first the one with fewest"
  choose Combo1 End
  save_quantity "$(listed "$(pair 48 P)" | tail -1)" 60
  press FIND
  choose Combo1 Home
  save_quantity "$(listed "$(pair 48 P)" | sed -n 1p)" 50
  snap found-again
  close_with_esc
}

delete_removes_gear_and_lists_what_is_left() {
  open_window
  press Pignone
  press Modulo_48
  press FIND
  step "pick the pinion of 30 teeth, DELETE"
  # shellcheck disable=SC2046
  choose Combo1 $(row_of 4 "$(pair 48 P)")
  snap picked
  press DELETE
  expect_gone 4
  check_db
  snap deleted
  step "what is left listed: the other two pinions of module 48, deleted in turn from the list"
  choose Combo1 End
  press DELETE
  expect_gone 6
  check_db
  choose Combo1 Home
  press DELETE
  expect_gone 5
  check_db
  snap all-deleted
  close_with_esc
}

clear_then_delete_deletes_nothing() {
  open_window
  choose Combo1 Home
  snap picked
  step "CLEAR"
  press CLEAR
  snap cleared
  check_db
  step "DELETE"
  press DELETE
  snap delete-refused
  close_with_esc
}

letters_typed_into_quantity_are_ignored() {
  open_window
  local picked
  picked=$(listed "$FULL_LIST" | tail -1)
  choose Combo1 End
  step "type 1a2B into the quantity, SAVE"
  retype Text4 1a2B
  snap typed
  press SAVE
  expect_quantity "$picked" 12
  check_db
  snap saved
  close_with_esc
}

database_removed_while_running_ends_with_error_and_records_intact() {
  open_window
  local picked moved="$HOME/moved.mdb"
  picked=$(listed "$FULL_LIST" | sed -n 1p)
  step "an update first"
  choose Combo1 Home
  save_quantity "$picked" 44
  step "the database file taken away (kept aside to look at), then FIND"
  mv "$DB" "$moved"
  press FIND
  wait_dialog
  snap error "$DIALOG"
  timeout 5 xdotool windowfocus --sync "$DIALOG" key Return
  wait_exit 5
  expect_status -ne 0
  grep -q "zanfiro: error .*$DB" "$ART/zanfiro.err" || fail "stderr does not name the missing file"
  [ ! -e "$DB" ] || fail "zanfiro made a new $DB"
  [ "$(sqlite3 "$moved" 'PRAGMA integrity_check')" = ok ] || fail "the database file is damaged"
  check_db "$moved"
}

journey=${1:?usage: journeys.sh JOURNEY}
declare -F "$journey" >/dev/null || fail "no journey $journey"
: "${ZANFIRO_PREFIX:?the installed layout to drive}" "${ARTIFACTS:?a folder for screenshots}"
require_tools
artifacts "$journey"
"$journey"
finish
