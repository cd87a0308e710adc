# select.sh - sourced by scripts/deps.sh, scripts/test.sh and tests/wine/run.sh:
# which Wine the Windows build is proven under on this machine. 32-bit Wine
# where the kernel runs i386 programs, else Debian's wine64 running the x86_64
# build; found by running a tiny i386 program, not by guessing from the system.
# SETUPORDANE_WINE=32 or 64 forces one path (to try the other one here).

# select_wine: sets wine_bits (32 or 64) and wine_reason (one line), or
# returns 1 with the reason when the probe can tell neither.
select_wine() {
  case ${SETUPORDANE_WINE:-} in
    32 | 64)
      wine_bits=$SETUPORDANE_WINE
      wine_reason="forced by SETUPORDANE_WINE=$SETUPORDANE_WINE"
      return 0
      ;;
    "") ;;
    *)
      wine_reason="SETUPORDANE_WINE is \"$SETUPORDANE_WINE\"; use 32, 64 or leave it unset"
      return 1
      ;;
  esac
  local dir out rc=0
  dir=$(mktemp -d)
  # A static i386 ELF program of 91 bytes that only calls exit(0): one loadable
  # segment, then xor ebx,ebx; xor eax,eax; inc eax; int 0x80.
  printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\133\0\0\0\133\0\0\0\5\0\0\0\0\20\0\0\61\333\61\300\100\315\200' \
    >"$dir/probe"
  chmod +x "$dir/probe"
  out=$("$dir/probe" 2>&1) || rc=$?
  rm -rf "$dir"
  if [ "$rc" = 0 ]; then
    wine_bits=32
    wine_reason="this kernel runs i386 programs"
  elif [[ $out == *"Exec format error"* ]]; then
    wine_bits=64
    wine_reason="this kernel cannot run i386 programs (Exec format error)"
  else
    wine_reason="cannot tell whether i386 programs run here: the probe ended with $rc: $out"
    return 1
  fi
}
