#!/usr/bin/env bash
# faults.sh NAME: one fault of the table below, met by the installed zanfiro
# under real X input. A failure must end the program with the error dialog
# (its text read from the window and from stderr) and a non-zero status, and
# leave the folder of the database as it was: no file or folder made, no
# -journal behind, the database byte for byte; where a statement ran, a sound
# file with every other gear.
#
# Exit status 77 (skipped): a full disk needs a file system of its own, which
# only root or a user namespace may mount.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")

# name | fault | during | what the operator sees
#   fault:  what is wrong, set up by the functions fault_<fault>_before_start and _before_action
#   during: start-up, or the action that meets the fault: save, delete, pick (a row chosen in Combo1)
#   sees:   "Errore N: description" in the error dialog (@DB@ is the program's database path), or a
#           Label1 caption that shows the program went on
readonly FAULTS='
start_up_missing_file_error_14_nothing_created    | no_file         | start-up | Errore 14: unable to open database file: @DB@
start_up_missing_folder_error_14_nothing_created  | no_folder       | start-up | Errore 14: unable to open database file: @DB@
start_up_empty_file_error_1_file_kept             | empty_file      | start-up | Errore 1: no such table: Gears
start_up_junk_file_error_26_file_kept             | junk            | start-up | Errore 26: file is not a database: @DB@
start_up_access_file_error_26_names_the_import    | access          | start-up | Errore 26: this is an Access database from the old Windows program, not one of this program: @DB@. Bring its gears over with: zanfiro-db import @DB@
start_up_no_gears_table_error_1_file_kept         | no_gears        | start-up | Errore 1: no such table: Gears
start_up_gears_without_qty_error_1_file_kept      | no_qty          | start-up | Errore 1: no such column: QTY
start_up_locked_10_s_error_5_after_the_wait       | locked          | start-up | Errore 5: database is locked: @DB@
read_only_file_lists_gears_save_error_8           | read_only_file  | save     | Errore 8: attempt to write a readonly database
read_only_folder_lists_gears_save_error_1544      | read_only_folder | save    | Errore 1544: attempt to write a readonly database
save_locked_10_s_error_5_file_unchanged           | locked          | save     | Errore 5: database is locked: @DB@
save_on_full_disk_error_13_file_unchanged         | full_disk       | save     | Errore 13: database or disk is full
save_file_moved_away_error_14_moved_file_intact   | moved_away      | save     | Errore 14: unable to open database file: @DB@
delete_file_moved_away_error_14_moved_file_intact | moved_away      | delete   | Errore 14: unable to open database file: @DB@
delete_locked_10_s_error_5_file_unchanged         | locked          | delete   | Errore 5: database is locked: @DB@
delete_gear_deleted_elsewhere_says_record_deleted | vanished        | delete   | Label1=Record Eliminato
pick_file_moved_away_error_14_moved_file_intact   | moved_away      | pick     | Errore 14: unable to open database file: @DB@
pick_locked_10_s_error_5_file_unchanged           | locked          | pick     | Errore 5: database is locked: @DB@
pick_gear_deleted_elsewhere_error_3021            | vanished        | pick     | Errore 3021: Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record.
pick_gear_with_null_quantity_error_94             | null_quantity   | pick     | Errore 94: Invalid use of Null
pick_gear_32768_error_6_overflow                  | id_32768        | pick     | Errore 6: Overflow
'

row=$(grep "^${1:?usage: faults.sh NAME} " <<<"$FAULTS") || { echo "no fault named $1" >&2; exit 2; }
IFS='|' read -r name fault during sees <<<"$row"
name=${name// /} fault=${fault// /} during=${during// /} sees=${sees#"${sees%%[! ]*}"}

# A full disk is a small file system mounted over the database's folder.
if [ "$fault" = full_disk ] && [ "$(id -u)" -ne 0 ]; then
  if unshare --user --map-root-user --mount true 2>/dev/null; then
    exec unshare --user --map-root-user --mount bash "$0" "$@"
  fi
  echo "SKIP: a full disk needs a file system of its own: run as root or allow user namespaces"
  exit 77
fi

source "$here/lib.sh"

# The program and its buses run as an unprivileged user, so that file modes count.
as_operator() {
  [ "$(id -u)" -eq 0 ] || return 0
  AS_OPERATOR=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  chmod 711 "$E2E_TMP"
  chown -R nobody:nogroup "$HOME" "$XDG_RUNTIME_DIR"
  # A clone under /root is closed to others: then the operator runs copies.
  if ! "${AS_OPERATOR[@]}" test -x "$ZANFIRO_PREFIX/bin/zanfiro" -a -r "$ATSPI_PY"; then
    mkdir -m 755 "$E2E_TMP/prefix" "$E2E_TMP/prefix/bin"
    cp "$ZANFIRO_PREFIX/bin/zanfiro" "$ATSPI_PY" "$E2E_TMP/prefix/bin/"
    ZANFIRO_PREFIX=$E2E_TMP/prefix ATSPI_PY=$E2E_TMP/prefix/bin/atspi.py
  fi
}

# Another program holds the database in an exclusive transaction for 10 s,
# longer than zanfiro waits (5 s).
hold_lock() {
  /usr/bin/python3 -c 'import sqlite3, sys, time
c = sqlite3.connect(sys.argv[1], isolation_level=None)
c.execute("BEGIN EXCLUSIVE")
print("locked", flush=True)
time.sleep(10)' "$DB" >"$E2E_TMP/lock" 2>&1 & OWN_PIDS+=($!) LOCK_PID=$!
  poll 5 grep -q locked "$E2E_TMP/lock" || fail "could not lock the database: $(cat "$E2E_TMP/lock")"
}

release_lock() { if [ -n "${LOCK_PID:-}" ]; then kill "$LOCK_PID"; wait "$LOCK_PID" || :; fi; }

PICK=1  # the gear a pick chooses

fault_no_file_before_start() { rm "$DB"; }
fault_no_folder_before_start() { rm -r "$HOME/NDB"; }
fault_empty_file_before_start() { : >"$DB"; }
fault_junk_before_start() { printf 'Zanfiro stock list, but no database %04d\n' {1..200} >"$DB"; }
fault_access_before_start() { cp "$here/../data/gears-numeric.mdb" "$DB"; }
fault_no_gears_before_start() { rm "$DB" && sqlite3 "$DB" "CREATE TABLE Stock(ID INTEGER PRIMARY KEY, D INTEGER)"; }
fault_no_qty_before_start() {
  rm "$DB" && sqlite3 "$DB" "CREATE TABLE Gears(ID INTEGER PRIMARY KEY AUTOINCREMENT, D INTEGER, M TEXT, T TEXT);
                             INSERT INTO Gears (D, M, T) VALUES (40, '0.4', 'C')"
}
fault_locked_before_start() { if [ "$during" = start-up ]; then hold_lock; fi; }
fault_locked_before_action() { hold_lock; }
fault_read_only_file_before_start() { as_operator && chmod 444 "$DB"; }
fault_read_only_folder_before_start() { as_operator && chmod 555 "$HOME/NDB"; }
fault_full_disk_before_start() {
  mv "$DB" "$E2E_TMP/DB.mdb"
  mount -t tmpfs -o size=64k,mode=0700 zanfiro-full-disk "$HOME/NDB" && OWN_MOUNTS+=("$HOME/NDB")
  mv "$E2E_TMP/DB.mdb" "$DB"
  dd if=/dev/zero of="$HOME/NDB/filler" bs=4096 2>/dev/null || :  # ends when the disk is full
}
fault_moved_away_before_action() { mv "$DB" "$HOME/moved.mdb"; DB=$HOME/moved.mdb; }
fault_vanished_before_action() { sqlite3 "$DB" "DELETE FROM Gears WHERE ID = 1"; }
fault_null_quantity_before_start() { sqlite3 "$DB" "INSERT INTO Gears VALUES (8, 18, '48', 'P', NULL)"; PICK=8; }
fault_id_32768_before_start() { sqlite3 "$DB" "INSERT INTO Gears VALUES (32768, 18, '48', 'P', 4)"; PICK=32768; }

# Every file and folder under HOME with its kind, and a copy of the database.
keep_before() {
  find "$HOME" -mindepth 1 -printf '%P %y\n' | sort >"$E2E_TMP/files-before"
  rm -f "$E2E_TMP/before.mdb" && if [ -e "$DB" ]; then cp "$DB" "$E2E_TMP/before.mdb"; fi
}

fails_with_dialog() {
  wait_dialog
  expect_error_dialog "${sees//@DB@/$HOME/NDB/DB.mdb}"
}

run() {
  start_display
  fresh_home
  "$ZANFIRO_PREFIX/bin/zanfiro-db" init >/dev/null && sqlite3 "$DB" "$STOCK"
  if declare -F "fault_${fault}_before_start" >/dev/null; then "fault_${fault}_before_start"; fi
  start_a11y
  keep_before
  start_zanfiro
  if [ "$during" != start-up ]; then
    wait_main_window
    atspi wait 5 Label1="Lista Completa" >/dev/null || fail "the start-up list is not shown"
    [ "$(atspi rows Combo1 | wc -l)" -eq "$(sqlite3 "$DB" 'SELECT count(*) FROM Gears')" ] ||
      fail "the start-up list does not show every gear"
    case $during in
      save)  # a new gear in the emptied editor: type C and module 0.4 from their lists
        fill_editor 33 4
        atspi wait 5 Combo2=C Combo3=0.4 Text1=33 Text4=4 >/dev/null || fail "the editor does not hold the new gear" ;;
      delete)
        pick_row 1
        atspi wait 5 Text1=40 Text4=12 >/dev/null || fail "gear 1 was not read into the editor" ;;
    esac
    if declare -F "fault_${fault}_before_action" >/dev/null; then "fault_${fault}_before_action"; fi
    keep_before
    case $during in
      save) click SAVE ;;
      delete) click DELETE ;;
      pick) pick_row "$PICK" ;;
    esac
  fi
  if [[ $sees == Errore* ]]; then
    fails_with_dialog
  else
    atspi wait 10 "$sees" >/dev/null || fail "the window does not show $sees"
    [ -z "$(others no)" ] || fail "a message box appeared"
    click ESC
    wait_exit -eq 0
  fi
  release_lock
  find "$HOME" -mindepth 1 -printf '%P %y\n' | sort | diff "$E2E_TMP/files-before" - >&2 ||
    fail "the files under HOME changed (< before, > after)"
  if [[ $sees == Errore* ]]; then
    if [ -e "$E2E_TMP/before.mdb" ]; then cmp "$E2E_TMP/before.mdb" "$DB" || fail "$DB changed"; fi
  else
    [ "$(sqlite3 "$DB" 'PRAGMA integrity_check')" = ok ] || fail "$DB is damaged"
    diff <(rows "$E2E_TMP/before.mdb") <(rows "$DB") >&2 || fail "$DB lost or changed gears"
  fi
}

artifacts "fault.$name"
run
