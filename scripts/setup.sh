#!/usr/bin/env bash
# Brings a Debian 12 machine to the state the build and the tests need:
# the i686 and x86-64 mingw-w64 C++ compilers, 64-bit Wine with 32-bit support, Xvfb,
# ImageMagick for screenshots, chmcmd for the help file, a Korean font, NSIS for
# the setup programs, Python 3 (the build stores the pictures already decoded; the
# release tests read the package manifests with its YAML module), OpenSSL (the
# updater tests sign release information with a throwaway key) and osslsigncode
# (the release signs the programs and setup programs; the tests sign with a
# throwaway certificate).
# Idempotent: a second run finds everything present and returns in seconds.
set -euo pipefail

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then exec sudo -E bash "$0" "$@"; fi
    echo "setup.sh: must run as root to install packages" >&2
    exit 1
  fi
}

# Debian package name -> a file it installs; the package is wanted only when the file is missing.
declare -A wanted=(
  [g++-mingw-w64-i686-posix]=/usr/bin/i686-w64-mingw32-g++-posix
  [binutils-mingw-w64-i686]=/usr/bin/i686-w64-mingw32-windres
  [g++-mingw-w64-x86-64-posix]=/usr/bin/x86_64-w64-mingw32-g++-posix
  [binutils-mingw-w64-x86-64]=/usr/bin/x86_64-w64-mingw32-windres
  [wine]=/usr/bin/wine
  [wine64]=/usr/lib/wine/wine64
  [wine32:i386]=/usr/lib/wine/wine
  [xvfb]=/usr/bin/Xvfb
  [xauth]=/usr/bin/xauth
  [imagemagick]=/usr/bin/convert-im6.q16
  [x11-apps]=/usr/bin/xwd
  [fonts-nanum]=/usr/share/fonts/truetype/nanum/NanumGothic.ttf
  [fonts-wine]=/usr/share/wine/fonts/tahoma.ttf
  [fp-utils]=/usr/bin/chmcmd
  [cmake]=/usr/bin/cmake
  [ninja-build]=/usr/bin/ninja
  [googletest]=/usr/src/googletest/CMakeLists.txt
  [nsis]=/usr/bin/makensis
  [python3]=/usr/bin/python3
  [openssl]=/usr/bin/openssl
  [osslsigncode]=/usr/bin/osslsigncode
  [python3-yaml]=/usr/lib/python3/dist-packages/yaml/__init__.py
)

# The tests read dates and texts as United States English shows them, under
# LC_ALL=en_US.UTF-8, which a fresh machine may not have generated.
has_us_locale() { locale -a 2>/dev/null | grep -qix 'en_US.utf-\{0,1\}8'; }

missing=()
for pkg in "${!wanted[@]}"; do
  [ -e "${wanted[$pkg]}" ] || missing+=("$pkg")
done
[ -e /usr/sbin/locale-gen ] || missing+=(locales)
if [ ${#missing[@]} -eq 0 ] && has_us_locale; then
  exit 0
fi

need_root "$@"
export DEBIAN_FRONTEND=noninteractive

if [ ${#missing[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi

  # The i386 index of the security suite sometimes fails to download ("Mirror
  # sync in progress"); a partial update is still usable with the main suite as
  # target release, so retry a few times and then go on.
  for attempt in 1 2 3; do
    if apt-get update -q; then break; fi
    echo "setup.sh: apt-get update failed (attempt $attempt), retrying" >&2
    sleep $((attempt * 5))
  done

  apt-get install -y -q --no-install-recommends -t bookworm "${missing[@]}"
fi

if ! has_us_locale; then
  sed -i 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -qx 'en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null || { echo "setup.sh: generating the en_US.UTF-8 locale failed" >&2; exit 1; }
fi
