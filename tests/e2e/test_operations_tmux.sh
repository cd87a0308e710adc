#!/usr/bin/env bash
# test_operations_tmux.sh - a complete setup and then a complete deletion
# through the terminal front-end, driven in tmux as a person would (keys with
# send-keys, the screen read with capture-pane), checking what the screen
# shows at each step: the port list, the copy dialog's progress, the
# completion dialog and the restart dialog. Exit 77 skips (no tmux).
# Usage: test_operations_tmux.sh SETUPORDANE MEDIUM
set -u
program=$1 medium=$2

if ! command -v tmux >/dev/null 2>&1; then
    echo "SKIP: tmux is not installed (apt-get install tmux)"
    exit 77
fi

work=$(mktemp -d)
# A medium of its own: parallel runs on one medium meet each other's file locks.
cp -r "$medium" "$work/medium" && medium=$work/medium
T=(tmux -L "ops-test-$$" -f /dev/null)
cleanup() {
    "${T[@]}" kill-server >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/../support/tmux_screen.sh"
# Waits for the program to end and checks its exit status.
expect_exit() {
    wait_for "[exit "
    screen | grep -qF "[exit $1]" || fail "expected exit status $1"
}

"${T[@]}" new-session -d -s t -x 100 -y 30 -c "$medium" \
    env -i HOME="$work" HISTFILE=/dev/null PATH="$PATH" TERM=tmux-256color LANG=C.UTF-8 PS1='$ ' bash --norc --noprofile -i
wait_for '$'
run() {
    keys -l -- "clear; env WIN32HOST_PREFIX=$work/prefix WIN32HOST_WINVER=nt40 WIN32HOST_TRANSCRIPT=$work/t.jsonl $program $*; echo \"[exit \$?]\""
    keys Enter
}

# ---- complete setup -------------------------------------------------------------
run
wait_for "Please confirm complete setup of : Ordane Driver"
expect_shown "on platform : Windows NT 4.0"
keys Enter
wait_for "Sélection du Port"
expect_shown "Port disponibles"
for port in "COM1:  (Local Port)" "FILE:  (Local Port)" "LPT1:  (Local Port)"; do expect_shown "$port"; done
# The list sorts its entries: COM1: stands first, LPT1: after FILE:.
screen | awk '/COM1:/ { c = NR } /LPT1:/ { l = NR } END { exit !(c && l > c) }' || fail "the port list is not sorted"
# Tab to the list, down to LPT1: (the sixth entry), Enter for OK.
keys Tab Tab Down Down Down Down Down Down Enter
# The copy dialog shows each file while its progress bar fills; it never waits.
wait_for "Copying :"
expect_shown "C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86"
wait_for "Setup is complete !"
expect_shown "< Quit"
grep -q '"event":"enddialog","template":602,"result":1,"progress":\[[0-9]*,' "$work/t.jsonl" ||
    fail "no copy dialog ended with its progress bar"
# Escape does not close the completion dialog; Enter does.
keys Escape
sleep 0.3
expect_shown "Setup is complete !"
keys Enter
expect_exit 1
grep -q '"selection":-1' "$work/t.jsonl" || fail "the port list opened with a selection"
[ -f "$work/prefix/drive_c/WINNT/system32/spool/DRIVERS/W32X86/PavoGI.dll" ] || fail "PavoGI.dll was not copied"
cmp -s "$medium/Nt4.0/PavoGI.dll" "$work/prefix/drive_c/WINNT/system32/spool/DRIVERS/W32X86/PavoGI.dll" ||
    fail "PavoGI.dll differs from the medium"

# ---- complete deletion ----------------------------------------------------------
run /UNINSTALL
wait_for "Please confirm complete deletion of : Ordane Driver"
keys Enter
wait_for "Your computer must be restarted."
expect_shown "(In this case, remove any floppy disk)"
expect_shown "< Yes"
expect_shown "No"
keys Escape
sleep 0.3
expect_shown "Your computer must be restarted."
keys Enter
expect_exit 1
grep -q '"event":"restart","method":"InitiateSystemShutdownA"' "$work/t.jsonl" || fail "no restart in the transcript"
grep -q ' InitiateSystemShutdownA$' "$work/prefix/restart.log" || fail "no restart in restart.log"
[ ! -e "$work/prefix/drive_c/WINNT/system32/spool/DRIVERS/W32X86/Ordanea.hlp" ] || fail "Ordanea.hlp was not removed"
echo "PASS"
