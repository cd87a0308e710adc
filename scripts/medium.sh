#!/usr/bin/env bash
# Makes the installation medium as users receive it: SetupOrdane.exe beside the
# platform folders of medium/, as a folder, a zip file and a 1.44 MB FAT floppy
# image that a virtual machine running old Windows can mount.
# Usage: scripts/medium.sh [--exe SetupOrdane.exe] [OUTPUT-FOLDER]   (default build/medium)
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
exe=""
if [ "${1:-}" = --exe ]; then
  exe=$(realpath "$2")
  shift 2
fi
out=$(realpath -m "${1:-$root/build/medium}")

die() {
  echo "medium: $*" >&2
  exit 1
}

for tool in mformat mcopy mdir zip; do
  command -v "$tool" >/dev/null || die "$tool is missing: install Debian's mtools and zip (scripts/deps.sh test)"
done

if [ -z "$exe" ]; then
  (cd "$root" && cmake --preset mingw >/dev/null && cmake --build --preset mingw --target SetupOrdane >/dev/null) ||
    die "the Windows build failed (cmake --build --preset mingw)"
  exe=$root/build/mingw/SetupOrdane.exe
fi
[ -f "$exe" ] || die "no program at $exe"

# The folder: the program at the top, the medium's folders and files beside it.
folder=$out/SetupOrdane
rm -rf "$folder" "$out/SetupOrdane.zip" "$out/SetupOrdane.img"
mkdir -p "$folder"
cp "$exe" "$folder/SetupOrdane.exe"
cp -R -p "$root/medium/." "$folder/"
# Git's own files are no part of the medium.
find "$folder" -name '.git*' -delete

# The zip file, with the folder's files at its top.
(cd "$folder" && zip -q -X -r "$out/SetupOrdane.zip" .)

# The floppy: FAT12, 512-byte clusters, 224 root entries, 2847 clusters for data.
# Each file takes whole clusters, each subfolder at least one; long names live in
# the folders' own entries. Measured before copying, so that a medium too big
# fails with its size rather than with half a disk.
cluster=512
capacity=$((2847 * cluster))
needed=0
while IFS= read -r -d '' file; do
  needed=$((needed + ($(stat -c %s "$file") + cluster - 1) / cluster * cluster))
done < <(find "$folder" -type f -print0)
subfolders=$(find "$folder" -mindepth 1 -type d | wc -l)
needed=$((needed + subfolders * cluster))
if [ "$needed" -gt "$capacity" ]; then
  die "the medium needs $needed bytes on a floppy, which holds $capacity: it does not fit on a 1.44 MB disk"
fi

image=$out/SetupOrdane.img
mformat -i "$image" -C -f 1440 -v SETUPORDANE :: || die "mformat cannot make $image"
# -s: the folders with their contents; -p: keep the files' dates; -Q: stop at
# the first error (a full disk included) instead of going on.
if ! (cd "$folder" && mcopy -i "$image" -s -p -Q ./* ::/); then
  rm -f "$image"
  die "the files do not fit on the floppy image"
fi

echo "medium: $folder"
echo "medium: $out/SetupOrdane.zip ($(stat -c %s "$out/SetupOrdane.zip") bytes)"
free=$(mdir -i "$image" :: | sed -n 's/ bytes free$//p' | tr -d ' ')
echo "medium: $image (1.44 MB FAT floppy, $free bytes free)"
