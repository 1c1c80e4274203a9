#!/usr/bin/env bash
# layers.sh ROOT: fails when a library includes a header of a layer above its
# own, when zanfiro-db reaches past the store into the window's layers, or
# when a Qt header appears outside the window's binding.
set -uo pipefail
root=${1:?usage: layers.sh ROOT}
cd "$root" || exit 2

# Lowest first; each may include only itself and what stands before it.
layers=(base store form filters editing app)
status=0
report() { echo "$1"; sed 's/^/  /' <<<"$2"; status=1; }

for i in "${!layers[@]}"; do
  above=("${layers[@]:i+1}")
  ((${#above[@]})) || continue
  hits=$(grep -rnE "#include *\"($(IFS='|'; echo "${above[*]}"))/" "src/${layers[i]}")
  [ -z "$hits" ] || report "src/${layers[i]} includes a layer above it:" "$hits"
done

# The companion tool stands beside the window over the store.
hits=$(grep -rnE '#include *"(form|filters|editing|app)/' tools)
[ -z "$hits" ] || report "tools include the window's layers:" "$hits"

# Qt lives in the binding; the one exception is zanfiro-db's PDF writer,
# whose files are named for it (pdf_page, report_pdf, labels_pdf).
hits=$(grep -rnE '#include *<Q' src tools | grep -v '^src/app/' | grep -vE '^tools/(pdf_[a-z_]+|[a-z_]+_pdf)\.(h|cpp):')
[ -z "$hits" ] || report "Qt headers outside src/app:" "$hits"

((status)) || echo "every include runs downward; Qt stays in src/app"
exit $status
