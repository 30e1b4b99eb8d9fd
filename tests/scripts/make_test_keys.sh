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
