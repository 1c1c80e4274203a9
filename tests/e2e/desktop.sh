#!/usr/bin/env bash
# desktop.sh: what the install puts around the programs for the desktop and the shell, as an operator meets it
# under ZANFIRO_PREFIX: the manual pages, which render without a warning and name every command and option that
# `zanfiro-db --help` and `zanfiro-db COMMAND --help` name; the bash completion of those commands and options;
# the AppStream metainfo, matching the menu entry and the version; the backup timer's units; the menu entry's
# actions, each run as the launcher runs it.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
: "${PROJECT_VERSION:?}"
prefix=$ZANFIRO_PREFIX
zdb=$prefix/bin/zanfiro-db

step "manual pages"
for page in zanfiro zanfiro-db; do
  file=$prefix/share/man/man1/$page.1.gz
  [ -f "$file" ] || fail "no manual page $file"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null) || fail "man cannot show $file"
  [ -z "$warnings" ] || fail "$page(1) renders with warnings: $warnings"
  zcat "$file" | grep -q "^\.TH .* \"zanfiro $PROJECT_VERSION\"" || fail "$page(1) does not name version $PROJECT_VERSION"
done
manual=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$prefix/share/man/man1/zanfiro-db.1.gz" 2>/dev/null)

step "help, manual and completion name the same commands and options"
commands=$("$zdb" --help | sed -n '/^commands:/,/^$/s/^  \([a-z-]\+\).*/\1/p')
[ "$(wc -w <<<"$commands")" -ge 10 ] || fail "zanfiro-db --help lists too few commands: $commands"
completion=$prefix/share/bash-completion/completions/zanfiro-db
[ -f "$completion" ] || fail "no bash completion at $completion"
# shellcheck disable=SC1090
source "$completion"
complete_words() { COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _zanfiro_db; echo "${COMPREPLY[*]}"; }
[ "$(complete_words zanfiro-db "")" = "$(echo $commands) --help" ] ||
  fail "completion offers '$(complete_words zanfiro-db "")', help lists '$(echo $commands)'"
for command in $commands; do
  help=$("$zdb" "$command" --help) || fail "zanfiro-db $command --help failed"
  [[ $help == "usage: zanfiro-db $command"* ]] || fail "zanfiro-db $command --help starts with: ${help%%$'\n'*}"
  grep -q "^       $command\( \|$\)" <<<"$manual" || fail "zanfiro-db(1) has no entry for $command"
  for option in $(sed -n '/^options:/,$s/^  \(-[-a-z]*\).*/\1/p' <<<"$help"); do
    grep -q -- "$option" <<<"$manual" || fail "zanfiro-db(1) does not tell $command's option $option"
    [[ " $(complete_words zanfiro-db "$command" -) " == *" $option "* ]] || fail "no completion of $command $option"
  done
done
[ "$(complete_words zanfiro-db report --type "")" = "C P" ] || fail "completion of --type"
[ "$(complete_words zanfiro-db report --module "")" = "0.4 0.6 48 64" ] || fail "completion of --module"
[ "$(complete_words zanfiro-db re)" = "restore report reorder renumber" ] || fail "completion of re: $(complete_words zanfiro-db re)"
[ "$(complete_words zanfiro-db levels "")" = "set clear import" ] || fail "completion of levels"
[ "$(complete_words zanfiro-db labels --layout "")" = "3x8 3x7 2x7" ] || fail "completion of --layout"

step "AppStream metainfo"
metainfo=$prefix/share/metainfo/org.zanfiro.Zanfiro.metainfo.xml
# Its validity: packaging.metainfo_validates; the menu entry it launches: the journey installed_layout_*.
grep -q '<id>org.zanfiro.Zanfiro</id>' "$metainfo" || fail "the metainfo id is not the menu entry's"
grep -q '<launchable type="desktop-id">org.zanfiro.Zanfiro.desktop</launchable>' "$metainfo" || fail "no launchable"
grep -q "<release version=\"$PROJECT_VERSION\"" "$metainfo" || fail "no release $PROJECT_VERSION in the metainfo"
grep -q '<image>https://.*\.png</image>' "$metainfo" || fail "no screenshot"

step "the daily backup's user units"
units=$prefix/lib/systemd/user
grep -qx 'ExecStart=zanfiro-db backup' "$units/zanfiro-backup.service" || fail "the service does not run the backup"
grep -qx 'OnCalendar=daily' "$units/zanfiro-backup.timer" || fail "the timer is not daily"
grep -qx 'WantedBy=timers.target' "$units/zanfiro-backup.timer" || fail "the timer cannot be enabled"
# systemd looks a bare command name up in its own fixed path (/usr/local/bin, /usr/bin...), which the stage is
# not on: the copies checked name the staged program instead.
fresh_home
if command -v systemd-analyze >/dev/null; then
  mkdir "$E2E_TMP/units"
  sed "s|^ExecStart=zanfiro-db |ExecStart=$zdb |" "$units/zanfiro-backup.service" >"$E2E_TMP/units/zanfiro-backup.service"
  cp "$units/zanfiro-backup.timer" "$E2E_TMP/units/"
  # It warns of unknown keys and bad values without failing: any word from it is a fault.
  out=$(systemd-analyze --user verify --man=no "$E2E_TMP"/units/* 2>&1) && [ -z "$out" ] || fail "systemd-analyze: $out"
fi
step "the menu entry's actions"
entry=$prefix/share/applications/org.zanfiro.Zanfiro.desktop
desktop-file-validate "$entry" || fail "the menu entry with its actions is not valid"
[ "$(sed -n 's/^Actions=//p' "$entry")" = "stock-sheet;reorder-sheet;backup;" ] || fail "the entry lists other actions"
# The desktop's viewer and notifications are stand-ins that write down what they were given; the launcher runs
# an action's Exec line with a PATH that has the installed programs and nothing else.
stubs=$E2E_TMP/stubs && mkdir -p "$stubs/viewer" "$stubs/notices"
printf '#!/bin/sh\necho "$1" >>"%s/opened"\n' "$E2E_TMP" >"$stubs/viewer/xdg-open"
printf '#!/bin/sh\nfor word; do said=$word; done\necho "$said" >>"%s/notified"\n' "$E2E_TMP" >"$stubs/notices/notify-send"
chmod +x "$stubs"/*/*
launch() { # ACTION STUBS...: runs the action with those stand-ins on its PATH
  local exec path=$prefix/bin stub && exec=$(sed -n "/^\[Desktop Action $1\]/,/^\[/s/^Exec=//p" "$entry") && shift
  for stub; do path=$stubs/$stub:$path; done
  rm -f "$E2E_TMP/opened" "$E2E_TMP/notified"
  env PATH="$path" /bin/sh -c "$exec" >"$E2E_TMP/said" 2>&1 || fail "the action's '$exec' failed: $(cat "$E2E_TMP/said")"
}
is_pdf() { [ -s "$1" ] && [ "$(head -c 5 "$1")" = "%PDF-" ]; }
"$zdb" init >/dev/null && "$zdb" demo >/dev/null && "$zdb" levels set 1 20 >/dev/null

launch stock-sheet viewer notices
opened=$(cat "$E2E_TMP/opened")
[[ $opened == "$HOME/NDB/fogli/stock-"*.pdf ]] && is_pdf "$opened" || fail "the stock sheet opened was '$opened'"
[ ! -e "$E2E_TMP/notified" ] || fail "an opened sheet was also told in a notification"
launch reorder-sheet viewer notices
opened=$(cat "$E2E_TMP/opened")
[[ $opened == "$HOME/NDB/fogli/reorder-"*.pdf ]] && is_pdf "$opened" || fail "the reorder sheet opened was '$opened'"
pdftotext "$opened" - | grep -q "Da ordinare" || fail "the reorder sheet opened lists nothing to order"
launch backup notices
backup=$(ls "$HOME"/NDB/backups/DB-*.mdb) || fail "the backup action made no backup"
grep -q "^Backed up $DB to $backup " "$E2E_TMP/notified" || fail "the notification said: $(cat "$E2E_TMP/notified")"

# Without a viewer the notification says where the sheet is; without either, the sheet is still made.
launch stock-sheet notices
grep -q "^Wrote the stock sheet .* to $HOME/NDB/fogli/stock-.*\.pdf$" "$E2E_TMP/notified" &&
  grep -q "^No viewer could open it\.$" "$E2E_TMP/notified" || fail "without a viewer: $(cat "$E2E_TMP/notified")"
rm -r "$HOME/NDB/fogli"
launch stock-sheet
is_pdf "$(ls "$HOME"/NDB/fogli/stock-*.pdf)" || fail "without a viewer or notifications no sheet was made"
# A failure is told too: here, no database.
mv "$DB" "$DB.away"
! env PATH="$stubs/notices:$prefix/bin" zanfiro-db reorder --open >/dev/null 2>&1 || fail "reorder without a database succeeded"
grep -q "unable to open database file" "$E2E_TMP/notified" || fail "a failure was not told: $(cat "$E2E_TMP/notified")"
echo "desktop: manual pages, completion, metainfo, backup timer and menu actions installed and in agreement"
