#!/usr/bin/env bash
# Configures and builds Velantrix (and its tests) for one build in BUILD_DIR:
# x86 (32-bit Windows, the product) or x64 (64-bit Windows, same sources).
# Usage: scripts/build.sh x86|x64 BUILD_DIR [extra cmake arguments...]
# CMAKE_GENERATOR chooses the generator of a new build folder (Ninja by default).
# Configure output is kept quiet and shown only when configuring fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:?usage: build.sh x86|x64 BUILD_DIR [cmake args]}
build=${2:?usage: build.sh x86|x64 BUILD_DIR [cmake args]}
shift 2
case "$arch" in
  x86) toolchain=mingw-i686 ;;
  x64) toolchain=mingw-x86_64 ;;
  *) echo "build.sh: unknown build '$arch' (expected x86 or x64)" >&2; exit 2 ;;
esac
compiler=$(sed -n 's/^set(VX_MINGW_TRIPLET \(.*\))$/\1/p' "$root/cmake/$toolchain.cmake")-g++-posix
command -v "$compiler" >/dev/null || { echo "build.sh: the $arch compiler $compiler is missing (run scripts/setup.sh)" >&2; exit 1; }

log=$(mktemp /tmp/velantrix-cmake.XXXXXX)
trap 'rm -f "$log"' EXIT
configure() {
  if ! cmake "$@" >"$log" 2>&1; then
    echo "build.sh: configuring the $arch build in $build failed:" >&2
    tail -n 20 "$log" >&2
    exit 1
  fi
}
# Ninja unless CMake's own CMAKE_GENERATOR names another ("Unix Makefiles", ...).
# A folder is configured afresh until a configure has finished in it.
if [ ! -f "$build/CMakeFiles/cmake.check_cache" ]; then
  configure -S "$root" -B "$build" -G "${CMAKE_GENERATOR:-Ninja}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" "$@"
elif [ $# -gt 0 ]; then
  configure -S "$root" -B "$build" "$@"
fi
# VELANTRIX_BUILD_TARGETS limits the build to some targets (all of them by default).
targets=()
for target in ${VELANTRIX_BUILD_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$build" "${targets[@]}" || { echo "build.sh: building the $arch build in $build failed" >&2; exit 1; }
