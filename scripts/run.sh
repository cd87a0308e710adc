#!/usr/bin/env bash
# Builds SetupOrdane over win32host and runs it on the sample installation
# medium (medium/ is its current folder), with the default win32host prefix.
# Arguments are passed to SetupOrdane, e.g. scripts/run.sh /OS=WINNT40
# The build shows its progress and, when it fails, its errors, on standard
# error, so that standard output stays the program's own.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh" run
cd "$top"
echo "run.sh: building SetupOrdane in build/native (a first build takes a minute or two)" >&2
if ! log=$(cmake --preset native 2>&1); then
    printf '%s\n' "$log" >&2
    echo "run.sh: configuring the build failed (above)" >&2
    exit 1
fi
if ! cmake --build --preset native --target SetupOrdane >&2; then
    echo "run.sh: the build failed (errors above)" >&2
    exit 1
fi
cd "$top/medium"
exec "$top/build/native/SetupOrdane" "$@"
