#!/usr/bin/env bash
# Refreshes the README's screenshots in docs/screenshots/ from the pictures
# the tests take of the real windows (artifacts/<build>/: the 32-bit program's
# where this host runs it, else the 64-bit one's). Run it after the suite, or
# with --run to run the tests that take them first:
#
#     bash scripts/screenshots.sh [--run]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
archs=$(vx_runnable_archs) || exit 1
artifacts="$root/artifacts/${archs%% *}"
target="$root/docs/screenshots"

if [ "${1:-}" = "--run" ]; then
  VELANTRIX_ARCH=${archs%% *} bash "$root/scripts/test.sh" -R 'main_window_e2e_tests|progress_window_tests|about_form_tests|dpi_tests'
fi

# Screenshot in the README <- the test's artifact.
pictures=(
  "main-window-english.png:main-window-english.png"
  "main-window-korean.png:main-window-korean.png"
  "progress-window.png:progress-window-step.png"
  "about-window.png:about-english.png"
  "main-window-english-150.png:at-144-dpi-main-english.png"
  "about-window-150.png:at-144-dpi-about-english.png"
)

missing=0
for pair in "${pictures[@]}"; do
  source_name=${pair#*:}
  if [ ! -s "$artifacts/$source_name" ]; then
    echo "missing: $artifacts/$source_name (run bash scripts/test.sh, or this script with --run)" >&2
    missing=1
  fi
done
[ "$missing" -eq 0 ] || exit 1

mkdir -p "$target"
for pair in "${pictures[@]}"; do
  name=${pair%%:*}
  source_name=${pair#*:}
  cp "$artifacts/$source_name" "$target/$name"
  echo "docs/screenshots/$name <- ${artifacts#"$root/"}/$source_name"
done
