#!/usr/bin/env bash
# Two runs that open their frame buffers at the same moment, as two test runs
# started together do, each get a display of their own: a different number,
# answered by the Xvfb that run started, and still there after the other run
# has closed its own. Several rounds of frame buffers alone, then one of whole
# scratch prefixes. Run by ctest; prints one line per failed check and a summary.
# Usage: display_tests.sh x86|x64 [WINE_ENV] (the wine-env.sh to try; the repository's by default)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
arch=${1:?usage: display_tests.sh x86|x64 [WINE_ENV]}
wine_env=${2:-$root/scripts/wine-env.sh}
work=$(mktemp -d /tmp/velantrix-display-test.XXXXXX)
finish() {
  touch "$work"/run-a.close "$work"/run-b.close 2>/dev/null
  wait
  rm -rf "$work"
}
trap finish EXIT

passed=0
failed=0
check() { # NAME COMMAND...
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED $name"
    return 1
  fi
}

# Waits up to SECONDS for FILE to appear.
wait_for() { # FILE SECONDS
  local i
  for i in $(seq 1 $(($2 * 20))); do
    [ -e "$1" ] && return 0
    sleep 0.05
  done
  return 1
}

# True when process PID holds the listening socket of display N (its file or
# its abstract name): that process is the X server answering the display.
serves_display() { # PID N
  local inode
  for inode in $(awk -v f="/tmp/.X11-unix/X$2" -v a="@/tmp/.X11-unix/X$2" '$8 == f || $8 == a { print $7 }' /proc/net/unix); do
    find "/proc/$1/fd" -lname "socket:\[$inode\]" 2>/dev/null | grep -q . && return 0
  done
  return 1
}

answers() { # N
  xwd -root -silent -display ":$1" >/dev/null 2>&1
}

# One run: opens a frame buffer (or a whole scratch prefix) when told to go,
# writes "DISPLAY-NUMBER XVFB-PID" to NAME.display, and when told to close
# writes to NAME.result whether its display is still its own, then closes it.
declare -A run_pid
one_run() { # NAME xvfb|prefix
  (
    # Never the prefix of the suite that runs this test.
    unset WINEPREFIX
    source "$wine_env"
    vx_use_arch "$arch" || exit 1
    trap vx_close_scratch_prefix EXIT
    wait_for "$work/go" 60 || exit 1
    if [ "$2" = prefix ]; then
      vx_open_scratch_prefix display-test 2>"$work/$1.failed" || exit 1
    else
      vx_start_xvfb 2>"$work/$1.failed" || exit 1
    fi
    n=${DISPLAY#:}
    echo "$n $VX_XVFB_PID" >"$work/$1.display.new" && mv "$work/$1.display.new" "$work/$1.display"
    wait_for "$work/$1.close" 300
    if ! serves_display "$VX_XVFB_PID" "$n"; then
      echo "its Xvfb ($VX_XVFB_PID) no longer serves :$n" >"$work/$1.result"
    elif ! answers "$n"; then
      echo ":$n no longer answers" >"$work/$1.result"
    else
      echo ok >"$work/$1.result"
    fi
  ) &
  run_pid[$1]=$!
}

# Both runs start together; returns once both have a display (or failed).
start_both() { # xvfb|prefix
  rm -f "$work"/*
  one_run run-a "$1"
  one_run run-b "$1"
  touch "$work/go"
  local name
  for name in run-a run-b; do
    wait_for "$work/$name.display" 300 ||
      echo "  $name got no display: $(tr '\n' ' ' <"$work/$name.failed" 2>/dev/null)"
  done
}

has_result_ok() { [ "$(cat "$work/$1.result" 2>/dev/null)" = ok ]; }

# Closes FIRST (waiting until its frame buffer is gone), then the other; each
# checks before it closes that its display is still its own.
close_both() { # ROUND FIRST SECOND
  local name
  for name in "$2" "$3"; do
    touch "$work/$name.close"
    wait "${run_pid[$name]}"
    check "$1: $name still had its own display when it closed ($(cat "$work/$name.result" 2>/dev/null))" \
      has_result_ok "$name"
  done
}

round() { # NAME xvfb|prefix FIRST-TO-CLOSE SECOND-TO-CLOSE
  local a_n= a_pid= b_n= b_pid=
  start_both "$2"
  read -r a_n a_pid <"$work/run-a.display" 2>/dev/null
  read -r b_n b_pid <"$work/run-b.display" 2>/dev/null
  if check "$1: both runs got a display" test -n "$a_n" -a -n "$b_n"; then
    check "$1: the runs got different displays (:$a_n and :$b_n)" test "$a_n" != "$b_n"
    check "$1: run-a's Xvfb ($a_pid) serves :$a_n" serves_display "$a_pid" "$a_n"
    check "$1: run-b's Xvfb ($b_pid) serves :$b_n" serves_display "$b_pid" "$b_n"
  fi
  close_both "$1" "$3" "$4"
}

for i in 1 2 3 4 5 6; do
  if [ $((i % 2)) -eq 1 ]; then first=run-a second=run-b; else first=run-b second=run-a; fi
  round "frame buffers, round $i" xvfb "$first" "$second"
done
round "scratch prefixes" prefix run-a run-b

echo "displays: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
