#!/usr/bin/env bash
# Builds Velantrix and starts it under Wine, in a prefix of its own
# (build/<build>/wineprefix), never the user's. It takes the 32-bit program (the
# product) where the host runs 32-bit code, the 64-bit one elsewhere;
# VELANTRIX_ARCH=x86|x64 chooses. With a display it opens in a window there;
# without one it runs in a virtual frame buffer and writes a screenshot of the
# main window to the file given as the first argument
# (default: artifacts/main-window.png), then ends.
# Every failure on the way ends with one line naming the step and a non-zero status.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
die() {
  echo "run.sh: $*" >&2
  exit 1
}
source "$root/scripts/wine-env.sh"

bash "$root/scripts/setup.sh" || die "setting up the machine failed"
archs=$(vx_runnable_archs) || die "no build of Velantrix can run on this host"
arch=${archs%% *}
vx_use_arch "$arch" || die "no Wine loader for the $arch build"
build="$root/build/$arch"
VELANTRIX_BUILD_TARGETS="Velantrix WaitForWindow" bash "$root/scripts/build.sh" "$arch" "$build" \
  -DVELANTRIX_TESTS=OFF || die "building the $arch program failed"
exe="$build/Velantrix.exe"
[ -f "$exe" ] || die "the build wrote no $exe"
echo "Starting the $arch build of Velantrix ($(vx_host_kind))"

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX="$build/wineprefix"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    vx_wine_step "making the Wine prefix $WINEPREFIX (wineboot)" wineboot -i || die "no Wine prefix"
  fi
  exec "$VX_WINE" "$exe"
fi

shot=${1:-"$root/artifacts/main-window.png"}
mkdir -p "$(dirname "$shot")" || die "cannot make the folder of $shot"
trap vx_stop_wine EXIT
vx_start_xvfb || die "no virtual frame buffer"
vx_make_prefix "$build/wineprefix" || die "no Wine prefix"
"$VX_WINE" "$exe" &
# Wait for the main window (by its class) before taking the picture.
geometry=$("$VX_WINE" "$build/WaitForWindow.exe" TVXMainForm 30000 | tr -d '\r')
[ -n "$geometry" ] || die "the main window (class TVXMainForm) did not appear within 30 s"
sleep 1 # the controls paint after the frame
import -display "$DISPLAY" -window root -crop "$geometry" +repage "$shot" || die "taking the screenshot failed"
[ -s "$shot" ] || die "no screenshot was written to $shot"
echo "Screenshot of the main window written to $shot"
