#!/usr/bin/env bash
# Proves the Windows build of SetupOrdane under Wine: the shipped 32-bit file
# is a GUI program that old Windows can load, it carries its resources in both
# languages, the portable behaviour tests pass, and the program's first message
# boxes (syntax, detection, refusal, unknown version, French) show the right
# texts, answered from another process by wine_driver.exe.
# Where the kernel runs i386 programs, all of it runs under 32-bit Wine; else
# Debian's wine64 runs the x86_64 build of the same sources (tests/wine/select.sh;
# SETUPORDANE_WINE=64 forces that path). The first line says which.
# Usage: tests/wine/run.sh build/mingw/SetupOrdane.exe [build/mingw64/SetupOrdane.exe]
set -euo pipefail
# C: the decimal point of $EPOCHREALTIME, and English unless a case asks.
export LC_ALL=C

if [ $# -lt 1 ] || [ $# -gt 2 ] || [ ! -f "$1" ]; then
  echo "usage: $0 path/to/SetupOrdane.exe [path/to/x86_64/SetupOrdane.exe]" >&2
  exit 2
fi
source "$(dirname "$0")/select.sh"
without_permission_override "$0" "$@"
started=$EPOCHREALTIME
select_wine || { echo "wine: $wine_reason" >&2; exit 1; }
# The shipped file, checked on every machine.
exe=$(realpath "$1")
# Debian's wine32 and wine64 without the wine package have no /usr/bin/wine.
PATH=$PATH:/usr/lib/wine
if [ "$wine_bits" = 32 ]; then
  echo "wine: 32-bit Wine, 32-bit prefix, SetupOrdane.exe as shipped: $wine_reason"
  loader=wine arch=win32 run_exe=$exe
else
  echo "wine: 64-bit Wine (wine64), 64-bit prefix, the x86_64 build: $wine_reason"
  [ $# -eq 2 ] && [ -f "$2" ] || { echo "wine: the x86_64 SetupOrdane.exe is needed; build the mingw64 preset" >&2; exit 1; }
  loader=wine64 arch=win64 run_exe=$(realpath "$2")
fi
# The programs that prove it are built with the one that runs.
driver=$(dirname "$run_exe")/wine_driver.exe
portable_tests=$(dirname "$run_exe")/host_portable_tests.exe
medium=$(cd "$(dirname "$0")/../../medium" && pwd)
for f in "$driver" "$portable_tests"; do
  [ -f "$f" ] || { echo "wine: $f is missing; build the preset of $(dirname "$run_exe")" >&2; exit 1; }
done

WINE=$(command -v "$loader") || { echo "wine: no $loader loader found" >&2; exit 1; }
WINESERVER=$(command -v wineserver) || { echo "wine: no wineserver found" >&2; exit 1; }

tmp=$(mktemp -d)
# A prefix of our own: created by whoever runs us (root in CI), so Wine
# accepts it, and HOME inside it so that nothing outside is touched.
export WINEPREFIX=$tmp WINEARCH=$arch WINEDEBUG=-all HOME=$tmp
# No Mono or Gecko installer, and never a real display.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
program_pid=""

cleanup() {
  [ -z "$program_pid" ] || kill "$program_pid" 2>/dev/null || true
  timeout 20 "$WINESERVER" -k 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

# Milliseconds since $1, an $EPOCHREALTIME, printed as seconds.
elapsed() {
  local ms=$(( (${EPOCHREALTIME/./} - ${1/./}) / 1000 ))
  printf '%d.%d s' $((ms / 1000)) $((ms % 1000 / 100))
}

fail() {
  echo "FAIL  $case_name: $*" >&2
  exit 1
}

passed=0
# pass STARTED-AT TEXT: one line per case passed, with its time.
pass() {
  passed=$((passed + 1))
  echo "ok    $(elapsed "$1")  $2"
}

wine_quiet() {
  timeout 20 "$WINE" "$@" >/dev/null 2>&1
}

# The Windows version that Wine reports to the programs started next.
set_windows_version() {
  wine_quiet reg add 'HKCU\Software\Wine' /v Version /d "$1" /f || fail "cannot set Wine's version to $1"
  windows_version=$1
}

# --- Cases on the file alone ------------------------------------------------

# pe_header FILE: sets pe (offset of the PE header), machine, magic,
# subsystem and subsystem_version from the file's headers.
pe_header() {
  u16() { od -An --endian=little -tu2 -j"$1" -N2 "$file" | tr -d ' '; }
  u32() { od -An --endian=little -tu4 -j"$1" -N4 "$file" | tr -d ' '; }
  local file=$1
  [ "$(head -c2 "$file")" = MZ ] || fail "no MZ header"
  pe=$(u32 60)
  [ "$(u32 "$pe")" = 17744 ] || fail "no PE signature"                 # "PE\0\0"
  machine=$(u16 $((pe + 4))) magic=$(u16 $((pe + 24)))
  # The subsystem fields sit at the same offsets in PE32 and PE32+.
  subsystem=$(u16 $((pe + 92))) subsystem_version=$(u16 $((pe + 72))).$(u16 $((pe + 74)))
}

# expect_pe FILE MACHINE MAGIC MACHINE-NAME MAGIC-NAME: a Windows GUI program
# for that machine with that optional header.
expect_pe() {
  pe_header "$1"
  [ "$machine" = "$2" ] || fail "machine is not $4"
  [ "$magic" = "$3" ] || fail "optional header is not $5"
  [ "$subsystem" = 2 ] || fail "subsystem is not Windows GUI (2)"
}

case_name="PE file"
t=$EPOCHREALTIME
expect_pe "$exe" 332 267 "i386 (0x14c)" "PE32 (0x10b)"
# Windows 95 and NT 4.0 refuse a program that asks for a newer subsystem.
[ "$subsystem_version" = 4.0 ] || fail "subsystem version $subsystem_version, not 4.0"
pass "$t" "PE file: i386, PE32, Windows GUI, subsystem 4.0"

if [ "$run_exe" != "$exe" ]; then
  case_name="x86_64 PE file"
  t=$EPOCHREALTIME
  expect_pe "$run_exe" 34404 523 "x86_64 (0x8664)" "PE32+ (0x20b)"
  pass "$t" "x86_64 PE file: PE32+, Windows GUI, subsystem $subsystem_version"
fi

# Only functions that every served Windows exports, by the table of
# docs/windows-versions.md; and no instruction beyond the 80386.
case_name="imports"
t=$EPOCHREALTIME
for file in $(printf '%s\n' "$exe" "$run_exe" | sort -u); do
  out=$(bash "$(dirname "$0")/../exe/imports.sh" "$file" 2>&1) || fail "$out"
done
pass "$t" "$out"

case_name="instructions"
t=$EPOCHREALTIME
out=$(bash "$(dirname "$0")/../exe/instructions.sh" "$exe" 2>&1) || fail "$out"
pass "$t" "$out"

# --- The prefix -------------------------------------------------------------

case_name="prefix"
t=$EPOCHREALTIME
timeout 60 "$WINE" wineboot -i >/dev/null 2>&1 || fail "wineboot failed"
# Headless: the null display driver, taken up once every process has ended.
wine_quiet reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f || fail "cannot choose the null driver"
timeout 30 "$WINESERVER" -w || fail "Wine did not settle"
# One server for every case: Wine's own services start once, not per run.
timeout 20 "$WINESERVER" -p || fail "cannot start a persistent wineserver"
echo "--    $(elapsed "$t")  prefix: $("$WINE" --version), $arch, null display driver"

# --- Cases run under Wine ---------------------------------------------------

drv_out=$tmp/driver.out
program_log=$tmp/program.log

begin_case() {
  case_name=$1
  case_started=$EPOCHREALTIME
  case_command=""
}

# start_program [VAR=value...] -- [arguments]: SetupOrdane, in the background,
# with the medium as its current folder.
start_program() {
  local vars=()
  while [ "$1" != -- ]; do vars+=("$1"); shift; done
  shift
  case_command="Version=$windows_version ${vars[*]}${vars[*]:+ }SetupOrdane.exe${*:+ $*}"
  # A whole setup takes seconds, more on a busy machine; the bound stops a hung run.
  (cd "$medium" && exec env "${vars[@]}" timeout 90 "$WINE" "$run_exe" "$@") >"$program_log" 2>&1 &
  program_pid=$!
}

# What is on screen and what SetupOrdane said, for a failing case.
show_state() {
  echo "--- driver" >&2
  cat "$drv_out" >&2 || true
  echo "--- windows on screen" >&2
  timeout 20 "$WINE" "$driver" list >&2 || true
  echo "--- SetupOrdane's output" >&2
  cat "$program_log" >&2 || true
}

# expect_box DRIVER-OPTIONS...: every box of SetupOrdane is owned by its main
# window and shows no icon; the options add the rest and the button to press.
# VERBOSE=1 shows what the driver read.
expect_box() {
  if ! timeout 60 "$WINE" "$driver" box --owner SetupOrdaneClass --icon none "$@" >"$drv_out" 2>&1; then
    show_state
    fail "the box differs from what is expected (driver output above)"
  fi
  [ -z "${VERBOSE:-}" ] || sed 's/^/      /' "$drv_out"
}

# await_exit CODE: the program ends by itself with CODE once its last window
# is answered.
await_exit() {
  local code=0 deadline=$((SECONDS + 30))
  while kill -0 "$program_pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.05; done
  if kill -0 "$program_pid" 2>/dev/null; then
    show_state
    fail "SetupOrdane still runs after its last window was answered"
  fi
  wait "$program_pid" || code=$?
  program_pid=""
  [ "$code" = "$1" ] || { show_state; fail "exit code $code, expected $1"; }
}

expect_exit() {
  await_exit "$1"
  pass "$case_started" "$case_name  [$case_command]"
}

case_name="resources"
t=$EPOCHREALTIME
# Type 3 icon, 5 dialog, 14 icon group; the port dialog and the icon exist in
# French only, so every user gets them.
expected="3 1 040c
5 600 0409
5 600 040c
5 602 0409
5 602 040c
5 604 0409
5 604 040c
5 606 0409
5 606 040c
5 608 040c
14 500 040c
16 1 0000
24 1 0000"
listed=$(timeout 20 "$WINE" "$driver" resources "$exe" | grep -v '^6 ') || fail "cannot list the resources"
[ "$listed" = "$expected" ] || fail "resources differ:"$'\n'"$listed"
# The syntax caption in each language, read with no language fallback.
for pair in "0409 14 Command syntax" "040c 22 Syntaxe de la commande"; do
  got=$(timeout 20 "$WINE" "$driver" string "$exe" "${pair%% *}" 5) || fail "no string 5 in ${pair%% *}"
  [ "$got" = "${pair#* }" ] || fail "string 5 in ${pair%% *} is \"$got\""
done
pass "$t" "resources: dialogs 600-606 in English and French, 608 and icon 500 in French, string 5 in both, version and manifest"

# The behaviour tests of win32host that include only Windows' headers, built
# for Windows: here Windows' own behaviour (as Wine gives it) is the judge.
# One process, shuffled and repeated, so that no test leans on another; the
# Windows version is Wine's default, a current one, as the tests expect.
case_name="portable behaviour tests"
t=$EPOCHREALTIME
portable_log=$tmp/portable.log
# An empty current folder of their own, for the files they create.
mkdir "$tmp/portable"
if ! (cd "$tmp/portable" && exec timeout 300 "$WINE" "$portable_tests" --gtest_color=no --gtest_shuffle \
  --gtest_repeat=3) >"$portable_log" 2>&1; then
  grep -v -e '^\[\( *\(RUN\|OK\) *\|-*\)\]' -e '^[[:space:]]*$' "$portable_log" >&2 || true
  fail "$(basename "$portable_tests") failed (its output above)"
fi
summary=$(grep -o '[0-9]* tests\? from [0-9]* test suites\? ran' "$portable_log" | tail -1) || true
[ -n "$summary" ] || fail "no summary in the output"
pass "$t" "portable behaviour tests: $summary, shuffled, 3 times, all passed"

# The rows that differ between the Windows versions, with Wine claiming each
# served version in turn; where Wine does the same everywhere, the tests
# print it as a known gap of Wine's.
for version in win95 win98 nt351 nt40 win2k; do
  case_name="version rows as $version"
  t=$EPOCHREALTIME
  set_windows_version "$version"
  if ! (cd "$tmp/portable" && exec timeout 120 "$WINE" "$portable_tests" --gtest_color=no \
    --gtest_filter='WindowsVersion.*:GetProcAddress.*') >"$portable_log" 2>&1; then
    grep -v -e '^\[\( *\(RUN\|OK\) *\|-*\)\]' -e '^[[:space:]]*$' "$portable_log" >&2 || true
    fail "$(basename "$portable_tests") failed (its output above)"
  fi
  gaps=$(grep -c '^known Wine gap' "$portable_log") || true
  pass "$t" "the rows that differ between Windows versions, as Wine's $version ($gaps known Wine gaps)"
done

set_windows_version win2k
begin_case "an unknown option shows the command syntax"
start_program -- /X
expect_box --caption "Command syntax" --text-ends '\r\n\tWIN32S' --text-has WINNT351 --text-length 247 \
  --buttons 1 --press 1
expect_exit 1

# Detection: Wine reports the version it is told to, as GetVersionEx.
for pair in "win2k:Windows 2000" "nt40:Windows NT 4.0" "win98:Windows 98" "win95:Windows 95"; do
  version=${pair%%:*}
  platform=${pair#*:}
  begin_case "Wine as $version is detected as $platform, and No ends the run"
  set_windows_version "$version"
  start_program --
  expect_box --caption "" --text "Please confirm complete setup of : Ordane Driver\r\non platform : $platform" \
    --buttons 6,7 --press 7
  expect_exit 1
done

begin_case "/OS=WIN32S is confirmed, then refused as not supported"
set_windows_version win2k
start_program -- /OS=WIN32S
expect_box --caption "" --text "Please confirm complete setup of : Ordane Driver\r\non platform : Win32s sur plateforme 16 bits" \
  --buttons 6,7 --press 6
expect_box --caption "Ordane Driver setup failure" --text "We don't work yet with this Windows version..." \
  --buttons 1 --press 1
expect_exit 1

# Wine as Windows 3.1 reports Win32s itself (platform 0, 3.10).
begin_case "Wine as win31 is detected as Win32s, then refused"
set_windows_version win31
start_program --
expect_box --caption "" --text-ends "on platform : Win32s sur plateforme 16 bits" --buttons 6,7 --press 6
expect_box --caption "Ordane Driver setup failure" --text "We don't work yet with this Windows version..." \
  --buttons 1 --press 1
expect_exit 1

# Versions SetupOrdane does not know; NT 3.51 is reached only with /OS=.
for pair in "winme:1 / 4.90" "vista:2 / 6.0" "nt351:2 / 3.51"; do
  version=${pair%%:*}
  begin_case "Wine as $version is an unknown version ($version reports ${pair#*:})"
  set_windows_version "$version"
  start_program --
  expect_box --caption "Ordane Driver setup failure" --text "Unknown Windows version (${pair#*:})..." \
    --buttons 1 --press 1
  expect_exit 1
done

# French: Wine reads LC_ALL itself when the C library lacks the locale.
begin_case "French: the command syntax"
set_windows_version win2k
start_program LC_ALL=fr_FR.UTF-8 -- /X
expect_box --caption "Syntaxe de la commande" --text-has 'o\u00f9 version peut prendre les valeurs :\r\n\tWIN95' \
  --text-ends '\r\n\tWIN32S' --text-length 243 --buttons 1 --press 1
expect_exit 1

begin_case "French: the confirmation, with its accented letter through code page 1252"
start_program LC_ALL=fr_FR.UTF-8 --
expect_box --caption "" --text "Confirmez l'installation compl\u00e8te de : Driver Ordane\r\nsur plateforme : Windows 2000" \
  --buttons 6,7 --press 7
expect_exit 1

source "$(dirname "$0")/job.sh"

echo "wine: all $passed cases passed in $(elapsed "$started")"
# The plain closing line that test runners' readers know.
echo "wine: $passed passed, 0 failed"
