#!/usr/bin/env bash
# Makes a throwaway certificate authority and, signed by it, the certificates
# the signing tests use, in DIR:
#   ca.crt             the authority, the only one a verification trusts
#   codesign.p12       "Velantrix Test Publisher", with the code-signing usage
#   codesign.crt       its certificate alone, which a verification requires of the signer
#   plain.p12          a certificate of the same authority without it
#   password           the password of both PKCS#12 files
# New ones for every build folder: no test depends on a key kept anywhere. They
# stay valid for years, so that a build folder kept for long still verifies.
set -euo pipefail
dir=${1:?usage: make_test_certificate.sh DIR}
mkdir -p "$dir"
work=$(mktemp -d "$dir/.new.XXXXXX")
trap 'rm -rf "$work"' EXIT

openssl rand -hex 16 >"$work/password"
openssl req -x509 -new -newkey rsa:3072 -nodes -keyout "$work/ca.key" -out "$work/ca.crt" -days 3650 \
  -subj "/O=Velantrix Tests/CN=Velantrix Test Authority" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
leaf() {
  local name=$1 subject=$2 usage=$3
  openssl req -new -newkey rsa:2048 -nodes -keyout "$work/$name.key" -out "$work/$name.csr" -subj "$subject" 2>/dev/null
  printf 'basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature\n%s' "$usage" >"$work/$name.ext"
  openssl x509 -req -in "$work/$name.csr" -CA "$work/ca.crt" -CAkey "$work/ca.key" -CAcreateserial -days 3650 \
    -extfile "$work/$name.ext" -out "$work/$name.crt" 2>/dev/null
  openssl pkcs12 -export -inkey "$work/$name.key" -in "$work/$name.crt" -certfile "$work/ca.crt" \
    -passout "file:$work/password" -out "$work/$name.p12"
}
leaf codesign "/O=TOLVEN/CN=Velantrix Test Publisher" "extendedKeyUsage=codeSigning"
leaf plain "/O=TOLVEN/CN=Velantrix Test Server" "extendedKeyUsage=serverAuth"
for file in ca.crt codesign.crt codesign.p12 plain.p12 password; do mv "$work/$file" "$dir/$file"; done
