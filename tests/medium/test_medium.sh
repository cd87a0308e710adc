#!/usr/bin/env bash
# Tests scripts/medium.sh with a stand-in program: the folder, the zip file and
# the floppy image (read back with mdir and mcopy) hold the same files as the
# medium and the program, byte for byte; a medium too big for a floppy fails
# clearly and leaves no image. Usage: test_medium.sh fits|too-big
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A stand-in program of SIZE bytes: any bytes, every one of them compared.
stand_in() {
  head -c "$1" /dev/urandom >"$tmp/SetupOrdane.exe"
}

# What the medium must hold: the program and every file of medium/ but Git's.
expected_tree() {
  mkdir -p "$1"
  cp -R "$root/medium/." "$1/"
  find "$1" -name '.git*' -delete
  cp "$tmp/SetupOrdane.exe" "$1/SetupOrdane.exe"
}

# The same files, names and bytes, in both folders: diff -r compares contents.
same_tree() {
  diff -r "$1" "$2" >&2 || fail "$3 differs from the medium"
  [ "$(cd "$1" && find . | sort)" = "$(cd "$2" && find . | sort)" ] || fail "$3 holds other names"
}

case ${1:-} in
  fits)
    stand_in 300000
    expected_tree "$tmp/expected"
    bash "$root/scripts/medium.sh" --exe "$tmp/SetupOrdane.exe" "$tmp/out" >"$tmp/log" 2>&1 ||
      { cat "$tmp/log" >&2; fail "medium.sh failed"; }
    same_tree "$tmp/expected" "$tmp/out/SetupOrdane" "the folder"

    mkdir "$tmp/zip"
    (cd "$tmp/zip" && unzip -q "$tmp/out/SetupOrdane.zip") || fail "the zip file cannot be read"
    same_tree "$tmp/expected" "$tmp/zip" "the zip file"

    image=$tmp/out/SetupOrdane.img
    [ "$(stat -c %s "$image")" = 1474560 ] || fail "the image is not 1,474,560 bytes"
    mdir -i "$image" :: | grep -q 'Volume in drive : is SETUPORDANE' || fail "the image has no volume label SETUPORDANE"
    # The names as Windows shows them (long names, case kept) and every file back.
    listing=$(mdir -i "$image" -/ -b :: | sed 's|^::/||; s|/$||' | sort)
    [ "$listing" = "$(cd "$tmp/expected" && find . -mindepth 1 | sed 's|^\./||' | sort)" ] ||
      fail "the image lists"$'\n'"$listing"
    mkdir "$tmp/floppy"
    mcopy -i "$image" -s -n -p ::/* "$tmp/floppy/" || fail "mcopy cannot read the image back"
    same_tree "$tmp/expected" "$tmp/floppy" "the floppy image"
    echo "ok: folder, zip and floppy image hold the medium byte for byte"
    ;;
  too-big)
    stand_in 1500000
    if bash "$root/scripts/medium.sh" --exe "$tmp/SetupOrdane.exe" "$tmp/out" >"$tmp/log" 2>&1; then
      fail "a 1.5 MB program was laid on a 1.44 MB floppy"
    fi
    grep -q 'does not fit on a 1.44 MB disk' "$tmp/log" || { cat "$tmp/log" >&2; fail "no clear reason given"; }
    [ ! -e "$tmp/out/SetupOrdane.img" ] || fail "an image was left behind"
    echo "ok: $(cat "$tmp/log")"
    echo
    ;;
  *)
    echo "usage: $0 fits|too-big" >&2
    exit 2
    ;;
esac
