#!/usr/bin/env bash
# Builds SetupOrdane over win32host and runs it on the sample installation
# medium (medium/ is its current folder), with the default win32host prefix.
# Arguments are passed to SetupOrdane, e.g. scripts/run.sh /OS=WINNT40
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh" run
cmake --preset native -S "$top" >/dev/null
cmake --build --preset native --target SetupOrdane >/dev/null
cd "$top/medium"
exec "$top/build/native/SetupOrdane" "$@"
