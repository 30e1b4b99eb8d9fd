#!/usr/bin/env bash
# Builds both programs (x86, the product, and x64) with every test program, then
# runs the whole suite under Wine for each build this host can run, each in a
# throwaway prefix with its own virtual frame buffer. VELANTRIX_ARCH=x86|x64
# tests that build alone. Screenshots and printouts of the tests land in
# artifacts/<build>/ (under VELANTRIX_BUILD_DIR when that is set). Extra
# arguments go to ctest (e.g. -R registry).
# The first line names the builds to be tested; the last line the builds tested
# and the count of test programs that passed and failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" || { echo "test.sh: setting up the machine failed" >&2; exit 1; }
source "$root/scripts/wine-env.sh"

archs=$(vx_runnable_archs) || { echo "test.sh: no build of Velantrix can run on this host" >&2; exit 1; }
echo "Velantrix tests: testing the ${archs// / and } build$([ "$archs" = "${archs% *}" ] || echo s) ($(vx_host_kind))"

# VELANTRIX_BUILD_DIR lets several working copies of the build share one checkout:
# such a run keeps its setup programs and artifacts there too, so that two runs
# at once never write the same file.
build_base=${VELANTRIX_BUILD_DIR:-$root/build-tests}
artifacts=$root/artifacts
dist=$root/dist
if [ -n "${VELANTRIX_BUILD_DIR:-}" ]; then
  artifacts=$build_base/artifacts
  dist=$build_base/dist
fi
for arch in x86 x64; do
  if [[ " $archs " == *" $arch "* ]]; then
    bash "$root/scripts/build.sh" "$arch" "$build_base/$arch" -DVELANTRIX_TESTS=ON \
      -DVELANTRIX_ARTIFACTS_DIR="$artifacts" -DVELANTRIX_DIST_DIR="$dist" || exit 1
  else
    # A build this host cannot run is still built (the programs the import check
    # reads), so that it never stops compiling.
    VELANTRIX_BUILD_TARGETS="Velantrix VelantrixUpdate" bash "$root/scripts/build.sh" "$arch" "$build_base/$arch" \
      -DVELANTRIX_DIST_DIR="$dist" || exit 1
  fi
  bash "$root/scripts/check-imports.sh" "$build_base/$arch" || exit 1
done

trap vx_close_scratch_prefix EXIT

# Runs one build's suite; prints "ARCH: N passed, M failed".
run_suite() {
  local arch=$1 log status counts passed=0 failed=0
  shift
  vx_use_arch "$arch" || return 1
  if ! vx_open_scratch_prefix test; then
    vx_close_scratch_prefix
    echo "$arch: no test could run"
    return 1
  fi
  export VELANTRIX_TEST_PREFIX="$VX_SCRATCH_PREFIX"
  mkdir -p "$artifacts/$arch"
  log=$(mktemp /tmp/velantrix-ctest.XXXXXX)
  echo "== the $arch build (Wine loader $VX_WINE)"
  # The tests check dates and texts as United States English shows them.
  (cd "$build_base/$arch" && env LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8 ctest --output-on-failure "$@") | tee "$log"
  status=${PIPESTATUS[0]}
  counts=$(sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\)$/\1 \2/p' "$log" | tail -n 1)
  rm -f "$log"
  if [ -n "$counts" ]; then
    failed=${counts% *}
    passed=$((${counts#* } - failed))
  fi
  vx_close_scratch_prefix
  echo "$arch: $passed passed, $failed failed"
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  [ "$status" -eq 0 ] && [ "$passed" -gt 0 ]
}

total_passed=0
total_failed=0
result=0
for arch in $archs; do
  run_suite "$arch" "$@" || result=1
done
echo "${archs// /+}: $total_passed passed, $total_failed failed"
exit $result
