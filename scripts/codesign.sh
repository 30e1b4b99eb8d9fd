#!/usr/bin/env bash
# Authenticode signatures (SHA-256, osslsigncode) with the vendor's code-signing
# certificate, named by the environment:
#   VELANTRIX_CODESIGN_PKCS12         the certificate with its private key (PKCS#12)
#   VELANTRIX_CODESIGN_PASSWORD_FILE  a file holding its password; only its name is
#                                     ever passed on, never the password
#   VELANTRIX_TIMESTAMP_URL           an RFC 3161 time-stamp server, or
#   VELANTRIX_TIMESTAMP=none          no time stamp (the signature then ends with the certificate)
# Usage: codesign.sh --check
#          checks the certificate and prints one line naming it and the time stamp
#        codesign.sh DESCRIPTION FILE [OUT]
#          signs FILE into OUT (FILE itself by default). OUT appears only signed:
#          a failed signing leaves it as it was, or absent.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "codesign.sh: $*" >&2; exit 1; }

pkcs12=${VELANTRIX_CODESIGN_PKCS12:-}
password=${VELANTRIX_CODESIGN_PASSWORD_FILE:-}
[ -n "$pkcs12" ] || fail "VELANTRIX_CODESIGN_PKCS12 names no certificate"
[ -r "$pkcs12" ] || fail "cannot read the certificate $pkcs12"
[ -n "$password" ] && [ -r "$password" ] ||
  fail "VELANTRIX_CODESIGN_PASSWORD_FILE names no readable password file"
command -v osslsigncode >/dev/null || fail "osslsigncode is missing (run scripts/setup.sh)"

timestamp=()
if [ -n "${VELANTRIX_TIMESTAMP_URL:-}" ]; then
  timestamp=(-ts "$VELANTRIX_TIMESTAMP_URL")
elif [ "${VELANTRIX_TIMESTAMP:-}" != none ]; then
  fail "name a time-stamp server in VELANTRIX_TIMESTAMP_URL, or set VELANTRIX_TIMESTAMP=none to sign without one"
fi

# The certificate of the key (not the authorities bundled with it). Older
# PKCS#12 files (RC2, 3DES) need OpenSSL's legacy algorithms.
leaf() {
  openssl pkcs12 -in "$pkcs12" -passin "file:$password" -clcerts -nokeys 2>/dev/null ||
    openssl pkcs12 -legacy -in "$pkcs12" -passin "file:$password" -clcerts -nokeys 2>/dev/null
}

if [ "${1:-}" = --check ]; then
  certificate=$(leaf) || fail "$pkcs12 does not open with the password in $password"
  subject=$(openssl x509 -noout -subject -nameopt oneline <<<"$certificate" | sed 's/^subject= *//')
  openssl x509 -noout -ext extendedKeyUsage <<<"$certificate" 2>/dev/null | grep -q 'Code Signing' ||
    fail "the certificate $subject is not for code signing (no code-signing extended key usage)"
  openssl x509 -noout -checkend 0 <<<"$certificate" >/dev/null || fail "the certificate $subject has expired"
  if [ ${#timestamp[@]} -gt 0 ]; then
    echo "signing as $subject, time-stamped by $VELANTRIX_TIMESTAMP_URL"
  else
    echo "signing as $subject, without a time stamp (VELANTRIX_TIMESTAMP=none)"
  fi
  exit 0
fi

description=${1:?usage: codesign.sh --check | codesign.sh DESCRIPTION FILE [OUT]}
in=${2:?usage: codesign.sh DESCRIPTION FILE [OUT]}
out=${3:-$in}
[ -f "$in" ] || fail "no file $in to sign"
home=$(sed -n 's/^inline constexpr wchar_t kVendorHomeUrl\[\] = L"\([^"]*\)";$/\1/p' "$root/core/Constants.h")
[ -n "$home" ] || fail "no vendor address in core/Constants.h"

# osslsigncode writes a new file; it takes the place of OUT only once it is signed.
new=$(mktemp "$out.XXXXXX")
log=$(mktemp /tmp/velantrix-codesign.XXXXXX)
trap 'rm -f "$new" "$log"' EXIT
rm -f "$new"
if ! osslsigncode sign -pkcs12 "$pkcs12" -readpass "$password" -h sha256 -n "$description" -i "$home" \
  "${timestamp[@]}" -in "$in" -out "$new" >"$log" 2>&1; then
  # Its first line that says why (osslsigncode 2.5 writes it to standard output, later versions to standard error).
  reason=$(grep -m1 -iE 'failure|failed .|error|wrong' "$log" || true)
  fail "signing $in failed${timestamp:+ (time stamp from $VELANTRIX_TIMESTAMP_URL)}: $reason"
fi
chmod --reference="$in" "$new"
mv "$new" "$out"
