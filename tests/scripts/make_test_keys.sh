#!/usr/bin/env bash
# Makes the throwaway key pairs of one test build in DIR: "release" (its
# public half is built into the updater under test) and "other" (a key the
# updater must refuse). Each private key is also written as a CryptoAPI
# private key blob, which the test program imports to sign release files.
# A new pair on every build: no test ever depends on a key kept anywhere.
set -euo pipefail
dir=${1:?usage: make_test_keys.sh DIR}
mkdir -p "$dir"
for name in release other; do
  openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$dir/$name.pem.new" 2>/dev/null
  openssl rsa -in "$dir/$name.pem.new" -outform MSBLOB -out "$dir/$name.blob" 2>/dev/null
  openssl pkey -in "$dir/$name.pem.new" -pubout -outform DER -out "$dir/$name.der.new"
  mv "$dir/$name.pem.new" "$dir/$name.pem"
  mv "$dir/$name.der.new" "$dir/$name.der"
done

# Release information for this version as the release script signs it, over
# two stand-in setup programs: the updater under test must accept its signature.
root=$(cd "$(dirname "$0")/../.." && pwd)
version=$(sed -n 's/^#define VX_VERSION_\(MAJOR\|MINOR\|RELEASE\|BUILD\) \([0-9]*\)$/\2/p' "$root/core/Version.h" | paste -sd.)
rm -rf "$dir/dist"
mkdir -p "$dir/dist"
head -c 3000 /dev/urandom >"$dir/dist/VelantrixSetup-$version.exe"
head -c 3000 /dev/urandom >"$dir/dist/VelantrixSetup-$version-x64.exe"
VELANTRIX_RELEASE_SKIP_BUILD=1 VELANTRIX_RELEASE_KEY="$dir/release.der" VELANTRIX_DIST_DIR="$dir/dist" \
  bash "$root/scripts/release.sh" "$dir/release.pem" >/dev/null
