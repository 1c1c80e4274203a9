#!/usr/bin/env bash
# desktop.sh: what the install puts around the programs for the desktop and the shell, as an operator meets it
# under ZANFIRO_PREFIX: the manual pages, which render without a warning and name every command and option that
# `zanfiro-db --help` and `zanfiro-db COMMAND --help` name; the bash completion of those commands and options;
# the AppStream metainfo, matching the menu entry and the version; the backup timer's units.
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
[ "$(complete_words zanfiro-db re)" = "restore report renumber" ] || fail "completion of re: $(complete_words zanfiro-db re)"

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
echo "desktop: manual pages, completion, metainfo and backup timer installed and in agreement"
