#!/usr/bin/env bash
# accessibility.sh: what a screen reader learns of the installed zanfiro over the accessibility bus (AT-SPI): the
# editor fields and the list of gears are named by their captions (Denti, Modulo, Tipo, QTY, Seleziona Elemento),
# and the status line by its text, also once a picked gear has emptied it, never by its frame's title "Info".
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
artifacts accessibility
start_display
fresh_home
start_a11y
"$ZANFIRO_PREFIX/bin/zanfiro-db" init >/dev/null
sqlite3 "$DB" "INSERT INTO Gears (D, M, T, QTY) VALUES (40, '0.4', 'C', 12)"
start_zanfiro
wait_main_window
atspi wait 5 Label1="Lista Completa" >/dev/null || fail "the start-up list is not shown"
snap start-up

names=$(atspi names Text1 Combo3 Combo2 Text4 Combo1 Label1) || fail "the window cannot be read over the accessibility bus"
[ "$names" = $'Text1=Denti\nCombo3=Modulo\nCombo2=Tipo\nText4=QTY\nCombo1=Seleziona Elemento\nLabel1=Lista Completa' ] ||
  fail "a screen reader reads: $names"

step "a picked gear empties the status line"
choose Combo1 Home
snap picked
poll 5 eval '[ "$(atspi names Label1)" = Label1= ]' || fail "the empty status line is read as: $(atspi names Label1)"
echo "accessibility: fields named by their captions, the status line by its text"
