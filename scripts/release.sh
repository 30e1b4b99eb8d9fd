#!/usr/bin/env bash
# Builds both setup programs and the signed release information the updater
# fetches: dist/release.txt and dist/release.txt.sig (RSA-2048, PKCS#1 v1.5
# over SHA-256 of the file's exact bytes). Upload all four files, unchanged,
# to http://www.tolven.com/downloads/velantrix/.
# Usage: scripts/release.sh SIGNING_KEY.pem
# The private key stays wherever the caller keeps it; it is refused when its
# public half is not the one built into the updater (resources/ReleaseKey.der,
# or the file VELANTRIX_RELEASE_KEY names).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
key=${1:?usage: release.sh SIGNING_KEY.pem}
[ -r "$key" ] || { echo "release.sh: cannot read the signing key $key" >&2; exit 1; }
built_in=${VELANTRIX_RELEASE_KEY:-$root/resources/ReleaseKey.der}
dist=${VELANTRIX_DIST_DIR:-$root/dist}

if ! cmp -s <(openssl pkey -in "$key" -pubout -outform DER 2>/dev/null) "$built_in"; then
  echo "release.sh: $key is not the key whose public half the updater holds ($built_in)" >&2
  exit 1
fi

version=$(sed -n 's/^#define VX_VERSION_\(MAJOR\|MINOR\|RELEASE\|BUILD\) \([0-9]*\)$/\2/p' "$root/core/Version.h" |
  paste -sd.)
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "release.sh: no version in core/Version.h" >&2; exit 1; }

# VELANTRIX_RELEASE_SKIP_BUILD=1 signs the setup programs already in the dist folder (the tests do this).
for arch in x86 x64; do
  [ "${VELANTRIX_RELEASE_SKIP_BUILD:-0}" = 1 ] && break
  bash "$root/scripts/build.sh" "$arch" "${VELANTRIX_RELEASE_BUILD_DIR:-$root/build/release}-$arch" \
    -DVELANTRIX_TESTS=OFF -DVELANTRIX_RELEASE_KEY="$built_in" -DVELANTRIX_DIST_DIR="$dist"
done

manifest=$dist/release.txt
{
  echo "product=velantrix"
  echo "version=$version"
  for arch in x86 x64; do
    suffix=$([ "$arch" = x64 ] && echo -x64 || true)
    file=VelantrixSetup-$version$suffix.exe
    [ -f "$dist/$file" ] || { echo "release.sh: the $arch setup program $dist/$file was not built" >&2; exit 1; }
    echo "$arch=$file"
    echo "$arch-size=$(stat -c %s "$dist/$file")"
    echo "$arch-sha256=$(sha256sum "$dist/$file" | cut -d' ' -f1)"
  done
} >"$manifest.new"
openssl dgst -sha256 -sign "$key" -out "$manifest.sig.new" "$manifest.new"
openssl dgst -sha256 -verify <(openssl pkey -pubin -inform DER -in "$built_in") -signature "$manifest.sig.new" \
  "$manifest.new" >/dev/null
mv "$manifest.new" "$manifest"
mv "$manifest.sig.new" "$manifest.sig"
echo "release.sh: $manifest and $manifest.sig for version $version"
