# Helpers for the journeys: an X server of their own, a fresh HOME whose
# database zanfiro-db made, the installed zanfiro driven by real X input
# (xdotool), screenshots and checks on the database file (sqlite3).
#
# Sourced by journeys.sh and scripts/check-package. Needs ZANFIRO_PREFIX (the
# installed layout: bin/zanfiro, bin/zanfiro-db) and ARTIFACTS (a folder for
# screenshots and logs).

set -euo pipefail

readonly TITLE='Zanfiro v1.1'
readonly TITLE_PATTERN='^Zanfiro v1\.1$'
readonly IMPORT=/usr/bin/import    # ImageMagick's, not a stand-in earlier on PATH
readonly CONVERT=/usr/bin/convert

# Where the operator sees each control, in twips, as the window's control
# table places it: container, Left, Top, Width, Height. Only the controls
# the journeys touch.
declare -A CONTROL=(
  [Combo1]="window 7800 3840 5055 315"
  [Combo2]="window 7800 2280 2175 315"
  [Combo3]="window 7800 1800 2175 315"
  [Text1]="window 7800 1320 2175 375"
  [Text4]="window 7800 2760 2175 375"
  [Command1]="window 11640 3000 1095 375"
  [Command2]="window 11640 1200 1095 375"
  [Command3]="window 11640 1800 1095 375"
  [Command4]="window 11640 2400 1095 375"
  [Command5]="window 12120 7320 975 375"
  [Command6]="window 7800 6600 1215 375"
  [Option3]="window 11280 4920 1575 255"
  [Option4]="window 11280 5400 1695 375"
  [Option5]="window 11280 6000 1695 375"
  [Option6]="window 11280 6600 1575 375"
  [Frame1]="window 7800 4800 1815 1575"
  [Option1]="Frame1 240 360 1335 375"
  [Option2]="Frame1 240 1080 1095 255"
)
declare -A BUTTON=([LOAD_ALL]=Command1 [SAVE]=Command2 [DELETE]=Command3 [CLEAR]=Command4 [ESC]=Command5
                   [FIND]=Command6 [Corona]=Option1 [Pignone]=Option2 [Modulo_0.4]=Option3
                   [Modulo_0.6]=Option4 [Modulo_48]=Option5 [Modulo_64]=Option6)

OWN_PIDS=()
APP_PID=
MAIN=
SHOTS=0
STARTED=$EPOCHREALTIME
E2E_TMP=$(mktemp -d)

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

step() { echo "-- $*"; }

# Every process a journey started ends with it, newest first, by its PID.
cleanup() {
  local i
  for ((i = ${#OWN_PIDS[@]} - 1; i >= 0; i--)); do
    kill "${OWN_PIDS[i]}" 2>/dev/null || true
    wait "${OWN_PIDS[i]}" 2>/dev/null || true
  done
  rm -rf "$E2E_TMP"
}
trap cleanup EXIT

# Runs a command until it succeeds, at most $1 seconds.
poll() {
  local tries=$(($1 * 20))
  shift
  until "$@"; do
    ((--tries > 0)) || return 1
    sleep 0.05
  done
}

require_tools() {
  local tool missing=()
  for tool in Xvfb jwm xdotool xwininfo xprop sqlite3 desktop-file-validate "$IMPORT" "$CONVERT" "$@"; do
    command -v "$tool" >/dev/null || missing+=("$tool")
  done
  ((${#missing[@]} == 0)) || fail "missing ${missing[*]}: run scripts/install-deps.sh --tests"
}

# A fresh artifact folder for this journey.
artifacts() {
  ART="$ARTIFACTS/$1"
  rm -rf "$ART"
  mkdir -p "$ART"
}

# An X server on a display number it picks itself among the free ones.
start_display() {
  local numberFile="$E2E_TMP/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberFile" 2>"$ART/xvfb.log" &
  OWN_PIDS+=($!)
  poll 10 grep -q '^[0-9]' "$numberFile" || fail "Xvfb did not start (see $ART/xvfb.log)"
  export DISPLAY=":$(head -1 "$numberFile")"
}

# A tiny window manager, for the journeys that need window decorations.
start_window_manager() {
  jwm -f "$(dirname "${BASH_SOURCE[0]}")/jwmrc" >"$ART/jwm.log" 2>&1 &
  OWN_PIDS+=($!)
  poll 10 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
    fail "the window manager did not start"
}

# An operator's account with nothing in it, and no Wayland or toolkit
# settings from the machine running the tests. The program needs no session
# bus; the address names none, so that no bus is autolaunched on the test's
# display (that would outlive the test and write ~/.dbus).
fresh_home() {
  export HOME="$E2E_TMP/home" XDG_RUNTIME_DIR="$E2E_TMP/runtime"
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_TMP/no-session-bus"
  mkdir -p "$HOME"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  unset WAYLAND_DISPLAY SESSION_MANAGER QT_SCALE_FACTOR QT_STYLE_OVERRIDE \
        XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
  export QT_QPA_PLATFORM=xcb
  DB="$HOME/NDB/DB.mdb"
}

# The database as the operator makes it, with `zanfiro-db init`, holding the
# rows given (D|M|T|QTY per line); IDs are assigned in order from 1.
make_database() {
  "$ZANFIRO_PREFIX/bin/zanfiro-db" init >/dev/null
  [ -f "$DB" ] || fail "zanfiro-db init made no $DB"
  local d m t q sql="BEGIN;"
  while IFS='|' read -r d m t q; do
    sql+="INSERT INTO Gears (D, M, T, QTY) VALUES ($d, '$m', '$t', $q);"
  done <<<"$1"
  sqlite3 "$DB" "$sql COMMIT;"
  EXPECTED=$(rows "$DB")
}

rows() { sqlite3 "$1" "SELECT ID, D, M, T, QTY FROM Gears ORDER BY ID"; }

# What each step does to the table, applied to EXPECTED, then check_db.
expect_quantity() { EXPECTED=$(awk -F'|' -v OFS='|' -v id="$1" -v q="$2" '$1 == id { $5 = q } 1' <<<"$EXPECTED"); }
expect_gone() { EXPECTED=$(awk -F'|' -v id="$1" '$1 != id' <<<"$EXPECTED"); }
expect_added() { EXPECTED=$(printf '%s\n%s' "$EXPECTED" "$1"); }

# The database file holds exactly EXPECTED. A change the program makes is
# waited for a few seconds; a step that changes nothing passes at once.
check_db() {
  local file=${1:-$DB}
  if ! poll 5 eval '[ "$(rows "$file")" = "$EXPECTED" ]'; then
    diff <(echo "$EXPECTED") <(rows "$file") >&2 || true
    fail "$file does not hold the expected gears (diff: expected < > found)"
  fi
}

start_zanfiro() {
  "$ZANFIRO_PREFIX/bin/zanfiro" >"$ART/zanfiro.out" 2>"$ART/zanfiro.err" &
  APP_PID=$!
  OWN_PIDS+=("$APP_PID")
}

# The id of the main window, once it is on the screen, and the position of
# its client area.
wait_main_window() {
  MAIN=$(timeout 10 xdotool search --sync --onlyvisible --name "$TITLE_PATTERN" | sed -n 1p) ||
    fail "no window \"$TITLE\" appeared"
  window_geometry "$MAIN"
  ORIGIN_X=$GX ORIGIN_Y=$GY
}

# GX, GY, GW, GH: a window's client area on the screen. xwininfo, because
# this xdotool adds the frame to the position under a window manager.
window_geometry() {
  local info
  info=$(xwininfo -id "$1")
  GX=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
  GY=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
  GW=$(sed -n 's/^ *Width: *//p' <<<"$info")
  GH=$(sed -n 's/^ *Height: *//p' <<<"$info")
}

# Top-level windows of the program on the screen other than the main one:
# "id override" per line, override "yes" for drop-down lists.
other_windows() {
  local id info
  for id in $(xwininfo -root -children | sed -n "s/^ *\(0x[0-9a-f]*\) \"$TITLE\":.*/\1/p"); do
    (($(printf '%d' "$id") == ${MAIN:-0})) && continue
    info=$(xwininfo -id "$id" 2>/dev/null) || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    echo "$(printf '%d' "$id") $(sed -n 's/^ *Override Redirect State: *//p' <<<"$info")"
  done
}

# The id of the message box that the program shows, once it is there.
wait_dialog() {
  poll 10 eval '[ -n "$(other_windows | grep " no$")" ]' || fail "no message box appeared"
  DIALOG=$(other_windows | awk '$2 == "no" { print $1; exit }')
  xprop -id "$DIALOG" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG ||
    fail "window $DIALOG titled \"$TITLE\" is not a dialog"
}

px() { echo $((($1 + 7) / 15)); }

# X, Y: a point on a control on the screen, from its twips. "arrow" is the
# drop-down button at the right end of a combo box.
control_point() {
  local name=$1 where=${2:-centre} container left top width height
  read -r container left top width height <<<"${CONTROL[$name]:?unknown control $name}"
  X=$((ORIGIN_X + $(px "$left"))) Y=$((ORIGIN_Y + $(px "$top")))
  if [ "$container" != window ]; then
    local cleft ctop
    read -r _ cleft ctop _ <<<"${CONTROL[$container]}"
    X=$((X + $(px "$cleft"))) Y=$((Y + $(px "$ctop")))
  fi
  Y=$((Y + $(px "$height") / 2))
  if [ "$where" = arrow ]; then X=$((X + $(px "$width") - 8)); else X=$((X + $(px "$width") / 2)); fi
}

click_control() {
  control_point "$@"
  xdotool mousemove --sync "$X" "$Y" click 1
}

# Presses a button or an option by its caption (spaces as underscores).
press() { click_control "${BUTTON[$1]:?unknown caption $1}"; }

# Opens a combo box's drop-down list with its arrow and chooses a row with
# the keys given (Home, End, Down...), then Return.
choose() {
  local combo=$1
  shift
  click_control "$combo" arrow
  poll 5 eval '[ -n "$(other_windows | grep " yes$")" ]' || fail "the drop-down list of $combo did not open"
  xdotool key "$@" Return
  poll 5 eval '[ -z "$(other_windows | grep " yes$")" ]' || fail "the drop-down list of $combo stayed open"
}

# Types into a field after emptying it with keys that type no character
# (End, Shift+Home) and Backspace, as an operator would.
retype() {
  click_control "$1"
  xdotool key End shift+Home BackSpace
  [ -z "${2:-}" ] || xdotool type --delay 20 "$2"
}

grab() { "$IMPORT" -window "$1" "ppm:$2"; }

# A screenshot of a window once its picture has stopped changing, saved as
# NN-name.png among the artifacts.
snap() {
  local name=$1 window=${2:-$MAIN} a="$E2E_TMP/a.ppm" b="$E2E_TMP/b.ppm" tries=10
  grab "$window" "$a"
  while sleep 0.05 && grab "$window" "$b" && ! cmp -s "$a" "$b" && ((--tries > 0)); do mv "$b" "$a"; done
  SHOTS=$((SHOTS + 1))
  "$CONVERT" "$b" "$ART/$(printf '%02d' "$SHOTS")-$name.png"
}

# Waits at most $1 seconds for the program to end; STATUS is its exit status.
wait_exit() {
  poll "$1" eval '! kill -0 "$APP_PID" 2>/dev/null' || fail "zanfiro still runs after $1 s"
  STATUS=0
  wait "$APP_PID" || STATUS=$?
}

expect_status() {
  [ "$STATUS" "$1" "$2" ] || fail "zanfiro ended with status $STATUS (expected $1 $2)"
}

finish() {
  awk -v from="$STARTED" -v to="$EPOCHREALTIME" 'BEGIN { printf "passed in %.1f s\n", to - from }'
}
