#!/usr/bin/env bash
# Builds the benchmark and runs it for each build this host can run, each in a
# throwaway Wine prefix with its own virtual frame buffer (as the tests do):
# start-up time and peak working set of Velantrix against a plain window
# program and against a bare program that makes the same windows and controls,
# the registry work of the runs, the caption lookups and one update check
# against a loopback server. Prints one table per build and writes all
# figures, with the Wine version and the date, to artifacts/bench.json.
# VELANTRIX_ARCH=x86|x64 runs one build; VELANTRIX_BENCH_DPI=144 (say) runs it at
# that display scale. Figures are reported, never judged.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" || { echo "bench.sh: setting up the machine failed" >&2; exit 1; }
source "$root/scripts/wine-env.sh"

archs=$(vx_runnable_archs) || { echo "bench.sh: no build of Velantrix can run on this host" >&2; exit 1; }
build_base=${VELANTRIX_BENCH_BUILD_DIR:-$root/build-bench}
for arch in $archs; do
  VELANTRIX_BUILD_TARGETS="Velantrix MinimalWindow BareWindows VelantrixBench" bash "$root/scripts/build.sh" "$arch" \
    "$build_base/$arch" -DVELANTRIX_TESTS=OFF -DVELANTRIX_BENCH=ON || exit 1
done

trap vx_close_scratch_prefix EXIT

# Z: is the host's root in every Wine prefix.
winpath() { echo "Z:${1//\//\\}"; }

mkdir -p "$root/artifacts"
results=()
status=0
for arch in $archs; do
  vx_use_arch "$arch" || exit 1
  vx_open_scratch_prefix bench || exit 1
  if [ -n "${VELANTRIX_BENCH_DPI:-}" ]; then
    vx_wine_step "setting the display to $VELANTRIX_BENCH_DPI dpi" \
      reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$VELANTRIX_BENCH_DPI" /f || exit 1
  fi
  out="$root/artifacts/$arch/bench.json"
  mkdir -p "$root/artifacts/$arch"
  rm -f "$out"
  dir="$build_base/$arch"
  echo "== the $arch build (Wine loader $VX_WINE)"
  if env LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8 "$VX_WINE" "$dir/bench/VelantrixBench.exe" "$arch" \
    "$(winpath "$dir/Velantrix.exe")" "$(winpath "$dir/bench/MinimalWindow.exe")" \
    "$(winpath "$dir/bench/BareWindows.exe")" "$(winpath "$out")" &&
    [ -s "$out" ]; then
    results+=("$(cat "$out")")
  else
    echo "bench.sh: the $arch benchmark did not finish" >&2
    status=1
  fi
  vx_close_scratch_prefix
done

wine_version=$("$(vx_wine_loader "${archs%% *}")" --version 2>/dev/null)
{
  echo "{\"date\": \"$(date -u +%Y-%m-%dT%H:%M:%SZ)\", \"wine\": \"$wine_version\", \"host\": \"$(uname -m)\","
  echo " \"builds\": ["
  for i in "${!results[@]}"; do
    [ "$i" -gt 0 ] && echo ","
    printf '  %s' "${results[$i]}"
  done
  echo
  echo " ]}"
} >"$root/artifacts/bench.json"
echo "Figures written to artifacts/bench.json ($wine_version, $(date -u +%Y-%m-%d))"
exit $status
