#!/usr/bin/env bash
# tmux_setup.sh - the overhead of a complete setup through the terminal
# front-end on the real clock: runs it in tmux RUNS times (keys as a person
# types them), and from each run's wall time takes away the waits the program
# asks for (its timers and Sleep) and the time it waited for our keys.
# Usage: tmux_setup.sh SETUPORDANE MEDIUM-FOLDER SOURCE-ROOT [RUNS]   (default 5)
# Prints one line per run and a last line "median overhead P % ...".
set -u
program=$1 medium=$2 root=$3 runs=${4:-5}

command -v tmux >/dev/null 2>&1 || { echo "tmux is not installed (apt-get install tmux)"; exit 77; }

# The waits, read from the sources so that they follow any change there: the
# dispatch timer of the main window, the copy dialog's timer (once per file)
# and the pause before the completion dialog.
constant() { sed -n "s/^#define $1 \([0-9]*\).*/\1/p" "$root/$2"; }
dispatch_ms=$(constant DISPATCH_DELAY_MS app/setup_ordane.h)
copy_ms=$(constant COPY_DELAY_MS deploy/copy_dialog.h)
pause_ms=$(constant COMPLETION_PAUSE_MS operations/setup.cpp)
[ -n "$dispatch_ms" ] && [ -n "$copy_ms" ] && [ -n "$pause_ms" ] || { echo "the wait constants were not found"; exit 2; }

work=$(mktemp -d)
cp -r "$medium" "$work/medium"
T=(tmux -L "bench-$$" -f /dev/null)
cleanup() {
    "${T[@]}" kill-server >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

screen() { "${T[@]}" capture-pane -p -t t; }
keys() { "${T[@]}" send-keys -t t "$@"; }
fail() {
    echo "tmux_setup: $*"
    screen
    exit 1
}

# Polls every 10 ms until the screen shows TEXT; sets seen to the moment the
# capture that showed it began. The screen was drawn before that moment, so
# taking it as the start of the wait for a key can only make the overhead larger.
seen=0
wait_for() {
    local i start
    for ((i = 0; i < 2000; i++)); do
        start=$EPOCHREALTIME
        if screen | grep -qF -- "$1"; then
            seen=$start
            return 0
        fi
        sleep 0.01
    done
    fail "the screen never showed \"$1\""
}
# Sends keys once TEXT shows, and adds the time from the capture to the
# sending to the time the program waited for the user.
waited_us=0
answer() {
    wait_for "$1"
    shift
    local sent=$EPOCHREALTIME
    keys "$@"
    waited_us=$((waited_us + ${sent/./} - ${seen/./}))
}

"${T[@]}" new-session -d -s t -x 100 -y 30 -c "$work/medium" \
    env -i HOME="$work" HISTFILE=/dev/null PATH="$PATH" TERM=tmux-256color LANG=C.UTF-8 PS1='$ ' bash --norc --noprofile -i
wait_for '$'
keys -l -- "TIMEFORMAT='%R %U %S'; exec 3>&2"
keys Enter

overheads=()
for ((run = 1; run <= runs; run++)); do
    rm -rf "$work/prefix" "$work/time.txt"
    waited_us=0
    keys -l -- "clear; { time env WIN32HOST_PREFIX=$work/prefix WIN32HOST_WINVER=nt40 WIN32HOST_CLOCK=real WIN32HOST_TRANSCRIPT=$work/t.jsonl $program 2>&3; } 2>$work/time.txt; echo \"[exit \$?]\""
    keys Enter
    answer "Please confirm complete setup of : Ordane Driver" Enter
    # Tab to the list, down to LPT1: (the sixth entry), Enter for OK.
    answer "LPT1:  (Local Port)" Tab Tab Down Down Down Down Down Down Enter
    answer "Setup is complete !" Enter
    wait_for "[exit "
    screen | grep -qF "[exit 1]" || fail "the setup did not complete"
    for ((i = 0; i < 100; i++)); do [ -s "$work/time.txt" ] && break; sleep 0.01; done
    read -r real user sys <"$work/time.txt"
    copies=$(grep -c '"event":"enddialog","template":602' "$work/t.jsonl")
    asked_ms=$((dispatch_ms + copies * copy_ms + pause_ms))
    # Overhead: what is left of the wall time once the asked waits and the user's are taken away.
    IFS=$'\t' read -r overhead line < <(awk -v real="$real" -v user="$user" -v sys="$sys" -v asked="$asked_ms" \
        -v waited="$waited_us" -v copies="$copies" 'BEGIN {
            over = real * 1000 - asked - waited / 1000
            printf "%.2f\trun: wall %.0f ms, asked waits %d ms (%d copies), waiting for keys %.0f ms, overhead %.0f ms = %.2f %% of the asked waits, CPU %.0f ms\n",
                100 * over / asked, real * 1000, asked, copies, waited / 1000, over, 100 * over / asked, (user + sys) * 1000 }')
    echo "$line"
    overheads+=("$overhead")
done
printf '%s\n' "${overheads[@]}" | sort -g | awk '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "median overhead %.2f %% of %d runs (min %.2f, max %.2f)\n", m, NR, v[1], v[NR] }'
