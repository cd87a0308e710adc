#!/usr/bin/env bash
# floors.sh - the program's folders as floors, each including only its own
# floor and those below: app (1: start-up, dispatch, platform table,
# messages, handles) under deploy and spooler (2, side by side) under
# operations (3); resources/ (0) under all. Prints the floors with their files
# and every include that crosses floors; fails on one that runs back up.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A floor=([resources]=0 [app]=1 [deploy]=2 [spooler]=2 [operations]=3)
declare -A home
for folder in "${!floor[@]}"; do
  for f in "$folder"/*.h "$folder"/*.cpp; do [ -e "$f" ] && home[$(basename "$f")]=$folder; done
done

for level in 3 2 1 0; do
  for folder in operations deploy spooler app resources; do
    [ "${floor[$folder]}" = "$level" ] || continue
    echo "floor $level  $folder: $(cd "$folder" && ls ./*.h ./*.cpp ./*.rc 2>/dev/null | sed 's|^\./||' | xargs)"
  done
done

up=0 down=0
for folder in app deploy spooler operations; do
  for f in "$folder"/*.h "$folder"/*.cpp; do
    while read -r header; do
      to=${home[$header]:-}
      [ -n "$to" ] && [ "${floor[$to]}" != "${floor[$folder]}" ] || continue
      if [ "${floor[$to]}" -gt "${floor[$folder]}" ]; then
        echo "UP    $f -> $to/$header"
        up=$((up + 1))
      else
        down=$((down + 1))
      fi
    done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$f")
  done
done
echo "floors: $down includes run down, $up run up"
[ "$up" = 0 ]
