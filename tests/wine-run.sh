#!/usr/bin/env bash
# Usage: wine-run.sh x86|x64 PROGRAM [ARGUMENTS...]
# Runs one Windows program of the given build under Wine, with that build's
# loader, in the throwaway prefix that scripts/test.sh made for this test run. When the program is a GoogleTest
# program given --gtest_output=xml:FILE, the run passes only if that report
# exists and counts tests with no failure: under Wine a stray ExitWindowsEx
# ends every process with exit code 0, so the exit code alone proves nothing.
set -u
if [ -z "${VELANTRIX_TEST_PREFIX:-}" ]; then
  echo "wine-run.sh: VELANTRIX_TEST_PREFIX is not set; run the tests through scripts/test.sh" >&2
  exit 2
fi
source "$(dirname "$0")/../scripts/wine-env.sh"
vx_use_arch "${1:?usage: wine-run.sh x86|x64 PROGRAM [ARGUMENTS...]}" || exit 2
shift
export WINEPREFIX="$VELANTRIX_TEST_PREFIX"

report=""
args=()
for arg in "$@"; do
  case "$arg" in
    --gtest_output=xml:*)
      report="${arg#--gtest_output=xml:}"
      rm -f "$report"
      # The Windows program sees the Linux file system as drive Z:.
      args+=("--gtest_output=xml:Z:${report//\//\\}")
      ;;
    *) args+=("$arg") ;;
  esac
done

"$VX_WINE" "${args[@]}"
status=$?
[ -z "$report" ] && exit $status

if [ ! -s "$report" ]; then
  echo "wine-run.sh: no test report was written ($report); exit code was $status" >&2
  exit 1
fi
summary=$(grep -m1 -o '<testsuites [^>]*>' "$report")
tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$summary")
failures=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$summary")
errors=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$summary")
if [ "${tests:-0}" -eq 0 ] || [ "${failures:-1}" -ne 0 ] || [ "${errors:-1}" -ne 0 ]; then
  echo "wine-run.sh: report says tests=${tests:-?} failures=${failures:-?} errors=${errors:-?}" >&2
  exit 1
fi
[ $status -eq 0 ] || { echo "wine-run.sh: report passed but exit code was $status" >&2; exit 1; }
exit 0
