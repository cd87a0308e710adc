#!/usr/bin/env bash
# Builds and runs the whole test suite: the native build and the sanitizer
# build (AddressSanitizer, UndefinedBehaviorSanitizer) with their ctest
# suites, then the Windows build with mingw-w64 (the 32-bit SetupOrdane.exe
# always; also the x86_64 build where only 64-bit Wine runs), proven under
# Wine with the portable behaviour tests. Warnings are errors. The native
# build's end-to-end runs also go under valgrind, and clang-tidy and cppcheck
# check the program and win32host.
# SETUPORDANE_WINE=64 takes the 64-bit Wine path on any machine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh test
source tests/wine/select.sh
select_wine || { echo "test: $wine_reason" >&2; exit 1; }

# stage NAME COMMAND...: runs one stage between its header and its duration.
stage() {
  local name=$1 started=$SECONDS
  shift
  echo "== $name"
  "$@"
  echo "-- $name: $((SECONDS - started)) s"
}

build_preset() {
  cmake --preset "$1" -DSETUPORDANE_WERROR=ON >/dev/null
  cmake --build --preset "$1"
}

build_and_test() {
  build_preset "$1"
  ctest --preset "$1"
}

fuzz_briefly() {
  cmake --preset fuzz -DSETUPORDANE_WERROR=ON >/dev/null
  FUZZ_SEED=1 bash scripts/fuzz.sh 10
}

for preset in native sanitize; do
  stage "$preset" build_and_test "$preset"
done

# The libFuzzer targets of tests/fuzz, 10 seconds each (6 targets; with the
# build about 2-3 minutes on 2 cores); fails on any crash, leak, undefined
# behaviour or hang. Longer campaigns: scripts/fuzz.sh.
stage fuzz fuzz_briefly

# valgrind's memcheck under every SetupOrdane run of the end-to-end tests
# (scripts/valgrind_e2e.sh; budget 3 minutes).
stage valgrind bash scripts/valgrind_e2e.sh build/native

# clang-tidy and cppcheck on the program and win32host (scripts/lint.sh;
# budget 4 minutes).
stage lint bash scripts/lint.sh -j 2

windows_presets=(mingw)
[ "$wine_bits" = 32 ] || windows_presets+=(mingw64)
for preset in "${windows_presets[@]}"; do
  stage "$preset" build_preset "$preset"
done

echo "== wine"
bash tests/wine/run.sh build/mingw/SetupOrdane.exe build/mingw64/SetupOrdane.exe
echo "-- all stages: $SECONDS s"
