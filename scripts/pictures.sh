#!/usr/bin/env bash
# Regenerates README's pictures (docs/*.png): the port selection and the copy
# dialog as Windows draws them (the real SetupOrdane.exe under Wine's X11
# driver on Xvfb, captured with xwd) and the same dialogs in the terminal (the
# native build under tmux, captured with capture-pane). Not part of the tests.
# Usage: scripts/pictures.sh
set -euo pipefail
export LC_ALL=C.UTF-8

root=$(cd "$(dirname "$0")/.." && pwd)
docs=$root/docs
medium=$root/medium
mkdir -p "$docs"

die() {
  echo "pictures: $*" >&2
  exit 1
}

# Debian's packages for the pictures, installed when missing (as root or with sudo).
packages=(xvfb x11-apps x11-utils imagemagick tmux fonts-wine fonts-dejavu-core python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "pictures: installing ${missing[*]}" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
bash "$root/scripts/deps.sh" test

echo "pictures: building the Windows and the native program" >&2
(cd "$root" && cmake --preset mingw >/dev/null && cmake --build --preset mingw --target SetupOrdane wine_driver >/dev/null)
(cd "$root" && cmake --preset native >/dev/null && cmake --build --preset native --target SetupOrdane >/dev/null)
exe=$root/build/mingw/SetupOrdane.exe
driver=$root/build/mingw/wine_driver.exe
native=$root/build/native/SetupOrdane

tmp=$(mktemp -d)
xvfb_pid="" program_pid="" driver_pid=""
PATH=$PATH:/usr/lib/wine
cleanup() {
  for pid in $driver_pid $program_pid; do kill "$pid" 2>/dev/null || true; done
  [ -z "${WINEPREFIX:-}" ] || timeout 20 wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  tmux -L pictures kill-server 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

# --- Windows: Wine's X11 driver on a virtual screen ---------------------------

# Xvfb picks a free display and writes its number to the pipe.
exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 10 display <&3 || die "Xvfb did not start"
exec 3<&-
export DISPLAY=:$display

export WINEPREFIX=$tmp/prefix WINEARCH=win32 WINEDEBUG=-all HOME=$tmp WINEDLLOVERRIDES="mscoree,mshtml="
echo "pictures: a Wine prefix on display $DISPLAY" >&2
timeout 120 wine wineboot -i >/dev/null 2>&1 || die "wineboot failed"
# No window manager: Wine draws the frames and captions itself, as Windows does.
for value in Decorated Managed; do
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v "$value" /d N /f >/dev/null 2>&1
done
wine reg add 'HKCU\Software\Wine' /v Version /d win2k /f >/dev/null 2>&1
# Wine's own fonts (Debian's fonts-wine) into the Windows fonts folder, where
# Wine finds them: Marlett draws the caption buttons' glyphs, Tahoma the texts.
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
timeout 60 wineserver -w

# The X window that Wine made for a Windows window of this title.
x_window() {
  xwininfo -root -children | sed -n "s/^ *\(0x[0-9a-f]*\) \"$1\": .*/\1/p" | head -1
}

# capture TITLE FILE: waits for the window, lets it paint, saves it as PNG.
capture() {
  local id="" deadline=$((SECONDS + 30))
  while [ -z "$id" ] && [ $SECONDS -lt $deadline ]; do
    id=$(x_window "$1")
    [ -n "$id" ] || sleep 0.02
  done
  [ -n "$id" ] || die "no window \"$1\" appeared"
  sleep "$2"
  xwd -silent -id "$id" | convert xwd:- -strip "$3"
  echo "pictures: $3" >&2
}

(cd "$medium" && exec timeout 60 wine "$exe") >/dev/null 2>&1 &
program_pid=$!
# The driver answers as a user would; it holds the port selection open with
# LPT1: chosen while the picture is taken. The copy dialog needs no answer: it
# stays half a second before it copies, long enough for xwd.
timeout 60 wine "$driver" box --caption "" --press 6 \
  then dialog 608 --select "1018=LPT1:  (Local Port)" --pause 3000 --press 1 \
  then copies --any true then dialog 604 --press 1 >"$tmp/driver.log" 2>&1 &
driver_pid=$!
capture "S\xc3\xa9lection du Port" 1.2 "$docs/windows-port-selection.png"
capture "Setup\.\.\." 0.15 "$docs/windows-copy.png"
wait "$driver_pid" || { cat "$tmp/driver.log" >&2; die "the driver failed"; }
driver_pid=""
wait "$program_pid" || true
program_pid=""

# --- The terminal: the native build's front-end under tmux --------------------

columns=96 rows=30
export TERM=xterm-256color
tmux -L pictures kill-server 2>/dev/null || true
tmux -L pictures new-session -d -x $columns -y $rows \
  "cd '$medium' && WIN32HOST_PREFIX='$tmp/win32host' WIN32HOST_UI=tty WIN32HOST_WINVER=win2000 '$native'; sleep 60"

# screen_shows TEXT: waits until the screen shows TEXT.
screen_shows() {
  local deadline=$((SECONDS + 30))
  until tmux -L pictures capture-pane -p | grep -qF "$1"; do
    [ $SECONDS -lt $deadline ] || die "the terminal never showed \"$1\""
    sleep 0.02
  done
}

# snapshot FILE: the screen as it is, colours included, drawn into a PNG.
snapshot() {
  tmux -L pictures capture-pane -p -e >"$tmp/screen.txt"
  python3 "$root/scripts/terminal_png.py" "$tmp/screen.txt" $columns $rows "$1"
  rm -f "$1.mvg"
  echo "pictures: $1" >&2
}

screen_shows "Please confirm complete setup"
tmux -L pictures send-keys Enter
screen_shows "Port disponibles"
# Tab twice: from OK past Cancel to the list; then down to LPT1:, the sixth
# entry, as a user would.
tmux -L pictures send-keys Tab Tab Down Down Down Down Down
sleep 0.5
snapshot "$docs/terminal-port-selection.png"
tmux -L pictures send-keys Enter
screen_shows "Copying :"
sleep 0.1
snapshot "$docs/terminal-copy.png"
screen_shows "Setup is complete"
tmux -L pictures send-keys Enter
