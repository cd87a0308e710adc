#!/usr/bin/env bash
# run.sh - the performance figures of SetupOrdane in one run on this machine,
# each beside its goal: (a) the copy dialog against dd bs=1024 and cp, (b) a
# complete setup and deletion on the virtual clock, (c) a complete setup in
# tmux on the real clock, (d) the size of SetupOrdane.exe, (e) a complete setup
# with a 64 MiB driver file against the copies it must make. A benchmark, not a
# test: it builds what it needs (presets native and mingw) and prints a table.
# Usage: bash bench/run.sh   (COPY_ROUNDS, RUNS, TMUX_RUNS, BIG_RUNS, BENCH_JOBS override)
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
copy_rounds=${COPY_ROUNDS:-5} runs=${RUNS:-11} tmux_runs=${TMUX_RUNS:-5} big_runs=${BIG_RUNS:-3} jobs=${BENCH_JOBS:-2}

say() { echo "$*" >&2; }
build() {
    local preset=$1
    shift
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs" --target "$@" >/dev/null
}
# The native preset is the optimised build (RelWithDebInfo: -O2, NDEBUG), the
# one the tests run; the Windows program is built as it ships (MinSizeRel).
say "-- building (native: SetupOrdane copy_bench process_bench; mingw: SetupOrdane)"
build native SetupOrdane copy_bench process_bench
build mingw SetupOrdane

# Every run works in TMPDIR; the file system there decides much of (a) and (b).
fs=$(df --output=fstype "${TMPDIR:-/tmp}" | tail -1)

pass() { awk -v v="$1" -v g="$2" 'BEGIN { print (v < g ? "pass" : "MISS") }'; }

say "-- (a) copy dialog against dd bs=1024 and cp, 64 MiB, $copy_rounds rounds"
a=$(build/native/copy_bench 64 "$copy_rounds")
say "$a"
dialog_s=$(sed -n 's/.*copy dialog \([0-9.]*\) s.*/\1/p' <<<"$a")
dd_s=$(sed -n 's/.*dd bs=1024 \([0-9.]*\) s.*/\1/p' <<<"$a")
cp_s=$(sed -n 's/.*cp \([0-9.]*\) s.*/\1/p' <<<"$a")
ratio=$(sed -n 's/.*ratio to dd \([0-9.]*\).*/\1/p' <<<"$a")

say "-- (b) complete setup and complete deletion, virtual clock, $runs runs"
b=$(build/native/process_bench build/native/SetupOrdane medium "$runs")
say "$b"
field() { sed -n "s/^$1: median \([0-9.]*\) ms.*CPU \([0-9.]*\)).*peak RSS \([0-9]*\) KiB/\\$2/p" <<<"${3:-$b}"; }
setup_ms=$(field "complete setup" 1) setup_cpu=$(field "complete setup" 2) setup_kib=$(field "complete setup" 3)
deletion_ms=$(field "complete deletion" 1) deletion_cpu=$(field "complete deletion" 2)
deletion_kib=$(field "complete deletion" 3)

# The same on tmpfs, where the spooler's durable commits (fdatasync) cost
# nothing: what is left is the program's own work.
shm_row=""
if [ "$(df --output=fstype /dev/shm 2>/dev/null | tail -1)" = tmpfs ] && [ -w /dev/shm ]; then
    b=$(TMPDIR=/dev/shm build/native/process_bench build/native/SetupOrdane medium "$runs")
    say "on tmpfs: $b"
    shm_row=$'\n'"| (b) the same, files on tmpfs (/dev/shm) | setup $(field "complete setup" 1) ms, deletion $(field "complete deletion" 1) ms | (no disk syncs) | - |"
fi

say "-- (c) complete setup in tmux, terminal front-end, real clock, $tmux_runs runs"
if c=$(bash bench/tmux_setup.sh "$root/build/native/SetupOrdane" "$root/medium" "$root" "$tmux_runs"); then
    say "$c"
    overhead=$(sed -n 's/^median overhead \([-0-9.]*\) %.*/\1/p' <<<"$c")
    c_cell="$overhead % of the waits it asks for"
    c_verdict=$(pass "$overhead" 5)
else
    say "$c"
    c_cell="not measured (${c##*$'\n'})"
    c_verdict="-"
fi

say "-- (e) complete setup with a 64 MiB driver file, $big_runs runs, against dd bs=1024 plus dd bs=1M"
# The copy dialog moves the file in blocks of 1024 bytes; the spooler then
# copies it into its version folder, for which a copy in large blocks is the mark.
big=$(mktemp -d "${TMPDIR:-/tmp}/big-medium-XXXXXX")
cp -r medium "$big/medium"
head -c $((64 << 20)) /dev/urandom >"$big/medium/Nt4.0/PavoUI.dll"
e=$(build/native/process_bench build/native/SetupOrdane "$big/medium" "$big_runs")
say "$e"
big_setup_ms=$(field "complete setup" 1 "$e")
# Milliseconds one dd takes, after an untimed sync, onto a fresh target.
dd_ms() {
    rm -f "$big/dd.bin"
    sync
    local start=$(date +%s%N)
    dd if="$big/medium/Nt4.0/PavoUI.dll" of="$big/dd.bin" bs="$1" status=none
    echo $((($(date +%s%N) - start) / 1000000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
dd_small_ms=$(for ((i = 0; i < big_runs; i++)); do dd_ms 1024; done | median)
dd_large_ms=$(for ((i = 0; i < big_runs; i++)); do dd_ms 1M; done | median)
big_ratio=$(awk -v s="$big_setup_ms" -v a="$dd_small_ms" -v b="$dd_large_ms" 'BEGIN { printf "%.2f", s / (a + b) }')
rm -rf "$big"

say "-- (d) SetupOrdane.exe"
exe=build/mingw/SetupOrdane.exe
size=$(stat -c %s "$exe")
subsystem=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^Subsystem[[:space:]]*[0-9a-f]*[[:space:]]*(\(.*\))/\1/p')

mib() { awk -v k="$1" 'BEGIN { printf "%.1f MiB", k / 1024 }'; }
cat <<EOF
SetupOrdane performance, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) CPUs, load average $(cut -d' ' -f1-3 /proc/loadavg), files in ${TMPDIR:-/tmp} ($fs)

| figure | measured | goal | verdict |
|---|---|---|---|
| (a) copy dialog, 64 MiB, median of $copy_rounds | $dialog_s s = ${ratio}x dd bs=1024 ($dd_s s); cp $cp_s s | within 1.25x dd | $(pass "$ratio" 1.25) |
| (b) complete setup, virtual clock, median of $runs | $setup_ms ms (CPU $setup_cpu ms), peak RSS $(mib "$setup_kib") | < 50 ms, < 16 MiB | $(pass "$setup_ms" 50)/$(pass "$setup_kib" 16384) |
| (b) complete deletion, virtual clock, median of $runs | $deletion_ms ms (CPU $deletion_cpu ms), peak RSS $(mib "$deletion_kib") | < 50 ms, < 16 MiB | $(pass "$deletion_ms" 50)/$(pass "$deletion_kib" 16384) |$shm_row
| (c) complete setup in tmux, real clock, median of $tmux_runs | overhead $c_cell | < 5 % | $c_verdict |
| (d) $exe | $size bytes, $subsystem subsystem | none set | - |
| (e) complete setup, one driver file of 64 MiB, median of $big_runs | $big_setup_ms ms = ${big_ratio}x dd bs=1024 ($dd_small_ms ms) + dd bs=1M ($dd_large_ms ms) | within 1.3x | $(pass "$big_ratio" 1.3) |
EOF
cat <<NOTE

(a) the same random file, warm in the page cache, copied to a fresh target on the same file system each time
    (not synced; a sync between copies, untimed); rounds in turn dd, cp, dialog; medians.
(b) each run its own process on a fresh machine, answers script, WIN32HOST_CLOCK=virtual, WIN32HOST_WINVER=nt40;
    wall time from fork to wait4, CPU and ru_maxrss from wait4; one warm-up pair not counted; medians, peak the largest.
(c) bash's time around the program in a tmux pane, WIN32HOST_CLOCK=real; less the waits it asks for (the dispatch
    timer, the copy dialog's timer per file, the pause before the completion dialog, from the sources) and less the
    time from the screen capture that showed each question to the keys (an upper bound on the overhead).
(d) stat of the MinSizeRel, static, stripped build; subsystem from the PE header.
(e) as (b), on a copy of the medium whose PavoUI.dll is 64 MiB of random bytes (setup only); against the two copies
    the setup must make: the copy dialog's (dd bs=1024) and the spooler's into its version folder (dd bs=1M).
NOTE
