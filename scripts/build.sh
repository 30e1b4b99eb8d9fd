#!/usr/bin/env bash
# Configures and builds Velantrix (and its tests) for 32-bit Windows in BUILD_DIR.
# Usage: scripts/build.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: build.sh BUILD_DIR [cmake args]}
shift
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" "$@" >/dev/null
elif [ $# -gt 0 ]; then
  cmake -S "$root" -B "$build" "$@" >/dev/null
fi
cmake --build "$build"
