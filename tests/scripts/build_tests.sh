#!/usr/bin/env bash
# scripts/build.sh with CMake's other generator on this host (Unix Makefiles),
# which, unlike Ninja, makes no folder a custom step runs in: configures a
# fresh folder and builds the targets whose steps make and enter folders of
# their own (the help file, the pictures, the caption tables, the test help
# file, the test keys), then checks what they wrote. Run by ctest.
# Usage: build_tests.sh x86|x64
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
arch=${1:?usage: build_tests.sh x86|x64}
work=$(mktemp -d /tmp/velantrix-make-build.XXXXXX)
trap 'rm -rf "$work"' EXIT

targets="velantrix_documents velantrix_art velantrix_captions shell_test_files updater_test_keys"
if ! CMAKE_GENERATOR="Unix Makefiles" VELANTRIX_BUILD_TARGETS="$targets" \
  bash "$root/scripts/build.sh" "$arch" "$work" -DVELANTRIX_TESTS=ON >"$work/log" 2>&1; then
  echo "FAILED: building with Unix Makefiles:"
  tail -n 15 "$work/log"
  exit 1
fi

failures=0
for file in Makefile resources/help/Velantrix.chm Velantrix.chm resources/captions/english.rc \
  resources/captions/korean.rc resources/pictures/Pictures.rc tests/keys/release.der; do
  [ -s "$work/$file" ] || { echo "FAILED: the Makefiles build wrote no $file"; failures=$((failures + 1)); }
done
if command -v chmcmd >/dev/null; then
  [ -s "$work/tests/ShellTest.chm" ] || { echo "FAILED: the Makefiles build wrote no tests/ShellTest.chm"; failures=$((failures + 1)); }
fi
[ -e "$work/build.ninja" ] && { echo "FAILED: the build folder was configured for Ninja"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "build with Unix Makefiles passed"
exit $((failures > 0))
