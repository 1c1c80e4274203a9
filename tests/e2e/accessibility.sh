#!/usr/bin/env bash
# accessibility.sh: what a screen reader learns of the installed zanfiro over the accessibility bus (AT-SPI), in
# a session bus of its own with the AT-SPI registry and an X server of its own: the editor fields and the list of
# gears are named by their captions (Denti, Modulo, Tipo, QTY, Seleziona Elemento), and the status line by its
# text, also once a picked gear has emptied it, never by its frame's title "Info".
if [ -z "${ZANFIRO_A11Y_BUS:-}" ]; then
  exec dbus-run-session -- env ZANFIRO_A11Y_BUS=1 bash "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
artifacts accessibility

bus=$DBUS_SESSION_BUS_ADDRESS
start_display
fresh_home
export DBUS_SESSION_BUS_ADDRESS=$bus QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
"$ZANFIRO_PREFIX/bin/zanfiro-db" init >/dev/null
sqlite3 "$DB" "INSERT INTO Gears (D, M, T, QTY) VALUES (40, '0.4', 'C', 12)"
start_zanfiro
wait_main_window
snap start-up

# The objects of the window, as x y w h role name text, tab-separated.
read_window() {
  /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/read_accessible_names.py" >"$ART/$1.tsv" 2>"$ART/$1.err" ||
    fail "the window cannot be read over the accessibility bus: $(cat "$ART/$1.err")"
}

# The name of the object at a control's place in the window, as the control table places it (twips).
at() {
  local l t && read -r l t _ <<<"${AT[$2]:-$3}"
  awk -F'\t' -v x=$((l / 15)) -v y=$((t / 15)) -v role="$4" \
    '$1 == x && $2 == y && $5 == role { print $6; found = 1; exit } END { exit !found }' "$ART/$1.tsv" ||
    fail "no $4 at $2's place in $ART/$1.tsv"
}

read_window start-up
declare -A names=([Text1]=Denti [Combo3]=Modulo [Combo2]=Tipo [Text4]=QTY [Combo1]="Seleziona Elemento")
for field in Text1 Combo3 Combo2 Text4 Combo1; do
  role=text && [[ $field == Combo* ]] && role="combo box"
  name=$(at start-up "$field" "" "$role")
  [ "$name" = "${names[$field]}" ] || fail "$field is read as '$name', not '${names[$field]}'"
done
label1="8040+240 360+240"  # Label1 sits in the frame Info
status=$(at start-up Label1 "$label1" label)
[ "$status" = "Lista Completa" ] || fail "the status line after start-up is read as '$status'"

step "a picked gear empties the status line"
choose Combo1 Home
snap picked
read_window picked
status=$(at picked Label1 "$label1" label)
[ -z "$status" ] || fail "the empty status line is read as '$status'"
echo "accessibility: fields named by their captions, the status line by its text"
