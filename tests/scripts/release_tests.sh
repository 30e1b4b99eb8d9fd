#!/usr/bin/env bash
# scripts/release.sh, given setup programs already built: it writes release
# information that verifies with the built-in public key and names both
# setup programs with their sizes and hashes, and it refuses a signing key
# whose public half the updater does not hold. Uses throwaway keys.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/velantrix-release-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

version=$(sed -n 's/^#define VX_VERSION_\(MAJOR\|MINOR\|RELEASE\|BUILD\) \([0-9]*\)$/\2/p' "$root/core/Version.h" | paste -sd.)
for name in release other; do
  openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/$name.pem" 2>/dev/null
done
openssl pkey -in "$work/release.pem" -pubout -outform DER -out "$work/release.der"
mkdir -p "$work/dist"
head -c 5000 /dev/urandom >"$work/dist/VelantrixSetup-$version.exe"
head -c 7000 /dev/urandom >"$work/dist/VelantrixSetup-$version-x64.exe"
run() {
  VELANTRIX_RELEASE_SKIP_BUILD=1 VELANTRIX_RELEASE_KEY="$work/release.der" VELANTRIX_DIST_DIR="$work/dist" \
    bash "$root/scripts/release.sh" "$@"
}

run "$work/other.pem" >/dev/null 2>&1 && fail "a key the updater does not hold was accepted"
[ -e "$work/dist/release.txt" ] && fail "release information was written with the wrong key"

run "$work/release.pem" >/dev/null 2>"$work/err" || fail "release.sh failed: $(cat "$work/err")"
manifest=$work/dist/release.txt
openssl dgst -sha256 -verify <(openssl pkey -pubin -inform DER -in "$work/release.der") \
  -signature "$manifest.sig" "$manifest" >/dev/null || fail "the signature does not verify"
[ "$(stat -c %s "$manifest.sig")" = 256 ] || fail "the signature is not 256 bytes"
expected="product=velantrix
version=$version
x86=VelantrixSetup-$version.exe
x86-size=5000
x86-sha256=$(sha256sum "$work/dist/VelantrixSetup-$version.exe" | cut -d' ' -f1)
x64=VelantrixSetup-$version-x64.exe
x64-size=7000
x64-sha256=$(sha256sum "$work/dist/VelantrixSetup-$version-x64.exe" | cut -d' ' -f1)"
[ "$(cat "$manifest")" = "$expected" ] || fail "unexpected release information: $(cat "$manifest")"
# Another key's public half does not verify it.
openssl dgst -sha256 -verify <(openssl pkey -in "$work/other.pem" -pubout) -signature "$manifest.sig" "$manifest" \
  >/dev/null 2>&1 && fail "the signature verifies with another key"
grep -q 'PRIVATE' "$manifest" "$manifest.sig" && fail "key material in the release files"

# No private key anywhere in the repository.
if git -C "$root" ls-files | xargs -r grep -l -- '-----BEGIN .*PRIVATE KEY-----' 2>/dev/null | grep -q .; then
  fail "a private key is committed"
fi

[ "$failures" -eq 0 ] && echo "release tests passed"
exit $((failures > 0))
