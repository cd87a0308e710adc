#!/usr/bin/env bash
# imports.sh - the executable may import only functions that every Windows it
# serves exports: those whose row in the Functions table of
# docs/windows-versions.md reads yes, stub or differs for Windows 95, 98,
# NT 3.51, NT 4.0 and 2000 alike. Windows refuses to start a program that
# imports a name its DLLs lack, so one such import costs a whole platform.
# Usage: imports.sh SetupOrdane.exe [docs/windows-versions.md]
set -euo pipefail
exe=$1
table=${2:-$(dirname "$0")/../../docs/windows-versions.md}
# The 32-bit file as shipped, or the x86_64 build that 64-bit Wine runs.
objdump=i686-w64-mingw32-objdump
"$objdump" -f "$exe" >/dev/null 2>&1 || objdump=x86_64-w64-mingw32-objdump

# "DLL FUNCTION" for each function that every served Windows exports.
present_everywhere() {
    awk -F'|' '
        function trim(s) { gsub(/^[ \t]+|[ \t]+$/, "", s); return s }
        /^## / { in_table = ($0 ~ /^## Functions/); next }
        in_table && NF >= 9 && $2 !~ /DLL|---/ {
            dll = toupper(trim($2)); split(trim($3), name, " ")
            for (i = 4; i <= 8; i++) if (trim($i) !~ /^(yes|stub|differs)/) next
            print dll " " name[1]
        }' "$table"
}

# "DLL FUNCTION" for each import of the executable, the DLL without ".DLL".
imports_of() {
    "$objdump" -p "$1" | awk '
        /DLL Name:/ { dll = toupper($3); sub(/\.DLL$/, "", dll); next }
        dll != "" && /^[ \t]+[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_]/ { print dll " " $3 }
        /^$/ { dll = "" }'
}

allowed=$(present_everywhere)
[ -n "$allowed" ] || { echo "imports: no function table read from $table" >&2; exit 1; }
bad=0 count=0
while read -r dll function; do
    count=$((count + 1))
    grep -qxF "$dll $function" <<<"$allowed" && continue
    echo "imports: $dll $function is not marked present on every served Windows in $table" >&2
    bad=1
done < <(imports_of "$exe")
[ "$count" -gt 0 ] || { echo "imports: no import read from $exe" >&2; exit 1; }
[ "$bad" = 0 ] || exit 1
echo "imports: $count functions, each present on Windows 95, 98, NT 3.51, NT 4.0 and 2000"
