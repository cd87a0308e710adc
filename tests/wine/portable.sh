#!/usr/bin/env bash
# Runs the portable behaviour tests under Wine while one works on them: builds
# the Windows build of the tests for the Wine this machine runs (mingw or
# mingw64 preset, as tests/wine/select.sh decides) and runs it in a prefix kept
# in build/wine-ARCH between runs, so that only the first run creates one.
# Arguments go to GoogleTest: tests/wine/portable.sh --gtest_filter='ListBox*'
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
source tests/wine/select.sh
select_wine || { echo "portable: $wine_reason" >&2; exit 1; }
# Debian's wine32 and wine64 without the wine package have no /usr/bin/wine.
PATH=$PATH:/usr/lib/wine
if [ "$wine_bits" = 32 ]; then
  loader=wine arch=win32 preset=mingw
else
  loader=wine64 arch=win64 preset=mingw64
fi
echo "portable: $wine_bits-bit Wine, preset $preset: $wine_reason" >&2
[ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target host_portable_tests >/dev/null

# HOME inside the prefix, so that nothing outside is touched; no display,
# no Mono or Gecko installer.
export WINEPREFIX=$top/build/wine-$arch WINEARCH=$arch WINEDEBUG=-all HOME=$top/build/wine-$arch
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/.portable-ready" ]; then
  echo "portable: creating the prefix $WINEPREFIX" >&2
  rm -rf "$WINEPREFIX"
  timeout 120 "$loader" wineboot -i >/dev/null 2>&1 || { echo "portable: wineboot failed" >&2; exit 1; }
  timeout 20 "$loader" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  timeout 60 wineserver -w
  touch "$WINEPREFIX/.portable-ready"
fi
exec timeout 300 "$loader" "build/$preset/host_portable_tests.exe" "$@"
