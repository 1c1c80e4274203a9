#!/usr/bin/env bash
# save_syscalls.sh: one SAVE through the installed zanfiro's window under
# strace, printing the file system calls of its write: what reaches the disk,
# in which order, before the window shows the outcome. Fails unless the
# folder is flushed after the journal's deletion, the commit: without that
# flush a power cut right after an acknowledged SAVE can undo it.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${ZANFIRO_PREFIX:=$here/../../build/tests/tests/e2e/stage}" "${ARTIFACTS:=$here/../../build/tests/soak-artifacts}"
source "$here/../e2e/lib.sh"
command -v strace >/dev/null || fail "strace is not installed (apt-get install strace)"

artifacts save-syscalls
start_display
fresh_home
"$ZANFIRO_PREFIX/bin/zanfiro-db" init >/dev/null
strace -f -tt -e trace=openat,unlink,fsync,fdatasync,pwrite64,ftruncate -e signal=none -o "$ART/strace.txt" \
  "$ZANFIRO_PREFIX/bin/zanfiro" 2>"$ART/zanfiro.err" & APP_PID=$! OWN_PIDS+=($!)
wait_main_window
fill_editor 33 4
click SAVE
expect_rows=1 && poll 5 eval '[ "$(sqlite3 "$DB" "SELECT count(*) FROM Gears")" = "$expect_rows" ]' || fail "the SAVE did not land"
click ESC
wait_exit -eq 0
# From the journal's creation to the first flush after its deletion.
awk -v db="$DB" '
  $0 ~ "openat.*" db "-journal" { on = 1 }
  on { sub(/^[0-9]+ /, ""); line = $0; sub(/, "[^"]*"\.\.\./, ", ...", line); print line }
  on && $0 ~ "unlink\\(\"" db "-journal" { deleted = 1; next }
  deleted && /fsync|fdatasync/ { exit }' "$ART/strace.txt" | tee "$ART/save.txt"
grep -A1 'unlink("'"$DB"'-journal")' "$ART/save.txt" | grep -q 'openat(.*"'"$(dirname "$DB")"'"' &&
  tail -n 1 "$ART/save.txt" | grep -q 'fsync\|fdatasync' ||
  fail "nothing flushes the folder after the journal's deletion: a power cut could undo an acknowledged SAVE"
