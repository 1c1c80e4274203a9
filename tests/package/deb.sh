#!/usr/bin/env bash
# deb.sh CHECK BUILD_DIR: makes zanfiro_<version>_<arch>.deb from the build
# tree with its own CPack settings, as `cpack -G DEB` makes the released one,
# in a folder of its own, and runs one check on it.
set -euo pipefail
check=${1:?usage: deb.sh CHECK BUILD_DIR}
build=${2:?usage: deb.sh CHECK BUILD_DIR}

fail() { echo "FAIL: $*" >&2; exit 1; }

out=$(mktemp -d "${TMPDIR:-/tmp}/zanfiro-deb-$check.XXXXXX")
trap 'rm -rf "$out"' EXIT
"${CPACK:-cpack}" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log" >&2; fail "cpack could not make the package"; }
debs=("$out"/zanfiro_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no zanfiro_*.deb: $(ls "$out")"
deb=${debs[0]}

# What Debian's own checker calls an error (a missing copyright or changelog,
# a maintainer nobody can write to, ...) would keep the package out of any
# archive. Warnings are shown, not failed on.
passes_lintian_without_errors() {
  "${LINTIAN:-lintian}" --fail-on error --info "$deb" || fail "lintian finds errors in $(basename "$deb")"
}

# A version raised without a changelog entry would ship the old entry on top.
changelog_tops_with_the_packaged_version() {
  local packaged changelog
  packaged=$(dpkg-deb -f "$deb" Version)
  changelog=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/zanfiro/changelog.gz | zcat |
              dpkg-parsechangelog -l - -S Version)
  [ "$changelog" = "$packaged" ] ||
    fail "the package is $packaged but its changelog's newest entry is $changelog: add an entry to packaging/changelog"
}

"$check"
