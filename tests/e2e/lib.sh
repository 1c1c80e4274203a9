# shellcheck shell=bash
# Helpers for the journeys, fault, two-operator and soak tests and scripts/check-package: an X server and a fresh HOME of their own, the zanfiro of
# ZANFIRO_PREFIX driven by real X input, checks on the database file, screenshots and logs in ARTIFACTS.
set -euo pipefail

# Left, Top, Width, Height in twips, as the control table places the controls
# the journeys touch; Pignone sits inside the frame "Tipo", at the frame's place.
declare -A AT=(
  [Text1]="7800 1320 2175 375" [Combo3]="7800 1800 2175 315" [Combo2]="7800 2280 2175 315"
  [Text4]="7800 2760 2175 375" [Combo1]="7800 3840 5055 315" [FIND]="7800 6600 1215 375"
  [SAVE]="11640 1200 1095 375" [DELETE]="11640 1800 1095 375" [CLEAR]="11640 2400 1095 375"
  [ESC]="12120 7320 975 375" [Modulo_48]="11280 6000 1695 375" [Pignone]="7800+240 4800+1080 1095 255")
# IDs 1 to 7. The full list (by module as text) ends with gear 7, the only 64;
# by teeth, the crowns of 0.4 are 2, 1 and the pinions of 48 are 5, 4, 6.
readonly STOCK="INSERT INTO Gears (D, M, T, QTY) VALUES (40,'0.4','C',12), (25,'0.4','C',8), (15,'0.6','C',3),
                (30,'48','P',7), (20,'48','P',5), (40,'48','P',2), (60,'64','C',1)"
OWN_PIDS=() OWN_MOUNTS=() SHOTS=0 E2E_TMP=$(mktemp -d)
# A command prefix that runs the program (and the buses it talks to) as another
# user, for tests in which file modes must count: root ignores them.
AS_OPERATOR=()
EXPECTED_DB=$E2E_TMP/expected.db  # the table as the steps so far should have left it

fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "-- $*"; }

# Every process a journey started ends with it, newest first, by its PID; then
# every file system it mounted is unmounted, before its folder is removed.
cleanup() {
  for ((i = ${#OWN_PIDS[@]}; i--;)); do { kill "${OWN_PIDS[i]}" && wait "${OWN_PIDS[i]}"; } 2>/dev/null || :; done
  for ((i = ${#OWN_MOUNTS[@]}; i--;)); do umount "${OWN_MOUNTS[i]}" || umount -l "${OWN_MOUNTS[i]}" || :; done
  chmod -R u+w "$E2E_TMP" 2>/dev/null || :  # a test may have made a folder read-only
  rm -rf "$E2E_TMP"
}
trap cleanup EXIT

# Runs a command until it succeeds, at most $1 seconds.
poll() { local tries=$(($1 * 20)) && shift; until "$@"; do ((--tries > 0)) || return 1; sleep 0.05; done; }

artifacts() { ART=$ARTIFACTS/$1; rm -rf "$ART"; mkdir -p "$ART"; }

# An X server on a display number it picks itself among the free ones.
start_display() {
  Xvfb -displayfd 3 -screen 0 "${SCREEN:-1280x1024x24}" -nolisten tcp 3>"$E2E_TMP/display" 2>"$ART/xvfb.log" & OWN_PIDS+=($!)
  poll 10 grep -qs '^[0-9]' "$E2E_TMP/display" || fail "Xvfb did not start (see $ART/xvfb.log)"
  export DISPLAY=":$(head -1 "$E2E_TMP/display")"
}

# An empty account, no settings of the machine running the tests, and a bus
# address naming none, so that no bus is autolaunched (it would outlive us).
fresh_home() {
  export HOME=$E2E_TMP/home XDG_RUNTIME_DIR=$E2E_TMP/run QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS=unix:path=/none
  unset WAYLAND_DISPLAY SESSION_MANAGER QT_SCALE_FACTOR QT_STYLE_OVERRIDE XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
  mkdir -m 700 "$HOME" "$XDG_RUNTIME_DIR" && DB=$HOME/NDB/DB.mdb
}

# An accessibility bus through which atspi.py reads what the window shows: a
# session bus of our own, the bus launcher on it and the registry, each
# started here so that cleanup ends it. Call after fresh_home.
start_a11y() {
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/session-bus QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  "${AS_OPERATOR[@]}" dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" 2>"$ART/a11y.log" & OWN_PIDS+=($!)
  poll 5 test -S "$XDG_RUNTIME_DIR/session-bus" || fail "no session bus (see $ART/a11y.log)"
  "${AS_OPERATOR[@]}" /usr/libexec/at-spi-bus-launcher --launch-immediately 2>>"$ART/a11y.log" & OWN_PIDS+=($!)
  local bus
  poll 10 eval 'bus=$("${AS_OPERATOR[@]}" dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress 2>/dev/null)' ||
    fail "no accessibility bus (see $ART/a11y.log)"
  bus=${bus//[[:space:]]/}
  AT_SPI_BUS_ADDRESS=$bus "${AS_OPERATOR[@]}" /usr/libexec/at-spi2-registryd >>"$ART/a11y.log" 2>&1 & OWN_PIDS+=($!)
  # Started before the registry owns its name, the window would never be listed.
  poll 10 eval '[[ $("${AS_OPERATOR[@]}" dbus-send --bus="$bus" --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
                     org.freedesktop.DBus.NameHasOwner string:org.a11y.atspi.Registry 2>/dev/null) == *true* ]]' ||
    fail "no accessibility registry (see $ART/a11y.log)"
}

# A database of its own (named $1_PID_RANDOM) on the tests' PostgreSQL server, whose socket folder and port
# support/pg_server.sh wrote to ZANFIRO_TEST_PG_STATE, dropped at the end. Sets socket, port, database and link
# (its connection string); psql runs on the server, server_rows lists the gears there as id|d|m|t|qty lines.
server_database() {
  local state=${ZANFIRO_TEST_PG_STATE:?no PostgreSQL server runs for the tests}
  socket=$(sed -n 1p "$state") port=$(sed -n 2p "$state") database=$1_$$_$RANDOM
  link="host=$socket port=$port user=zanfiro dbname=$database"
  psql -d postgres -c "CREATE DATABASE $database"
  trap 'cleanup; psql -d postgres -c "DROP DATABASE IF EXISTS $database WITH (FORCE)" || :' EXIT
}
psql() { command psql -h "$socket" -p "$port" -U zanfiro -X -q -A -t -v ON_ERROR_STOP=1 "$@"; }
server_rows() { psql -d "$database" -c "SELECT id, d, m, t, qty FROM gears ORDER BY id"; }

# What the window of zanfiro shows: atspi show|rows|wait|dialog ... (see atspi.py).
ATSPI_PY=$(dirname "${BASH_SOURCE[0]}")/atspi.py
atspi() { "${AS_OPERATOR[@]}" /usr/bin/python3 "$ATSPI_PY" "$APP_PID" "$@"; }

rows() { sqlite3 "$1" "SELECT ID, D, M, T, QTY FROM Gears ORDER BY ID"; }

# The database file holds the expected table, within a few seconds.
check_db() {
  poll 5 eval '[ "$(rows "$DB")" = "$(rows "$EXPECTED_DB")" ]' ||
    fail "$DB does not hold the expected gears: $(diff <(rows "$EXPECTED_DB") <(rows "$DB"))"
}

# What a step should do to the table, as SQL on the expected one, then the check.
expect() { sqlite3 "$EXPECTED_DB" "$1"; check_db; }

start_zanfiro() { "${AS_OPERATOR[@]}" "$ZANFIRO_PREFIX/bin/zanfiro" >"$ART/zanfiro.out" 2>"$ART/zanfiro.err" & APP_PID=$! OWN_PIDS+=($!); }

# One of several windows at once: zanfiro started as NAME ($1, its output in zanfiro-NAME.*), its window placed at
# 0,Y ($2); `use NAME` makes it the one the other helpers drive.
declare -A PIDS WINS
start_named() {
  "$ZANFIRO_PREFIX/bin/zanfiro" >"$ART/zanfiro-$1.out" 2>"$ART/zanfiro-$1.err" & PIDS[$1]=$! OWN_PIDS+=($!)
  WINS[$1]=$(timeout 10 xdotool search --all --sync --onlyvisible --pid "${PIDS[$1]}" --name '^Zanfiro v1\.1$' | sed -n 1p) ||
    fail "no window $1"
  xdotool windowmove --sync "${WINS[$1]}" 0 "$2"
}
use() { MAIN=${WINS[$1]} APP_PID=${PIDS[$1]} && geometry; }

# GX GY GW GH: the main window's client area (xdotool would add the frame to its place).
geometry() {
  eval "$(xwininfo -id "$MAIN" | sed -n 's/^ *Absolute upper-left \([XY]\): */G\1=/p; s/^ *\([WH]\)[a-z]*: */G\1=/p')"
}

# MAIN: the window "Zanfiro v1.1", once it is on the screen.
wait_main_window() {
  MAIN=$(timeout 10 xdotool search --sync --onlyvisible --name '^Zanfiro v1\.1$' | sed -n 1p) || fail "no main window"
  geometry
}

# The program's other windows on the screen: with override "yes" its drop-down lists, with "no" its message boxes.
# The main window is on the screen before its Load runs, so a message box is
# told from it by its kind, also before MAIN is known.
others() {
  local id; for id in $(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) "Zanfiro v1\.1":.*/\1/p'); do
    ((id != ${MAIN:-0})) && [[ $(xwininfo -id "$id" 2>&1) == *IsViewable*"Redirect State: $1"* ]] || continue
    [ "$1" = yes ] || [[ $(xprop -id "$id" _NET_WM_WINDOW_TYPE 2>&1) == *_NET_WM_WINDOW_TYPE_DIALOG* ]] && echo $((id))
  done; true
}

# X Y of a control's middle, or with "arrow" of a combo's drop-down button, on the screen.
middle() {
  local l t w h dx && read -r l t w h <<<"${AT[$1]:?unknown control $1}"
  [ "${2:-}" = arrow ] && dx=$((w - 120)) || dx=$((w / 2))
  echo $((GX + (l + dx) / 15)) $((GY + (t + h / 2) / 15))
}

# Clicks a control in its middle, or with "arrow" on a combo's drop-down button.
click() { xdotool mousemove --sync $(middle "$@") click 1; }

# Opens a combo's drop-down list and picks a row with the keys given (Home,
# End, Down...), then Return.
choose() {
  click "$1" arrow
  poll 5 eval '[ -n "$(others yes)" ]' || fail "the drop-down list of $1 did not open"
  xdotool key "${@:2}" Return
  poll 5 eval '[ -z "$(others yes)" ]' || fail "the drop-down list of $1 stayed open"
}

# Empties a field with keys that type no character, as an operator would, and types into it.
retype() { click "$1"; xdotool key End shift+Home BackSpace type --delay 20 "$2"; }

# The editor filled in one go, as fast as X takes it: type and module with arrow keys ($3 and $4; "Down Up", the
# default, lands on C and 0.4 from anywhere, "Up Down" on an entry too), teeth $1 and quantity $2 retyped
# (xdotool's type takes the rest of its command line, so it ends each call).
fill_editor() {
  xdotool mousemove --sync $(middle Combo2) click 1 key ${3:-Down Up} \
          mousemove --sync $(middle Combo3) click 1 key ${4:-Down Up} \
          mousemove --sync $(middle Text1) click 1 key End shift+Home BackSpace type --delay 5 "$1"
  xdotool mousemove --sync $(middle Text4) click 1 key End shift+Home BackSpace type --delay 5 "$2"
}

# A screenshot of a window (the main one by default) once its picture has
# stopped changing, saved as NN-name.png among the artifacts.
snap() {
  local w=${2:-$MAIN} a=$E2E_TMP/a.ppm b=$E2E_TMP/b.ppm tries=10 && /usr/bin/import -window "$w" "ppm:$a"
  while sleep 0.05 && /usr/bin/import -window "$w" "ppm:$b" && ! cmp -s "$a" "$b" && ((--tries)); do mv "$b" "$a"; done
  ((++SHOTS)) && /usr/bin/convert "$b" "$ART/$(printf %02d "$SHOTS")-$1.png"
}

# DIALOG: the program's message box, once it is on the screen within $1 seconds (10 unless told), and among the
# screenshots.
wait_dialog() {
  poll "${1:-10}" eval 'DIALOG=$(others no); [ -n "$DIALOG" ]' || fail "no message box appeared"
  snap error "$DIALOG"
}

# The message box on the screen says what $1 says, "Errore N: description", and so does stderr; closed, it ends
# the program with a status other than 0.
expect_error_dialog() {
  local number=${1%%:*} description=${1#*: } text
  number=${number#Errore }
  text=$(atspi dialog) || fail "the dialog's text could not be read"
  [ "$text" = "$(printf 'Errore %s\n\n%s' "$number" "$description")" ] || fail "the dialog says: $text"
  close_dialog
  [ "$(cat "$ART/zanfiro.err")" = "zanfiro: error $number: $description" ] ||
    fail "stderr says: $(cat "$ART/zanfiro.err")"
}

# Chooses the row of Combo1 that starts with the ID given, as the operator would.
pick_row() {
  local index
  index=$(atspi rows Combo1 | grep -n "^$1 " | cut -d: -f1) || fail "Combo1 lists no gear $1"
  choose Combo1 Home $(yes Down | head -n $((index - 1)))
}

# The message box closed with Return, which ends the program with a status other than 0.
close_dialog() { timeout 5 xdotool windowfocus --sync "$DIALOG" key Return; wait_exit -ne 0; }

# Waits a few seconds for zanfiro to end and tests its status: wait_exit -eq 0.
wait_exit() {
  poll 5 eval '! kill -0 "$APP_PID" 2>/dev/null' || fail "zanfiro still runs after 5 s"
  local status=0 && wait "$APP_PID" || status=$?
  test "$status" "$1" "$2" || fail "zanfiro ended with status $status (expected $1 $2)"
}
