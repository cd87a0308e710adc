# tmux_screen.sh - what the tmux-driven tests share: reading the screen of
# pane "t" of the server in T, sending it keys, and polling the screen with a
# timeout rather than fixed sleeps. Sourced; the caller sets T and work (and
# case_name when it runs several cases).

screen() { "${T[@]}" capture-pane -p -t t; }
screen_e() { "${T[@]}" capture-pane -p -e -t t; }
pane() { "${T[@]}" display -p -t t "$1"; }
keys() { "${T[@]}" send-keys -t t "$@"; }

fail() {
    echo "FAIL${case_name:+ [$case_name]}: $*"
    echo "--- screen:"
    screen
    echo "--- transcript:"
    cat "$work/t.jsonl" 2>/dev/null
    exit 1
}

# Polls until the screen matches (grep OPTION PATTERN) or, with "!", stops
# matching; at most 10 s. Returns 1 without failing when time runs out.
poll_screen() {
    local want=0 i
    if [ "$1" = "!" ]; then want=1; shift; fi
    for ((i = 0; i < 100; i++)); do
        screen | grep -q "$1" -- "$2"
        [ $? -eq $want ] && return 0
        sleep 0.1
    done
    return 1
}

# Polls the screen until it shows text (fixed string).
wait_for() { poll_screen -F "$1" || fail "the screen never showed \"$1\""; }
# Polls until the screen no longer shows text.
wait_gone() { poll_screen ! -F "$1" || fail "the screen still shows \"$1\""; }
# The same as wait_for for an extended regular expression.
wait_re() { poll_screen -E "$1" || fail "the screen never showed /$1/"; }

shows() { screen | grep -qF -- "$1"; }
expect_shown() { shows "$1" || fail "expected \"$1\" on the screen"; }
expect_hidden() { ! shows "$1" || fail "did not expect \"$1\" on the screen"; }
