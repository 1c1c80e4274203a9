#!/usr/bin/env bash
# Two operators, two zanfiro windows on one database file: each inserts 200
# gears, the two SAVEs of a round clicked back to back so that the writes
# meet. A SAVE that finds the file busy waits for the other's write, so every
# SAVE is acknowledged, no error dialog appears, and the file ends with the
# 400 gears, each once, with the teeth and quantity its window typed.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
readonly ROUNDS=${ROUNDS:-200}
RECLICKS=0

# Makes window A or B the one the helpers (click, atspi...) work on; its
# place on the screen is read once, after B was moved below A.
use() { local w=WIN_$1 p=PID_$1 x=GX_$1 y=GY_$1; MAIN=${!w} APP_PID=${!p} GX=${!x} GY=${!y}; }

# The program's message boxes: the other operator's window is no message box.
dialogs() { local id; for id in $(others no); do ((id == WIN_A || id == WIN_B)) || echo "$id"; done; }

# X Y of a control's middle in the window in use.
middle() { local l t w h && read -r l t w h <<<"${AT[$1]}" && echo $((GX + (l + w / 2) / 15)) $((GY + (t + h / 2) / 15)); }

# Type C and module 0.4 ("Down Up" lands on the first entry from anywhere),
# teeth and quantity typed into the emptied editor (xdotool's type takes the
# rest of its command line, so it ends each call). With no window manager
# the keyboard stays with the window last given it, so it is given first.
fill() {
  use "$1"
  xdotool windowfocus --sync "$MAIN" mousemove --sync $(middle Combo2) click 1 key Down Up mousemove --sync $(middle Combo3) click 1 key Down Up \
          mousemove --sync $(middle Text1) click 1 type --delay 2 "$2"
  xdotool mousemove --sync $(middle Text4) click 1 type --delay 2 "$3"
}

# The window's SAVE acknowledged. Under load an X click now and then never
# reaches the button (the editor still holds the gear, no message box): the
# SAVE is clicked again, once, and counted. Had the first click arrived
# late after all, the gear would be in the file twice and the test fails.
saved() {
  use "$1"
  atspi wait 10 Text1= Label1="Inserimento effettuato con successo" >/dev/null && return
  [ -z "$(dialogs)" ] || fail "window $1: SAVE of gear $2 ended with: $(atspi dialog)"
  [ "$(atspi show Text1)" = "Text1=$2" ] || fail "window $1: SAVE of gear $2 not acknowledged: $(atspi show Text1 Label1)"
  ((++RECLICKS)) && click SAVE
  atspi wait 10 Text1= Label1="Inserimento effettuato con successo" ||
    fail "window $1: SAVE of gear $2 not acknowledged$([ -z "$(dialogs)" ] || echo ": $(atspi dialog)")"
}

artifacts two-operators
SCREEN=1280x1100x24 start_display
fresh_home
start_a11y
"$ZANFIRO_PREFIX/bin/zanfiro-db" init >/dev/null
for op in A B; do
  "$ZANFIRO_PREFIX/bin/zanfiro" >"$ART/zanfiro-$op.out" 2>"$ART/zanfiro-$op.err" & APP_PID=$! OWN_PIDS+=($!)
  printf -v "PID_$op" %s "$APP_PID"
  win=$(timeout 10 xdotool search --sync --all --onlyvisible --pid "$APP_PID" --name '^Zanfiro v1\.1$' | sed -n 1p) ||
    fail "no window of operator $op"
  printf -v "WIN_$op" %s "$win"
  atspi wait 10 Label1="Lista Completa" >/dev/null || fail "window $op shows no start-up list"
done
xdotool windowmove --sync "$WIN_B" 0 560
for op in A B; do MAIN=$(eval echo "\$WIN_$op") && geometry && printf -v "GX_$op" %s "$GX" && printf -v "GY_$op" %s "$GY"; done
start=$SECONDS
for ((i = 1; i <= ROUNDS; i++)); do
  fill A $((1000 + i)) "$i" && fill B $((2000 + i)) "$i"
  use A && a=($(middle SAVE)) && use B && b=($(middle SAVE))
  xdotool mousemove --sync "${a[@]}" click 1 mousemove --sync "${b[@]}" click 1
  saved A $((1000 + i)) && saved B $((2000 + i))
done
echo "$((2 * ROUNDS)) SAVEs in $((SECONDS - start)) s, $RECLICKS clicked again"
use A && snap window-a && use B && snap window-b
[ -z "$(dialogs)" ] || fail "a message box is open"
[ "$(sqlite3 "$DB" 'PRAGMA integrity_check')" = ok ] || fail "$DB is damaged"
diff <(sqlite3 "$DB" "SELECT D, M, T, QTY FROM Gears ORDER BY D") \
     <(for op in 1000 2000; do for ((i = 1; i <= ROUNDS; i++)); do echo "$((op + i))|0.4|C|$i"; done; done) >&2 ||
  fail "the file does not hold each operator's gears once (< file, > typed)"
for op in A B; do use $op && click ESC && wait_exit -eq 0; done
