#!/usr/bin/env bash
# Builds SetupOrdane over win32host, and the win32host tool the README uses to
# look at the emulated machine, then runs SetupOrdane on the sample
# installation medium (medium/ is its current folder), with the default
# win32host prefix. Arguments are passed to SetupOrdane, e.g.
# scripts/run.sh /OS=WINNT40
# The build shows its progress and, when it fails, its errors, on standard
# error, so that standard output stays the program's own; so does the line
# that says, once the program has ended, where the emulated machine lies.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh" run
cd "$top"
echo "run.sh: building SetupOrdane and win32host in build/native (a first build takes a minute or two)" >&2
if ! log=$(cmake --preset native 2>&1); then
    printf '%s\n' "$log" >&2
    echo "run.sh: configuring the build failed (above)" >&2
    exit 1
fi
if ! cmake --build --preset native --target SetupOrdane win32host_tool >&2; then
    echo "run.sh: the build failed (errors above)" >&2
    exit 1
fi
cd "$top/medium"
# Ctrl+C ends the program (which restores the terminal itself); the line
# below is still said, and the program's status is ours.
trap : INT
status=0
"$top/build/native/SetupOrdane" "$@" || status=$?
if prefix=$("$top/build/native/win32host" prefix 2>/dev/null); then
    echo "run.sh: the emulated machine is in $prefix (drive C: in drive_c, spooler.db, restart.log)" >&2
fi
# Ended by Ctrl+C, end as killed by it, so that a calling script stops too.
if [ $status -eq 130 ]; then
    trap - INT
    kill -INT $$
fi
exit $status
