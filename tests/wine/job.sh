# job.sh - the Wine proof of SetupOrdane's whole job, sourced by run.sh after
# its start-up cases, in the same prefix and wineserver: the version resource
# and manifest, then complete setup and complete deletion as a user answers
# them, with the files, the spooler and the exit code checked after each run.
# Uses run.sh's helpers (begin_case, start_program, expect_box, await_exit...).

# The copy dialogs live half a second: on a busy machine the driver must get
# the processor before the program does. Wine maps no Windows priority onto
# Linux, so the driver runs with a higher nice priority where we may set it.
boost=()
[ "$(id -u)" != 0 ] || boost=(nice -n -10)

# drive STEP [then STEP]...: wine_driver answers the program's windows in turn.
drive() {
  if ! "${boost[@]}" timeout 300 "$WINE" "$driver" "$@" >"$drv_out" 2>&1; then
    show_state
    fail "the program's windows differ from what is expected (driver output above)"
  fi
  [ -z "${VERBOSE:-}" ] || sed 's/^/      /' "$drv_out"
}

end_case() { pass "$case_started" "$case_name  [$case_command]"; }

# A literal text for the driver, whose own escapes start with a backslash.
literal() { printf '%s' "${1//\\/\\\\}"; }

# driver_says EXPECTED COMMAND...: a driver command prints exactly EXPECTED.
driver_says() {
  local expected=$1 got
  shift
  got=$(timeout 20 "$WINE" "$driver" "$@" 2>&1 | tr -d '\r') || fail "driver $* failed: $got"
  [ "$got" = "$expected" ] || fail "driver $* printed"$'\n'"$got"$'\n'"--- expected"$'\n'"$expected"
}

# --- The version resource and the manifest, as Windows reads them ------------

case_name="version"
t=$EPOCHREALTIME
for pair in "0409:Ordane Garnet printer driver setup" "040c:Installation du pilote de l'imprimante Ordane Garnet"; do
  driver_says "file version 1.0.0.0, product version 1.0.0.0, os 0x4, type 0x1, flags 0x0
translations 0409-04e4 040c-04e4
CompanyName=Ordane
FileDescription=${pair#*:}
FileVersion=1.0.0.0
InternalName=SetupOrdane
LegalCopyright=Copyright (C) Ordane
OriginalFilename=SetupOrdane.exe
ProductName=SetupOrdane
ProductVersion=1.0.0.0" version "$exe" "${pair%%:*}"
done
pass "$t" "version: 1.0.0.0, a Windows application, texts in English and French (code page 1252)"

case_name="manifest"
t=$EPOCHREALTIME
# The loader builds an activation context from the embedded manifest: it is
# well-formed and asks for an administrator, without the user-interface access.
driver_says "run level requireAdministrator, uiAccess 0" manifest "$exe"
pass "$t" "manifest: accepted by the loader, run level requireAdministrator"

# --- State of the machine -----------------------------------------------------

# The printer-driver folder of the running environment (win40 for Windows
# 95/98, w32x86 for NT), as Windows names it and as a Unix path.
driver_folder() {
  folder_win=$(timeout 20 "$WINE" "$driver" folder | tr -d '\r') || fail "no printer-driver folder"
  [[ $folder_win == 'C:\'* ]] || fail "the printer-driver folder $folder_win is not on drive C:"
  local rest=${folder_win#C:\\}
  folder_unix=$WINEPREFIX/drive_c/${rest//\\//}
  [ -d "$folder_unix" ] || fail "the printer-driver folder $folder_win is not at $folder_unix"
}

# The files (not folders) of a folder, sorted, on one line.
files_in() {
  find "$1" -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort | xargs
}

# expect_files "NAME..." "MEDIUM-FOLDER": the driver folder holds exactly these
# files, and those that come from the medium are its files byte for byte; a
# NAME.bku holds what the medium's NAME.* held (the program only installs
# medium files, so every earlier copy was one).
expect_files() {
  local expected=$1 source=$2 got name original
  got=$(files_in "$folder_unix")
  [ "$got" = "$expected" ] || fail "the driver folder holds \"$got\", expected \"$expected\""
  for name in $expected; do
    if [[ $name == *.bku ]]; then
      original=$(cd "$medium/$source" && ls "${name%.bku}".* | head -1)
      cmp -s "$folder_unix/$name" "$medium/$source/$original" || fail "$name is not $source$original byte for byte"
    else
      cmp -s "$folder_unix/$name" "$medium/$source/$name" || fail "$name differs from $source$name"
    fi
  done
}

# expect_spooler [LINE]...: the spooler as programs see it, EnumPrintersA's
# printers then EnumPrinterDriversA's drivers, is exactly these lines.
expect_spooler() {
  local IFS=$'\n'
  driver_says "$*" spooler
}

ordane_printer="printer Ordane Garnet | LPT1: | Ordane Garnet | Ordane Garnet | (null) | (null) | winprint | RAW | 0x1041"

# The ports Wine knows, as the port list shows them: "name  (description)",
# sorted by the list box; Wine describes them in the user's language.
wine_ports() {
  local port out="" description="Local Port"
  [ "$1" = fr ] && description="Port local"
  for port in COM1: COM2: COM3: COM4: FILE: LPT1: LPT2: LPT3:; do
    out+="${out:+|}$port  ($description)"
  done
  echo "$out"
}

# copies_expected SAVE-TITLE SETUP-TITLE SOURCE FILE...: the copy dialogs a
# complete setup shows for these files from now on: a backup of a file that
# is already in the driver folder, then the copy from the medium; each bar
# runs from 0 to the size of the file it copies.
copies_expected() {
  local save=$1 setup=$2 source=$3 name
  shift 3
  copies=(copies)
  for name in "$@"; do
    if [ -f "$folder_unix/$name" ]; then
      copies+=(--expect "$save|$name|$(literal "$folder_win")|${name%.*}.bku|0/$(stat -c %s "$folder_unix/$name")")
    fi
    copies+=(--expect "$setup|$name|$(literal "$source")|$(literal "$folder_win")|0/$(stat -c %s "$medium/${source%\\}/$name")")
  done
}

nt_files=(PavoUI.dll PavoGI.dll Ordane.ini Ordanea.hlp Ordanef.hlp)
w98_files=(Pavo.drv Ordanea.hlp Ordanef.hlp)

# complete_setup PLATFORM LANGUAGE SOURCE FILE... : answers a complete setup
# from the confirmation to the completion dialog, choosing LPT1:.
complete_setup() {
  local platform=$1 language=$2 source=$3
  shift 3
  local confirm="Please confirm complete setup of : Ordane Driver\r\non platform : $platform"
  local done_lang=0409 save=Save... setup=Setup... finish=(--key escape --press 1) port="LPT1:  (Local Port)"
  if [ "$language" = fr ]; then
    confirm="Confirmez l'installation compl\u00e8te de : Driver Ordane\r\nsur plateforme : $platform"
    done_lang=040c save=Sauvegarde... setup=Installation... port="LPT1:  (Port local)"
    # Enter is the keyboard's way to the default button, Fin.
    finish=(--key escape --key enter)
  fi
  copies_expected "$save" "$setup" "$source" "$@"
  # The port dialog exists in French only; OK with no port chosen does nothing.
  drive box --caption "" --text "$confirm" --buttons 6,7 --press 6 \
    then dialog 608 --title "S\u00e9lection du Port" --lang 040c --caption-bar yes --sysmenu yes --default 1 \
    --entries "1018=$(wine_ports "$language")" --selection 1018=none \
    --press 1 --select "1018=$port" --press 1 \
    then "${copies[@]}" \
    then dialog 604 --lang "$done_lang" --caption-bar no --sysmenu no --default 1 --focus 1 "${finish[@]}"
}

# complete_deletion PLATFORM LANGUAGE: answers a complete deletion and says No
# to the restart: Wine must never try to restart the machine.
complete_deletion() {
  local platform=$1 language=$2
  local confirm="Please confirm complete deletion of : Ordane Driver\r\non platform : $platform"
  local lang=0409 title="Ordane Driver deletion"
  if [ "$language" = fr ]; then
    confirm="Confirmez la suppression d\u00e9finitive de : Driver Ordane\r\nsur plateforme : $platform"
    lang=040c title="Suppression Driver Ordane"
  fi
  # Escape does nothing here; Yes is the default button and has the focus.
  drive box --caption "" --text "$confirm" --buttons 6,7 --press 6 \
    then dialog 606 --owner-title "$title" --lang "$lang" --caption-bar no --sysmenu no --default 6 --focus 6 \
    --key escape --press 7
}

# --- The whole job under Wine ---------------------------------------------------

set_windows_version win2k
driver_folder
expect_spooler
wine_files=$(files_in "$folder_unix")

begin_case "Cancel in the port selection changes nothing"
start_program -- /OS=WINNT40
drive box --caption "" --text-ends "on platform : Windows NT 4.0" --press 6 \
  then dialog 608 --entries "1018=$(wine_ports en)" --select "1018=COM2:  (Local Port)" --press 2
await_exit 1
expect_files "$wine_files" Nt4.0
expect_spooler
end_case

# Wine files the driver under version 3 whatever cVersion says, with its files
# copied into the version folder 3 (AddPrinterDriver's APD_COPY_NEW_FILES);
# Windows NT 4.0 and 2000 do the same with a version-2 or 3 driver. The
# environment is the running Wine's: x86, or x64 under wine64.
nt_driver() {
  local d="$folder_win\\3\\" environment="Windows NT x86"
  [ "$arch" = win32 ] || environment="Windows x64"
  echo "driver Ordane Garnet | 3 | $environment | ${d}PavoGI.dll | ${d}Ordane.ini | ${d}PavoUI.dll | (null)" \
    "| ${d}PavoGI.dll,${d}Ordane.ini,${d}PavoUI.dll,${d}Ordanef.hlp,${d}Ordanea.hlp |  | RAW"
}

begin_case "complete setup on /OS=WINNT40"
start_program -- /OS=WINNT40
complete_setup "Windows NT 4.0" en 'Nt4.0\' "${nt_files[@]}"
await_exit 1
expect_files "Ordane.ini Ordanea.hlp Ordanef.hlp PavoGI.dll PavoUI.dll" Nt4.0
expect_spooler "$ordane_printer" "$(nt_driver)"
end_case

# No file record asks before replacing (every policy is "replace"), so no
# replace confirmation appears: every file is backed up, then copied.

begin_case "a rerun over the installed printer backs every file up and installs it again"
start_program -- /OS=WINNT40
complete_setup "Windows NT 4.0" en 'Nt4.0\' "${nt_files[@]}"
await_exit 1
nt_with_backups="Ordane.bku Ordane.ini Ordanea.bku Ordanea.hlp Ordanef.bku Ordanef.hlp PavoGI.bku PavoGI.dll PavoUI.bku PavoUI.dll"
expect_files "$nt_with_backups" Nt4.0
# The silent clean-up removed the first printer: there is one, not two.
expect_spooler "$ordane_printer" "$(nt_driver)"
end_case

# Wine's DeleteFormA succeeds even though no form "Card" exists, so message
# 158 does not appear as it would on Windows NT without that form.

begin_case "complete deletion on /OS=WINNT40, No to the restart"
start_program -- /OS=WINNT40 /UNINSTALL
complete_deletion "Windows NT 4.0" en
await_exit 1
# The help files and the .ini go; the program files and every backup stay.
expect_files "Ordane.bku Ordanea.bku Ordanef.bku PavoGI.bku PavoGI.dll PavoUI.bku PavoUI.dll" Nt4.0
expect_spooler
# The data file the spooler reported is deleted; Wine's DeletePrinterDriver
# leaves the other copies in the version folder, as Windows does.
[ ! -e "$folder_unix/3/Ordane.ini" ] || fail "the driver's data file 3\\Ordane.ini is still there"
[ -f "$folder_unix/3/PavoGI.dll" ] || fail "Wine's copy 3\\PavoGI.dll is gone"
end_case

begin_case "complete setup then complete deletion on a detected Windows 2000"
start_program --
complete_setup "Windows 2000" en 'Nt4.0\' "${nt_files[@]}"
await_exit 1
expect_files "$nt_with_backups" Nt4.0
expect_spooler "$ordane_printer" "$(nt_driver)"
start_program -- /UNINSTALL
complete_deletion "Windows 2000" en
await_exit 1
expect_files "Ordane.bku Ordanea.bku Ordanef.bku PavoGI.bku PavoGI.dll PavoUI.bku PavoUI.dll" Nt4.0
expect_spooler
end_case

begin_case "French: complete setup then complete deletion on Windows 2000"
start_program LC_ALL=fr_FR.UTF-8 --
complete_setup "Windows 2000" fr 'Nt4.0\' "${nt_files[@]}"
await_exit 1
expect_files "$nt_with_backups" Nt4.0
expect_spooler "$ordane_printer" "$(nt_driver)"
start_program LC_ALL=fr_FR.UTF-8 -- /UNINSTALL
complete_deletion "Windows 2000" fr
await_exit 1
expect_spooler
end_case

# Wine as Windows 95/98 files a driver of environment "Windows 4.0" under
# version 0 in the win40 folder, help file included.
w98_driver() {
  local d="$folder_win\\0\\"
  echo "driver Ordane Garnet | 0 | Windows 4.0 | ${d}Pavo.drv | ${d}Pavo.drv | ${d}Pavo.drv | ${d}ordanef.hlp" \
    "| ${d}Pavo.drv,${d}Ordanef.hlp,${d}Ordanea.hlp |  | RAW"
}

set_windows_version win98
driver_folder

begin_case "complete setup then complete deletion on a detected Windows 98"
start_program --
complete_setup "Windows 98" en 'Win95-98\' "${w98_files[@]}"
await_exit 1
expect_files "Ordanea.hlp Ordanef.hlp Pavo.drv" Win95-98
expect_spooler "$ordane_printer" "$(w98_driver)"
start_program -- /UNINSTALL
complete_deletion "Windows 98" en
await_exit 1
expect_files "Pavo.drv" Win95-98
expect_spooler
end_case
set_windows_version win2k
