#!/usr/bin/env bash
# Builds Velantrix and every test program, then runs the whole suite under
# Wine in a throwaway prefix with its own virtual frame buffer.
# Screenshots and printouts of the tests land in artifacts/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
# VELANTRIX_BUILD_DIR lets several working copies of the build share one checkout.
build_dir=${VELANTRIX_BUILD_DIR:-$root/build-tests}
bash "$root/scripts/build.sh" "$build_dir" -DVELANTRIX_TESTS=ON
bash "$root/scripts/check-imports.sh" "$build_dir"

source "$root/scripts/wine-env.sh"
prefix=$(mktemp -d /tmp/velantrix-prefix.XXXXXX)
cleanup() {
  vx_stop_wine
  rm -rf "$prefix"
}
trap cleanup EXIT
vx_start_xvfb
vx_make_prefix "$prefix"
export VELANTRIX_TEST_PREFIX="$prefix"
mkdir -p "$root/artifacts"
cd "$build_dir"
# The tests check dates and texts as United States English shows them.
env LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8 ctest --output-on-failure "$@"
