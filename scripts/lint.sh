#!/usr/bin/env bash
# Static analysis of the program (app/ deploy/ spooler/ operations/) and of
# win32host/: clang-tidy with the checks of .clang-tidy, then cppcheck with the
# options below and scripts/cppcheck.supp. Any finding fails. Both read the
# native build's compile_commands.json (configured if missing); `-j N` sets
# the parallel clang-tidy runs (default 2). Also the program's include floors
# (scripts/floors.sh): nothing may include a header of a higher floor.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=2
[ "${1:-}" = -j ] && jobs=$2

db=build/native/compile_commands.json
[ -f "$db" ] || cmake --preset native >/dev/null
checked='^/(app|deploy|spooler|operations|win32host)/'
mapfile -t files < <(grep -o '"file": "[^"]*"' "$db" | sed 's/^"file": "//; s/"$//' |
  while read -r f; do
    rel=${f#"$top"}
    [ "$rel" != "$f" ] && [[ $rel =~ $checked ]] && [[ $rel != /build/* ]] && echo "$f"
  done | sort -u)
[ ${#files[@]} -gt 0 ] || { echo "lint: no sources in $db" >&2; exit 1; }

status=0
echo "lint: clang-tidy on ${#files[@]} files, $jobs at a time"
# -Wno-error: the build's -Werror would turn clang's own warnings, which are
# not gcc's, into errors; what is checked here is .clang-tidy's list.
printf '%s\n' "${files[@]}" |
  xargs -P "$jobs" -n 4 clang-tidy -p build/native --quiet --extra-arg=-Wno-error \
    2> >(grep -v -E '^[0-9]+ warnings? generated|^Suppressed [0-9]+ warnings|^Use -header-filter' >&2) ||
  status=1

# cppcheck reads only the compile commands of the checked files: the test
# binaries' generated sources need not exist.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk -v top="$top" -v re="$checked" '
  /^\{/ { entry = $0 "\n"; keep = 0; next }
  /^\}/ { if (keep) { printf "%s%s", (n++ ? ",\n" : "[\n"), entry "}" } next }
  { entry = entry $0 "\n"
    if ($0 !~ /^ *"file":/) next
    f = $0; sub(/^[^:]*: "/, "", f); sub(/",?$/, "", f)
    rel = index(f, top "/") == 1 ? substr(f, length(top) + 1) : ""
    if (rel ~ re && rel !~ /^\/build\//) keep = 1 }
  END { print (n ? "\n]" : "[]") }' "$db" >"$work/compile_commands.json"
echo "lint: cppcheck"
# warning, performance, portability: what can be wrong; the style class
# (naming, scope, const) is left to clang-tidy's readability checks.
cppcheck --project="$work/compile_commands.json" --enable=warning,performance,portability \
  --inline-suppr --suppressions-list=scripts/cppcheck.supp --error-exitcode=1 --quiet \
  -j "$jobs" --template='{file}:{line}: {severity} {id}: {message}' || status=1

# The program's folders include one way, from operations down to app.
echo "lint: floors"
bash scripts/floors.sh | tail -1 || status=1

[ $status -eq 0 ] && echo "lint: clean"
exit $status
