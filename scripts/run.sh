#!/usr/bin/env bash
# Builds Velantrix and starts it under Wine, in a prefix of its own
# (build/wineprefix), never the user's. With a display it opens in a window
# there; without one it runs in a virtual frame buffer and writes a screenshot
# of the main window to the file given as the first argument
# (default: artifacts/main-window.png), then ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$root/build" -DVELANTRIX_TESTS=OFF
exe="$root/build/Velantrix.exe"

source "$root/scripts/wine-env.sh"
if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX="$root/build/wineprefix"
  [ -f "$WINEPREFIX/system.reg" ] || { mkdir -p "$WINEPREFIX"; wineboot -i >/dev/null 2>&1; }
  exec wine "$exe"
fi

shot=${1:-"$root/artifacts/main-window.png"}
mkdir -p "$(dirname "$shot")"
trap vx_stop_wine EXIT
vx_start_xvfb
vx_make_prefix "$root/build/wineprefix"
wine "$exe" &
# Wait for the main window (by its class) before taking the picture.
geometry=$(wine "$root/build/WaitForWindow.exe" TVXMainForm 30000 | tr -d '\r')
sleep 1 # the controls paint after the frame
import -display "$DISPLAY" -window root -crop "$geometry" +repage "$shot"
echo "Screenshot of the main window written to $shot"
