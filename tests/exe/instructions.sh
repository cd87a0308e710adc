#!/usr/bin/env bash
# instructions.sh - the 32-bit executable holds no instruction beyond the
# processor that Windows 95 asks for, the 80386 (docs/windows-versions.md):
# nothing of the 486 (BSWAP, CMPXCHG, XADD, INVD, WBINVD, INVLPG), the Pentium
# (CMPXCHG8B, RDTSC, CPUID, RDMSR, WRMSR) or the Pentium Pro and later (CMOVcc,
# FCMOVcc, FCOMI, FUCOMI, SYSENTER, SYSEXIT, MMX and SSE registers), and no
# x87 instruction at all, since a 386DX may have no coprocessor. It also has no
# static constructor, which nothing would run without a C runtime: its
# constructor list, two words at the end of the code, is empty.
# Usage: instructions.sh SetupOrdane.exe
set -euo pipefail
exe=$1
objdump=i686-w64-mingw32-objdump
count=0

# The mnemonic of each instruction; "(bad)" marks data, as the constructor
# lists at the end of the code are.
mnemonics() {
    "$objdump" -d --no-show-raw-insn "$exe" | awk -F'\t' 'NF >= 2 && $1 ~ /^ *[0-9a-f]+:$/ { split($2, w, " "); print w[1] " " $2 }'
}

beyond_386() {
    grep -E '^(cmov|fcmov|fcomi|fucomi|sysenter|sysexit|bswap|cmpxchg|xadd|invd|wbinvd|invlpg|rdtsc|cpuid|rdmsr|wrmsr|emms|f[a-z0-9]*) |%(mm|xmm|ymm)[0-9]' || true
}

# The linker puts the constructor list, -1 then each constructor then 0, and
# then the destructor list alike, at the end of .text: empty, they read
# ffffffff 00000000 ffffffff 00000000.
tail_words=$("$objdump" -s -j .text "$exe" | awk '/^ [0-9a-f]+ / { for (i = 2; i <= 5; i++) if ($i ~ /^[0-9a-f]+$/ && length($i) == 8) print $i }' |
    grep -v '^90909090$' | tail -4 | xargs)
[ "$tail_words" = "ffffffff 00000000 ffffffff 00000000" ] || {
    echo "instructions: static constructors or destructors in $exe (lists end with: $tail_words)" >&2
    exit 1
}
list=$(mnemonics)
count=$(wc -l <<<"$list")
[ "$count" -gt 100 ] || { echo "instructions: cannot disassemble $exe" >&2; exit 1; }
found=$(beyond_386 <<<"$list")
if [ -n "$found" ]; then
    echo "instructions: beyond the 80386 (or x87) in $exe:" >&2
    sort <<<"$found" | uniq -c | sort -rn | head -20 >&2
    exit 1
fi

echo "instructions: $count, none beyond the 80386, no x87, no static constructor"
