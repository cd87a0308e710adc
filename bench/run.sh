#!/usr/bin/env bash
# run.sh - the performance figures of SetupOrdane in one run on this machine,
# each beside its goal: (a) the copy dialog against dd bs=1024 and cp, (b) a
# complete setup and deletion on the virtual clock, (c) a complete setup in
# tmux on the real clock, (d) the size of SetupOrdane.exe. A benchmark, not a
# test: it builds what it needs (presets native and mingw) and prints a table.
# Usage: bash bench/run.sh   (COPY_ROUNDS, RUNS, TMUX_RUNS, BENCH_JOBS override)
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
copy_rounds=${COPY_ROUNDS:-5} runs=${RUNS:-11} tmux_runs=${TMUX_RUNS:-5} jobs=${BENCH_JOBS:-2}

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
field() { sed -n "s/^$1: median \([0-9.]*\) ms.*CPU \([0-9.]*\)).*peak RSS \([0-9]*\) KiB/\\$2/p" <<<"$b"; }
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
NOTE
