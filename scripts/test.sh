#!/usr/bin/env bash
# Builds and runs the whole test suite: the native build and the sanitizer
# build (AddressSanitizer, UndefinedBehaviorSanitizer) with their ctest
# suites, then the 32-bit Windows build with mingw-w64, proven under Wine.
# Warnings are errors.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh test

for preset in native sanitize; do
  echo "== $preset"
  cmake --preset "$preset" -DSETUPORDANE_WERROR=ON >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== mingw"
cmake --preset mingw -DSETUPORDANE_WERROR=ON >/dev/null
cmake --build --preset mingw
bash tests/wine/run.sh build/mingw/SetupOrdane.exe
