#!/usr/bin/env bash
# Which builds the scripts choose on a host, told through stand-in Wine loaders:
# one that starts, and one that fails as a kernel without 32-bit support makes
# the 32-bit loader fail. Run by ctest; prints one line per case and a summary.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/velantrix-probe.XXXXXX)
trap 'rm -rf "$work"' EXIT

printf '#!/bin/sh\necho wine-8.0\n' >"$work/starts"
printf '#!/bin/sh\necho "cannot execute binary file: Exec format error" >&2\nexit 126\n' >"$work/fails"
chmod +x "$work/starts" "$work/fails"

passed=0
failed=0
check() { # NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED $1: expected [$2], got [$3]"
  fi
}

# Prints the chosen builds and the exit status, or the message on failure.
choose() { # LOADER32 LOADER64 [VELANTRIX_ARCH]
  (
    unset VELANTRIX_ARCH
    [ -n "${3:-}" ] && export VELANTRIX_ARCH=$3
    export VX_WINE32_LOADER=$1 VX_WINE64_LOADER=$2
    source "$root/scripts/wine-env.sh"
    out=$(vx_runnable_archs 2>&1)
    echo "$? $out"
  )
}

check "both loaders start: both builds" "0 x86 x64" "$(choose "$work/starts" "$work/starts")"
check "no 32-bit code: the 64-bit build alone" "0 x64" "$(choose "$work/fails" "$work/starts")"
check "32-bit loader not installed: the 64-bit build alone" "0 x64" "$(choose "$work/missing" "$work/starts")"
check "forced x64 on a host that runs both" "0 x64" "$(choose "$work/starts" "$work/starts" x64)"
check "forced x86 on a host that runs both" "0 x86" "$(choose "$work/starts" "$work/starts" x86)"
check "forced x86 where 32-bit code cannot run" \
  "1 VELANTRIX_ARCH=x86, but this host cannot start $work/fails" "$(choose "$work/fails" "$work/starts" x86)"
check "an unknown forced build" "1 VELANTRIX_ARCH is 'arm64'; it must be x86 or x64" \
  "$(choose "$work/starts" "$work/starts" arm64)"
check "nothing can run" \
  "1 this host can start neither Wine loader ($work/fails, $work/fails): is Wine installed?" \
  "$(choose "$work/fails" "$work/fails")"

# The scripts stop at once, with a message and a non-zero status, when nothing can run:
# never a silent status 0 without a window or a screenshot.
for script in run.sh test.sh; do
  out=$(env -u VELANTRIX_ARCH VX_WINE32_LOADER="$work/fails" VX_WINE64_LOADER="$work/fails" \
    bash "$root/scripts/$script" "$work/shot.png" 2>&1 </dev/null)
  status=$?
  check "$script exits non-zero when nothing can run" 1 "$status"
  check "$script says why" "yes" "$(grep -q "no build of Velantrix can run on this host" <<<"$out" && echo yes)"
done
check "run.sh wrote no screenshot" "no" "$([ -e "$work/shot.png" ] && echo yes || echo no)"

echo "host probe: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
