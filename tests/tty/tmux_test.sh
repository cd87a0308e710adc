#!/usr/bin/env bash
# tmux_test.sh - the terminal front-end driven in tmux as a person would: an
# interactive shell in a detached session of a given size, keys and mouse
# clicks sent with send-keys, the screen read with capture-pane (-e where
# attributes matter), polled with a timeout rather than fixed sleeps.
# Usage: tmux_test.sh CASE SETUPORDANE TTY_PROBE MEDIUM; exit 77 skips.
set -u
case_name=$1 program=$2 probe=$3 medium=$4

if ! command -v tmux >/dev/null 2>&1; then
    echo "SKIP: tmux is not installed, so the terminal front-end cannot be driven (apt-get install tmux)"
    exit 77
fi

work=$(mktemp -d)
T=(tmux -L "tty-test-$$" -f /dev/null)
cleanup() {
    "${T[@]}" kill-server >/dev/null 2>&1
    sleep 0.2
    rm -rf "$work" 2>/dev/null || { sleep 1; rm -rf "$work"; }
}
trap cleanup EXIT

. "$(dirname "$0")/../support/tmux_screen.sh"

# A session of cols x rows with an interactive shell in the medium folder,
# the terminal settings saved for the check after the run.
start() {
    "${T[@]}" new-session -d -s t -x "$1" -y "$2" -c "$medium" \
        env -i HOME="$work" HISTFILE=/dev/null PATH="$PATH" TERM=tmux-256color PS1='$ ' bash --norc --noprofile -i
    wait_for '$'
    type_line 's0=$(stty -g); clear'
    sleep 0.2
}

type_line() {
    keys -l -- "$1"
    keys Enter
}

# Runs SetupOrdane (or another program) with the environment given, a fresh
# win32host prefix and a transcript to read back.
run() {
    local env_words=$1
    shift
    type_line "env $env_words WIN32HOST_PREFIX=$work/prefix WIN32HOST_TRANSCRIPT=$work/t.jsonl $*"
}

# The pane's shell has the terminal again: its foreground process group is
# the shell's own (a script run by bash would pass for the shell by name).
wait_shell() {
    local i shell
    shell=$(pane '#{pane_pid}')
    for ((i = 0; i < 100; i++)); do
        [ "$(ps -o tpgid= -p "$shell" | tr -d ' ')" = "$shell" ] && return 0
        sleep 0.1
    done
    fail "the program did not end"
}

# Ends with the exit status and the terminal as it was found: main screen,
# cursor shown, keypad and mouse modes off, the same stty settings. The
# markers are quoted apart in the typed line, so that its echo never matches.
expect_end() {
    wait_shell
    type_line 'echo "<exit" "$?>"; [ "$(stty -g)" = "$s0" ] && echo "<stty" "same>" || echo "<stty" "changed>"'
    wait_re "<exit [0-9]+>"
    wait_re "<stty (same|changed)>"
    shows "<exit $1>" || fail "expected exit status $1"
    expect_shown "<stty same>"
    local modes
    modes=$(pane '#{alternate_on} #{cursor_flag} #{keypad_cursor_flag} #{keypad_flag} #{mouse_any_flag}')
    [ "$modes" = "0 1 0 0 0" ] || fail "terminal modes (alternate cursor keypad-cursor keypad mouse) are $modes"
}

# Blank rows of the box right above the line showing first, and right below
# the line showing last.
blank_rows_around() {
    screen | awk -v first="$1" -v last="$2" '
        { line[NR] = $0 }
        index($0, first) && !top { top = NR }
        index($0, last) { bottom = NR }
        END {
            blank = "^ *\342\224\202 *\342\224\202 *$"
            for (i = top - 1; i > 0 && line[i] ~ blank; i--) above++
            for (i = bottom + 1; line[i] ~ blank; i++) below++
            print above + 0, below + 0
        }'
}

# The text is drawn underlined: the attributes set right before it include 4.
underlined() { screen_e | grep -qP "\e\[(\d+;)*4(;\d+)*m(\e\[[\d;]*m)*\Q$1\E"; }

answer() { grep -q "\"answer\":\"$1\"" "$work/t.jsonl" 2>/dev/null || fail "the transcript has no answer $1"; }
ended_with() { grep -q "\"event\":\"enddialog\".*\"result\":$1[,}]" "$work/t.jsonl" 2>/dev/null || fail "no dialog ended with $1"; }

# Zero-based column and row of the first occurrence of text on the screen.
locate() {
    screen | awk -v t="$1" '{ i = index($0, t); if (i) { print i - 1, NR - 1; exit } }'
}

# X10 mouse report, as a terminal sends for the button changes at a cell.
click_at() {
    local x=$1 y=$2 times=${3:-1} seq="" i
    local cx cy
    cx=$(printf "\\$(printf '%03o' $((33 + x)))")
    cy=$(printf "\\$(printf '%03o' $((33 + y)))")
    for ((i = 0; i < times; i++)); do seq+=$'\e[M '"$cx$cy"$'\e[M#'"$cx$cy"; done
    keys -l -- "$seq"
}

click_on() {
    local pos
    pos=$(locate "$1")
    [ -n "$pos" ] || fail "nothing to click: \"$1\" is not on the screen"
    set -- $pos "${2:-1}"
    click_at $(($1 + 2)) "$2" "$3"
}

# A tree laid out as the sources are, for scripts/run.sh: run.sh and the
# medium linked from the sources, a deps.sh that installs nothing, and a
# cmake first in PATH that configures nothing and builds a target by linking
# it from the build under test.
fake_source_tree() {
    local source build=${program%/*}
    source=$(cd "$(dirname "$0")/../.." && pwd)
    mkdir -p "$work/top/scripts" "$work/top/build/native" "$work/bin"
    ln -s "$source/scripts/run.sh" "$work/top/scripts/"
    printf 'exit 0\n' >"$work/top/scripts/deps.sh"
    ln -s "$medium" "$work/top/medium"
    cat >"$work/bin/cmake" <<EOF
#!/usr/bin/env bash
[ "\$1" = --build ] || exit 0
for target in "\${@:5}"; do
    [ "\$target" = win32host_tool ] && target=win32host
    ln -sf "$build/\$target" "$work/top/build/native/\$target"
done
EOF
    chmod +x "$work/bin/cmake"
}

confirm_en="LANG=C.UTF-8 $program /OS=WINNT40"
confirm_fr="LANG=fr_FR.UTF-8 $program /OS=WINNT40"

case $case_name in
# ---- texts whole, buttons alike, hints that work -------------------------------
ConfirmationWholeAt80x24)
    start 80 24
    run "" "$confirm_en"
    wait_for "on platform : Windows NT 4.0"
    expect_shown "Please confirm complete setup of : Ordane Driver"
    expect_shown "< Yes >"
    expect_shown "[ No ]"
    [ "$(blank_rows_around "Please confirm" "< Yes >")" = "1 1" ] ||
        fail "uneven space above and below the contents: $(blank_rows_around "Please confirm" "< Yes >")"
    expect_hidden "F10"
    keys F10
    sleep 0.3
    expect_hidden "Close"
    keys n
    expect_end 1
    answer no
    ;;
MenuOpenedBeforeABoxClosesUnderIt)
    # F10 pressed while the program starts opens the window menu before the
    # confirmation appears; the box disables the main window, so it goes.
    start 80 24
    type_line "sleep 0.3; env LANG=C.UTF-8 WIN32HOST_PREFIX=$work/prefix WIN32HOST_TRANSCRIPT=$work/t.jsonl $program /OS=WINNT40"
    keys F10
    wait_for "on platform : Windows NT 4.0"
    sleep 0.5
    expect_hidden "Restore"
    expect_hidden "Esc close"
    keys n
    expect_end 1
    answer no
    ;;
FrenchConfirmationOuiWithO)
    start 80 24
    run "" "$confirm_fr"
    wait_for "sur plateforme : Windows NT 4.0"
    expect_shown "Confirmez l'installation complète de : Driver Ordane"
    expect_shown "< Oui >"
    expect_shown "[ Non ]"
    keys o
    # Yes leads on to the port selection, which Escape cancels.
    wait_for "Sélection du Port"
    keys Escape
    expect_end 1
    answer yes
    ;;
FrenchReplaceDialogWhole)
    start 80 24
    run "LANG=fr_FR.UTF-8" "$probe 600"
    wait_for "Confirmez l'écrasement du fichier..."
    for t in "Le fichier" "est déjà présent sur le répertoire de destination." "Taille" "octets" \
        "Dernière modification le" "Souhaitez-vous le remplacer par le fichier" "support d'installation ?" \
        "[ Oui ]" "[ Non ]"; do
        expect_shown "$t"
    done
    keys Escape Tab Enter
    expect_end 0
    ;;
FrenchCopyDialogWhole)
    start 80 24
    run "LANG=fr_FR.UTF-8" "$probe 602"
    wait_for "Copie de :"
    expect_shown "Depuis :"
    expect_shown "Vers :"
    expect_shown "C:\\WINNT\\system32\\spool\\drivers\\w32x86"
    keys Escape
    expect_end 0
    ;;
CaptionWidensTheBox)
    start 80 24
    run "LANG=fr_FR.UTF-8 WIN32HOST_FAIL=LoadStringA#3" "$program /OS=WIN32S"
    wait_for "< Oui >"
    keys o
    wait_for "Erreur d'installation du Driver Ordane"
    keys o
    expect_end 1
    answer ok
    ;;
RunCommandBuildsTheToolAndNamesThePrefix)
    # After the run command, however the program ended, standard error has
    # said where the emulated machine lies, and the README's
    # `build/native/win32host spooler list` works.
    fake_source_tree
    start 120 30
    where="run.sh: the emulated machine is in $work/prefix (drive C: in drive_c, spooler.db, restart.log)"
    for ending in "y Escape:1" "C-c:130"; do
        run "PATH=$work/bin:$PATH LANG=C.UTF-8" "bash $work/top/scripts/run.sh /OS=WINNT40"
        wait_for "on platform : Windows NT 4.0"
        for key in ${ending%%:*}; do
            keys "$key"
            sleep 0.5
        done
        expect_end "${ending##*:}"
        expect_shown "$where"
        type_line clear
    done
    type_line "cd $work/top && WIN32HOST_PREFIX=$work/prefix build/native/win32host spooler list"
    wait_for '"forms": []'
    ;;
# ---- a terminal too small ---------------------------------------------------------
TooSmallSaysSoThenRedraws)
    start 40 10
    run "" "$confirm_en"
    wait_for "too small"
    expect_shown "needed"
    "${T[@]}" resize-window -t t -x 80 -y 24
    wait_for "on platform : Windows NT 4.0"
    expect_hidden "too small"
    keys n
    expect_end 1
    ;;
TooSmallForTheSyntaxInFrench)
    start 60 15
    run "LANG=fr_FR.UTF-8" "$program /NOPE"
    wait_for "trop petit (60x15)"
    "${T[@]}" resize-window -t t -x 80 -y 24
    wait_for "où version peut prendre les valeurs :"
    expect_shown "ou SetupOrdane [/OS=version] [/ONLYDELETEPRINTDEVICE]"
    keys Enter
    expect_end 1
    ;;
# ---- every terminal -------------------------------------------------------------------
DumbTerminalRefusedNamingTerm)
    start 80 24
    run "TERM=dumb" "$confirm_en"
    expect_end 3
    expect_shown "TERM=dumb cannot move the cursor"
    ;;
MissingOrUnknownTermNamed)
    start 80 24
    run "-u TERM" "$confirm_en"
    expect_end 3
    expect_shown "TERM is not set"
    type_line clear
    run "TERM=no-such-terminal" "$confirm_en"
    expect_end 3
    expect_shown "TERM=no-such-terminal names a terminal this system does not know"
    ;;
MonochromeShowsFocusAndDefault)
    # vt100 has no colours: reverse video marks the focus, bold and <> the
    # default button, and nothing else in the box is reversed.
    start 80 24
    run "TERM=vt100" "$confirm_en"
    wait_for "< Yes >"
    row=$(screen_e | grep "Please confirm")
    [[ $row == *$'\e[7m'* ]] && fail "the box is in reverse video"
    buttons=$(screen_e | grep "es >")
    [[ $buttons == *$'\e[1;7m< '* ]] || fail "the focused default button is not bold in reverse video"
    [[ $buttons == *$'7m[ '* ]] && fail "an unfocused button stands out"
    keys Tab
    wait_for "< No >"
    buttons=$(screen_e | grep "o >")
    [[ $buttons == *$'\e[1;7m< '* ]] || fail "the focused button is not in reverse video"
    [[ $buttons == *$'7m[ '* ]] && fail "the button left behind still stands out"
    keys Enter
    expect_end 1
    answer no
    ;;
LocaleNotInstalledStillUtf8)
    start 80 24
    for lang in fr_FR fr_FR.ISO-8859-1; do
        run "LANG=$lang" "$program /OS=WINNT40"
        wait_for "Confirmez l'installation complète de : Driver Ordane"
        expect_shown "└──"
        keys n
        expect_end 1
        type_line clear
    done
    ;;
RedirectedOutputDrawsOnTheTerminal)
    start 80 24
    run "LANG=C.UTF-8" "$program /OS=WINNT40 > $work/out.txt"
    wait_for "on platform : Windows NT 4.0"
    keys n
    expect_end 1
    run "LANG=C.UTF-8" "$program /OS=WINNT40 | cat"
    wait_for "on platform : Windows NT 4.0"
    keys n
    expect_end 0
    ;;
ScriptFromTheKeyboardIsAnnounced)
    start 80 24
    run "LANG=C.UTF-8 WIN32HOST_UI=script" "$program /OS=WINNT40 > $work/out.txt"
    wait_for "reading the answers script from the terminal; end it with Ctrl-D"
    type_line "no"
    sleep 0.3
    keys C-d
    expect_end 1
    answer no
    ;;
# ---- suspend, signals, exit codes -------------------------------------------------
SuspendAndResumeKeepKeypad)
    # Stopped, the program leaves the alternate screen; fg takes back keypad
    # mode and the size, which a resize made while it was stopped changed (told
    # to the shell, not to the program), shrunk or grown.
    start 80 24
    run "" "$confirm_en"
    wait_for "on platform : Windows NT 4.0"
    keys C-z
    wait_for "Stopped"
    [ "$(pane '#{alternate_on}')" = 0 ] || fail "the alternate screen stayed up while stopped"
    wait_shell
    "${T[@]}" resize-window -t t -x 40 -y 10
    type_line fg
    wait_for "too small"
    keys C-z
    wait_shell
    "${T[@]}" resize-window -t t -x 80 -y 24
    type_line fg
    wait_for "on platform : Windows NT 4.0"
    wait_gone "too small"
    [ "$(pane '#{keypad_cursor_flag}')" = 1 ] || fail "keypad mode is off after fg"
    keys Right
    sleep 0.3
    keys Enter
    expect_end 1
    answer no
    ;;
CtrlCEndsAsKilledBySigint)
    start 80 24
    run "" "$confirm_en"
    wait_for "on platform : Windows NT 4.0"
    keys C-c
    expect_end 130
    ;;
CtrlBackslashRestoresTheTerminal)
    start 80 24
    type_line "ulimit -c 0"
    run "" "$confirm_en"
    wait_for "on platform : Windows NT 4.0"
    keys 'C-\'
    expect_end 131
    ;;
SigtermAndSighupEndAsKilled)
    start 80 24
    for sig in TERM:143 HUP:129; do
        run "" "$confirm_en"
        wait_for "on platform : Windows NT 4.0"
        pid=$(pgrep -P "$(pane '#{pane_pid}')" | head -1)
        [ -n "$pid" ] || fail "no program to signal"
        kill -"${sig%%:*}" "$pid"
        expect_end "${sig##*:}"
        type_line clear
    done
    ;;
# ---- keys and mouse ---------------------------------------------------------------
AltF4ClosesOnlyWhatWindowsCloses)
    start 80 24
    run "" "$confirm_en"
    wait_for "on platform : Windows NT 4.0"
    keys M-F4
    sleep 0.5
    expect_shown "on platform : Windows NT 4.0"
    keys n
    expect_end 1
    type_line clear
    run "LANG=C.UTF-8" "$program /NOPE"
    wait_for "where version can take following values :"
    keys M-F4
    expect_end 1
    answer ok
    ;;
LettersAnswerMessageBoxes)
    start 80 24
    run "" "$confirm_en"
    wait_for "< Yes >"
    keys x
    sleep 0.3
    expect_shown "< Yes >"
    keys Y
    wait_for "Sélection du Port"
    keys Escape
    expect_end 1
    answer yes
    type_line clear
    run "LANG=fr_FR.UTF-8" "$program /NOPE"
    wait_for "où version peut prendre les valeurs :"
    keys O
    expect_end 1
    answer ok
    ;;
ListShowsItsFocusBeforeASelection)
    # Nothing is selected at first: the status line says how to select, the
    # focus rectangle (underlined) sits on the first entry once the list has
    # the focus, Enter leaves the box up, and Down selects the second entry.
    start 80 24
    run "" "$confirm_en"
    wait_for "< Yes >"
    keys y
    wait_for "Sélection du Port"
    expect_shown "No entry selected: Tab to the list"
    underlined "COM1:" && fail "the focus rectangle shows in a list without the focus"
    keys BTab
    wait_for "No entry selected: arrows select one"
    underlined "COM1:" || fail "no focus rectangle on the first entry"
    keys Enter
    sleep 0.3
    expect_shown "No entry selected: arrows select one"
    keys Down
    wait_gone "No entry selected"
    underlined "COM2:" || fail "the focus rectangle did not move with the selection"
    underlined "COM1:" && fail "the focus rectangle stayed on the first entry"
    keys Escape
    expect_end 1
    ;;
MouseClicksButtonsOnly)
    # A click presses a button only on the cells its face is drawn on: not on
    # a text, nor on the blank cells of a button's rectangle beside and below
    # its face.
    start 80 24
    run "" "$probe 608"
    wait_for "< OK >"
    click_on "Port disponibles"
    for face in "< OK >" "[ Cancel ]"; do
        read -r x y <<<"$(locate "$face")"
        for beside in "-1 0" "${#face} 0" "1 1"; do
            read -r dx dy <<<"$beside"
            click_at $((x + dx)) $((y + dy))
        done
    done
    sleep 0.5
    expect_shown "< OK >"
    click_on "[ Cancel ]"
    expect_end 0
    ended_with 2
    ;;
KeysOutsideTheTerminfoEntry)
    # tmux sends Home and End as \e[1~ and \e[4~, which xterm-256color's
    # entry lacks, and Shift+Tab as \e[Z, which linux's and vt100's lack.
    # Shift+Tab from OK reaches the list; Enter then ends the probe with
    # 2000 + the selection (1999 with none).
    start 80 24
    for term in xterm-256color linux vt100; do
        for key in End:2005 Home:2000; do
            run "TERM=$term" "$probe 608"
            wait_for "COM1:"
            keys BTab "${key%%:*}" Enter
            expect_end 0
            ended_with "${key##*:}"
            type_line clear
        done
    done
    ;;
ListTypeAheadAndDoubleClick)
    start 80 24
    run "" "$probe 608"
    wait_for "COM1:"
    keys Tab Tab l
    sleep 0.3
    keys Enter
    expect_end 0
    ended_with 2003
    type_line clear
    run "" "$probe 608"
    wait_for "LPT2:"
    click_on "LPT2:" 2
    expect_end 0
    ended_with 1004
    ;;
*)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
echo "PASS [$case_name]"
