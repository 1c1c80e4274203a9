#!/usr/bin/env bash
# crash_soak.sh [N]: N times (default 1000) starts the installed zanfiro on one
# database, saves gears through the real window (an update of a picked gear,
# then new gears) and kills the program with SIGKILL at a random moment: at
# start-up, during or just after a SAVE, or while the editor is being filled.
# After every kill a copy of the file is checked (check_saves.py), and at the
# end the file itself, once zanfiro has opened it again: a sound file, no
# partial row, every SAVE the window acknowledged present. Prints its figures;
# exits non-zero if anything was damaged, partial or lost.
#
# A SAVE is acknowledged when the window, read over the accessibility bus,
# shows its outcome while the program runs: the editor emptied by the refresh
# that follows the write, with "Inserimento effettuato con successo" for an
# insert. Each SAVE writes its sequence number as the teeth, so every row
# names the SAVE that wrote it.
#
# Environment: ZANFIRO_PREFIX (the install tree; default the build tree's
# stage), ARTIFACTS (default build/tests/soak-artifacts), SOAK_SEED (the
# random seed; printed, so a run can be repeated).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
runs=${1:-1000}
: "${ZANFIRO_PREFIX:=$here/../../build/tests/tests/e2e/stage}" "${ARTIFACTS:=$here/../../build/tests/soak-artifacts}"
source "$here/../e2e/lib.sh"

seed=${SOAK_SEED:-$(date +%s)} && RANDOM=$seed
started=$SECONDS
kills=0 mid_write=0 clicked=0 acked=0 dialogs=0 cut_short=0 damaged=0 partial=0 lost=0 duplicates=0 moved=0

ledger() { sqlite3 "$LEDGER" "$@"; }

# The program has not ended (a killed one stays a zombie until waited for).
running() { [[ $(cut -d' ' -f3 "/proc/$APP_PID/stat" 2>/dev/null) == [^ZX] ]]; }

# The editor's four values as the window shows them, as SQL literals, or nothing if one is empty.
editor_values() {
  local shown && shown=$(atspi show Text1 Combo3 Combo2 Text4) || return 1
  local -A v && while IFS='=' read -r k val; do v[$k]=$val; done <<<"$shown"
  [ -n "${v[Text1]}" ] && [ -n "${v[Combo3]}" ] && [ -n "${v[Combo2]}" ] && [ -n "${v[Text4]}" ] || return 1
  echo "${v[Text1]}, '${v[Combo3]}', '${v[Combo2]}', ${v[Text4]}"
}

# One SAVE: values into the editor, the ledger told what the editor holds,
# SAVE clicked; the killer may be armed right after the click; then the
# outcome awaited and, if the window shows it, the SAVE marked acknowledged.
save() {
  local kind=$1 target=${2:-NULL} seq values outcome=
  seq=$(ledger "SELECT coalesce(max(seq), 0) + 1 FROM Saves")
  # The journal watcher starts before the editor is filled: Python takes
  # longer to start than the write lasts.
  local moment= moments=(${SOAK_MOMENTS:-0-99ms 1s 2s journal})
  if ((saves_done + 1 == kill_after)); then moment=${moments[RANDOM % ${#moments[@]}]}; fi
  if [ "$moment" = journal ]; then arm_killer journal; fi
  local keys=("Up Down" "Down Up")  # either lands on an entry of the type and module lists
  fill_editor "$seq" $((RANDOM % 500)) "${keys[RANDOM % 2]}" "${keys[RANDOM % 2]}"
  poll 5 eval 'running || exit 1; values=$(editor_values) && [[ $values == "$seq,"* ]]' ||
    fail "the editor does not hold SAVE $seq"
  ledger "INSERT INTO Saves (seq, run, kind, target, D, M, T, QTY) VALUES ($seq, $run, '$kind', $target, $values)"
  click SAVE
  ((++saves_done))
  echo clicked >>"$RUN_LOG"
  if [ -n "$moment" ] && [ "$moment" != journal ]; then arm_killer "$moment"; fi
  [ "$kind" = insert ] && outcome="Inserimento effettuato con successo"
  atspi wait 10 Text1= Label1="$outcome" >/dev/null || fail "SAVE $seq not acknowledged"
  ledger "UPDATE Saves SET acked = 1 WHERE seq = $seq"
}

# The killer of a run, armed at its SAVE: 0-99 ms, up to 1 s or 1-2 s after
# the click, or (a quarter of the kills) as the journal appears plus up to
# 1.5 ms: the write, journal to commit, lasts about 1.5 ms here, so a kill at
# a moment drawn from the whole SAVE would seldom land inside it.
arm_killer() {
  local delay
  echo "kill $1" >>"$RUN_LOG"
  case $1 in
    journal)
      # A journal a kill left behind (one whose header was never written is
      # not hot and stays) is no sign of this write: the watcher waits for a
      # journal other than the one there now.
      /usr/bin/python3 -c 'import os, signal, sys, time
def seen():
    try:
        s = os.stat(sys.argv[2])
        return (s.st_ino, s.st_mtime_ns, s.st_size)
    except OSError:
        return None
before, end = seen(), time.monotonic() + 8
while seen() in (None, before) and time.monotonic() < end:
    time.sleep(0.0002)
time.sleep(float(sys.argv[3]))
os.kill(int(sys.argv[1]), signal.SIGKILL)' "$APP_PID" "$DB-journal" "$(printf 0.%06d $((RANDOM % 1500)))" 2>/dev/null &
      return ;;
    0-99ms) delay=$(printf 0.%03d $((RANDOM % 100))) ;;
    1s) delay=$(printf 0.%03d $((RANDOM % 1000))) ;;
    2s) delay=$(printf 1.%03d $((RANDOM % 1000))) ;;
  esac
  { sleep "$delay"; kill -KILL "$APP_PID" 2>/dev/null; } &
}

# The window's part of a run, in a subshell: any step may find the program
# gone. On its way out it waits for the killer it armed.
drive() {
  trap wait EXIT
  wait_main_window
  atspi wait 10 Label1="Lista Completa" >/dev/null || fail "the start-up list is not shown"
  if [ "$(ledger 'SELECT count(*) FROM Saves WHERE acked')" -gt 0 ] && ((RANDOM % 2)); then
    choose Combo1 Home $(yes Down | head -n $((RANDOM % 5)))
    local picked && poll 5 eval 'running || exit 1; picked=$(atspi show Text1 | cut -d= -f2-) && [ -n "$picked" ]' ||
      fail "the picked gear was not read into the editor"
    save update "$picked"
  fi
  for ((i = 0; i < inserts; i++)); do save insert; done
  local idle=(0-99ms 1s 2s)
  if ((saves_done < kill_after)); then arm_killer "${idle[RANDOM % 3]}"; fi  # while the operator looks at the list
}

# A copy of the file as the kill left it (with its journal), so that the
# program, not the check, recovers the file itself at the next start.
check_copy() {
  local copy=$E2E_TMP/copy && rm -rf "$copy" && mkdir "$copy"
  cp "$DB" "$copy/DB.mdb" && if [ -e "$DB-journal" ]; then cp "$DB-journal" "$copy/DB.mdb-journal"; fi
  /usr/bin/python3 "$here/check_saves.py" "$LEDGER" "$copy/DB.mdb" 2>>"$ART/findings.log"
}

artifacts crash-soak
LEDGER=$ART/ledger.db
ledger "CREATE TABLE Saves(seq INTEGER PRIMARY KEY, run INTEGER, kind TEXT, target INTEGER,
                           D INTEGER, M TEXT, T TEXT, QTY INTEGER, acked INTEGER DEFAULT 0);
        CREATE TABLE GearIds(chain INTEGER PRIMARY KEY, id INTEGER)"
start_display
fresh_home
start_a11y
"$ZANFIRO_PREFIX/bin/zanfiro-db" init >/dev/null
echo "crash soak: $runs runs, seed $seed, database $DB, details in $ART"

for ((run = 1; run <= runs; run++)); do
  RUN_LOG=$E2E_TMP/run.log && : >"$RUN_LOG"
  inserts=$((1 + RANDOM % 3)) saves_done=0 kill_after=$((RANDOM % 5)) KILLER=  # 0: at start-up
  start_zanfiro
  if ((kill_after == 0)); then
    echo "kill start-up" >>"$RUN_LOG"
    { sleep "$(printf 0.%03d $((RANDOM % 1000)))"; kill -KILL "$APP_PID" 2>/dev/null; } & KILLER=$!
  fi
  echo "-- run $run" >>"$ART/drive.log"
  set +e
  (set -e; drive) >>"$ART/drive.log" 2>&1
  set -e
  if [ -n "$KILLER" ]; then wait "$KILLER" || :; fi
  # A killed program takes a moment to end (longer inside fdatasync).
  if ! poll 2 eval '! running'; then
    ((++cut_short)) && echo "run $run: the driver stopped while the program ran (see drive.log)" >>"$ART/findings.log"
    kill -KILL "$APP_PID" 2>/dev/null || :
  fi
  status=0 && wait "$APP_PID" 2>/dev/null || status=$?  # quiet: bash would report the kill
  if ((status != 128 + 9)); then
    ((++dialogs)) && echo "run $run: zanfiro ended with $status: $(cat "$ART/zanfiro.err")" >>"$ART/findings.log"
  fi
  ((++kills))
  # Hot: a journal whose header was written, which the next start rolls back.
  header=$(head -c 1 "$DB-journal" 2>/dev/null | od -An -tu1 | tr -d ' ') || :
  if [ -n "$header" ] && [ "$header" != 0 ]; then ((++mid_write)) && echo "kill mid-write" >>"$RUN_LOG"; fi
  cat "$RUN_LOG" >>"$ART/kills.log"
  clicked=$((clicked + $(grep -c clicked "$RUN_LOG" || :)))
  eval "$(check_copy | sed 's/\([a-z]*\)=/run_\1=/g')"
  if ((run_damaged + run_partial + run_lost + run_duplicates + run_moved)); then
    cp -r "$E2E_TMP/copy" "$ART/after-run-$run"
    echo "run $run: damaged=$run_damaged partial=$run_partial lost=$run_lost duplicates=$run_duplicates moved=$run_moved" \
      >>"$ART/findings.log"
  fi
  damaged=$((damaged + run_damaged)) partial=$((partial + run_partial)) lost=$((lost + run_lost))
  duplicates=$((duplicates + run_duplicates)) moved=$((moved + run_moved))
  if ((run % 25 == 0)); then echo "  $run runs, $run_rows rows, $((SECONDS - started)) s"; fi
done

# The program itself opens the file after the last kill.
start_zanfiro
wait_main_window
atspi wait 10 Label1="Lista Completa" >/dev/null || fail "the last start-up list is not shown"
click ESC
wait_exit -eq 0
eval "$(/usr/bin/python3 "$here/check_saves.py" "$LEDGER" "$DB" 2>>"$ART/findings.log" | sed 's/\([a-z]*\)=\([0-9]*\)/final_\1=\2/g')"
acked=$(ledger "SELECT count(*) FROM Saves WHERE acked")
cp "$DB" "$ART/DB.mdb"
journal_left=no && if [ -e "$DB-journal" ]; then journal_left="yes, $(stat -c %s "$DB-journal") bytes, header byte $(head -c 1 "$DB-journal" | od -An -tu1)"; fi

cat <<EOF
runs                             $runs
kills (SIGKILL)                  $kills
  of them mid-write (hot journal) $mid_write
SAVEs clicked                    $clicked
SAVEs acknowledged by the window $acked
rows found at the end            $final_rows
damaged files                    $((damaged + final_damaged))
partial rows                     $((partial + final_partial))
lost acknowledged SAVEs          $((lost + final_lost))
duplicate or moved gears         $((duplicates + moved + final_duplicates + final_moved))
ended other than by the kill     $dialogs
runs cut short by the driver     $cut_short
-journal beside the file at the end $journal_left
elapsed                          $((SECONDS - started)) s
seed                             $seed
EOF
((damaged + partial + lost + duplicates + moved + final_damaged + final_partial + final_lost + final_duplicates \
  + final_moved + dialogs == 0)) || fail "see $ART/findings.log"
