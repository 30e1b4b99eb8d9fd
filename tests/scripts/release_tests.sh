#!/usr/bin/env bash
# scripts/release.sh, given setup programs already built: it writes release
# information that verifies with the built-in public key and names both
# setup programs with their sizes and hashes, and package manifests whose
# hashes are those of the setup programs and whose "Add or Remove Programs"
# entry is the one a silent install of this build's setup program writes;
# it refuses a signing key whose public half the updater does not hold and a
# certificate that is not for code signing. The next version's setup program
# of this build, signed as a release signs, verifies against the test
# authority alone, and so do the programs and the uninstaller it installs.
# Uses throwaway keys and certificates; installs into the test run's prefix.
# Usage: release_tests.sh BUILD SETUP NEXT_SETUP CERTIFICATE_DIR
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
arch=${1:?usage: release_tests.sh BUILD SETUP NEXT_SETUP CERTIFICATE_DIR}
setup=${2:?} next_setup=${3:?} certs=${4:?}
work=$(mktemp -d /tmp/velantrix-release-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

version=$(sed -n 's/^#define VX_VERSION_\(MAJOR\|MINOR\|RELEASE\|BUILD\) \([0-9]*\)$/\2/p' "$root/core/Version.h" | paste -sd.)
for name in release other; do
  openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/$name.pem" 2>/dev/null
done
openssl pkey -in "$work/release.pem" -pubout -outform DER -out "$work/release.der"
# This build's real setup program, and a stand-in for the other build's.
mkdir -p "$work/dist"
other=$([ "$arch" = x86 ] && echo x64 || echo x86)
setup_file() { echo "$work/dist/VelantrixSetup-$version$([ "$1" = x64 ] && echo -x64 || true).exe"; }
cp "$setup" "$(setup_file "$arch")"
head -c 7000 /dev/urandom >"$(setup_file "$other")"
run() {
  VELANTRIX_RELEASE_SKIP_BUILD=1 VELANTRIX_RELEASE_KEY="$work/release.der" VELANTRIX_DIST_DIR="$work/dist" \
    bash "$root/scripts/release.sh" "$@"
}

run "$work/other.pem" >/dev/null 2>&1 && fail "a key the updater does not hold was accepted"
[ -e "$work/dist/release.txt" ] && fail "release information was written with the wrong key"
VELANTRIX_CODESIGN_PKCS12="$certs/plain.p12" VELANTRIX_CODESIGN_PASSWORD_FILE="$certs/password" VELANTRIX_TIMESTAMP=none \
  run "$work/release.pem" >/dev/null 2>"$work/err" && fail "a certificate without the code-signing usage was accepted"
grep -q 'not for code signing' "$work/err" || fail "the refused certificate was not named: $(cat "$work/err")"
VELANTRIX_CODESIGN_PKCS12="$certs/codesign.p12" VELANTRIX_CODESIGN_PASSWORD_FILE="$certs/password" \
  run "$work/release.pem" >/dev/null 2>&1 && fail "a certificate was accepted with no time-stamp server and no VELANTRIX_TIMESTAMP=none"
[ -e "$work/dist/release.txt" ] && fail "release information was written with a refused certificate"
VELANTRIX_CODESIGN_PKCS12="$certs/codesign.p12" VELANTRIX_CODESIGN_PASSWORD_FILE="$certs/password" VELANTRIX_TIMESTAMP=none \
  run "$work/release.pem" >"$work/out" 2>&1 || fail "release.sh refused the code-signing certificate: $(cat "$work/out")"
grep -q 'Velantrix Test Publisher, without a time stamp' "$work/out" || fail "the signer was not named: $(cat "$work/out")"
grep -qF "$(cat "$certs/password")" "$work/out" && fail "the certificate's password was printed"

run "$work/release.pem" >"$work/out" 2>"$work/err" || fail "release.sh failed: $(cat "$work/err")"
[ "$(grep -c 'stay unsigned' "$work/out")" = 1 ] || fail "an unsigned release did not say so once: $(cat "$work/out")"
manifest=$work/dist/release.txt
openssl dgst -sha256 -verify <(openssl pkey -pubin -inform DER -in "$work/release.der") \
  -signature "$manifest.sig" "$manifest" >/dev/null || fail "the signature does not verify"
[ "$(stat -c %s "$manifest.sig")" = 256 ] || fail "the signature is not 256 bytes"
expected="product=velantrix
version=$version"
for build in x86 x64; do
  file=$(setup_file "$build")
  expected+="
$build=${file##*/}
$build-size=$(stat -c %s "$file")
$build-sha256=$(sha256sum "$file" | cut -d' ' -f1)"
done
[ "$(cat "$manifest")" = "$expected" ] || fail "unexpected release information: $(cat "$manifest")"
# Another key's public half does not verify it.
openssl dgst -sha256 -verify <(openssl pkey -in "$work/other.pem" -pubout) -signature "$manifest.sig" "$manifest" \
  >/dev/null 2>&1 && fail "the signature verifies with another key"
grep -q 'PRIVATE' "$manifest" "$manifest.sig" && fail "key material in the release files"

# The package manifests: each parses, claims the type its schema line names,
# holds what that type requires, with versions and hashes as text; the
# installers' hashes are the setup programs'. Prints this build's
# "Add or Remove Programs" entry.
python3 - "$work/dist" "$version" "$arch" >"$work/entry" 2>"$work/err" <<'EOF' || fail "package manifests: $(cat "$work/err")"
import hashlib, os, re, sys, yaml
dist, version, arch = sys.argv[1:]
folder = os.path.join(dist, "winget", version)
required = {
    "version": ["DefaultLocale"],
    "defaultLocale": ["PackageLocale", "Publisher", "PackageName", "License", "ShortDescription"],
    "locale": ["PackageLocale"],
    "installer": ["Installers"],
}
names = {"TOLVEN.Velantrix.yaml": "version", "TOLVEN.Velantrix.installer.yaml": "installer",
         "TOLVEN.Velantrix.locale.en-US.yaml": "defaultLocale", "TOLVEN.Velantrix.locale.ko-KR.yaml": "locale"}
assert sorted(os.listdir(folder)) == sorted(names), os.listdir(folder)
for name, kind in names.items():
    text = open(os.path.join(folder, name), encoding="utf-8").read()
    schema = re.match(r"# yaml-language-server: \$schema=https://aka\.ms/winget-manifest\.(\w+)\.1\.10\.0\.schema\.json\n", text)
    assert schema and schema.group(1) == kind, f"{name}: schema line {text.splitlines()[0]}"
    m = yaml.safe_load(text)
    assert m["ManifestType"] == kind and m["ManifestVersion"] == "1.10.0", f"{name}: {m['ManifestType']} {m['ManifestVersion']}"
    assert m["PackageIdentifier"] == "TOLVEN.Velantrix" and m["PackageVersion"] == version, name
    for field in required[kind]:
        assert m.get(field), f"{name} has no {field}"
    for field, value in m.items():
        assert isinstance(value, (str, list, dict)), f"{name}: {field} is {type(value).__name__}"
    if kind in ("defaultLocale", "locale"):
        assert m["PackageLocale"] == name.split(".")[-2], name
        for field in ("PublisherUrl", "PublisherSupportUrl", "PackageUrl"):
            assert re.match(r"^https?://", m[field]), f"{name}: {field}"
    if kind == "installer":
        assert (m["InstallerType"], m["Scope"], m["ElevationRequirement"]) == ("nullsoft", "machine", "elevatesSelf")
        assert m["InstallerSwitches"] == {"Silent": "/S", "SilentWithProgress": "/S", "InstallLocation": "/D=<INSTALLPATH>"}
        assert [i["Architecture"] for i in m["Installers"]] == ["x86", "x64"]
        for installer in m["Installers"]:
            setup = "VelantrixSetup-" + version + ("-x64" if installer["Architecture"] == "x64" else "") + ".exe"
            assert installer["InstallerUrl"] == "http://www.tolven.com/downloads/velantrix/" + setup
            digest = hashlib.sha256(open(os.path.join(dist, setup), "rb").read()).hexdigest()
            assert re.fullmatch(r"[0-9A-F]{64}", installer["InstallerSha256"]), installer["InstallerSha256"]
            assert installer["InstallerSha256"].lower() == digest, f"{setup}: the hash is not the setup program's"
            [entry] = installer["AppsAndFeaturesEntries"]
            assert all(isinstance(v, str) for v in entry.values()), entry
            if installer["Architecture"] == arch:
                for field in ("ProductCode", "DisplayName", "Publisher", "DisplayVersion"):
                    print(f"{field}={entry[field]}")
EOF

# What a silent install of this build's setup program writes into its Uninstall key (in its own registry view,
# which the build's own loader's reg.exe sees).
source "$root/scripts/wine-env.sh"
vx_use_arch "$arch" || exit 1
export WINEPREFIX=${VELANTRIX_TEST_PREFIX:?run the tests through scripts/test.sh}
folder='C:\VelantrixReleaseTest'
installed=$WINEPREFIX/drive_c/VelantrixReleaseTest
"$VX_WINE" "$setup" /S "/D=$folder" || fail "the silent install of $setup failed"
product_code=$(sed -n 's/^ProductCode=//p' "$work/entry")
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\${product_code:-none}"
registry_entry() {
  "$VX_WINE" reg query "$uninstall_key" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *\(DisplayName\|Publisher\|DisplayVersion\) *REG_SZ *\(.*\)$/\1=\2/p' | sort
}
[ "$(registry_entry)" = "$(grep -v '^ProductCode=' "$work/entry" | sort)" ] ||
  fail "the package manifest's entry ($(cat "$work/entry" | paste -sd' ')) is not the installed one ($(registry_entry | paste -sd' '))"

# The signed setup program of the next version, installed over it: every file verifies against the test
# authority and names the test certificate; one changed byte does not.
leaf=sha256:$(openssl x509 -in "$certs/codesign.crt" -outform DER | sha256sum | cut -d' ' -f1)
verify() { osslsigncode verify -CAfile "$certs/ca.crt" -require-leaf-hash "$leaf" -in "$1" >/dev/null 2>&1; }
verify "$next_setup" || fail "the signed setup program does not verify: $next_setup"
"$VX_WINE" "$next_setup" /S "/D=$folder" || fail "the silent install of the signed setup program failed"
for file in Velantrix.exe VelantrixUpdate.exe Uninstall.exe; do
  verify "$installed/$file" || fail "the installed $file does not verify"
done
python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); b[len(b) // 2] ^= 1; open(sys.argv[2], "wb").write(b)' \
  "$installed/Velantrix.exe" "$work/changed.exe"
verify "$work/changed.exe" && fail "a signed program with one byte changed verifies"
# The signed uninstaller still runs (from a copy outside the folder, which waits) and removes everything.
cp "$installed/Uninstall.exe" "$work/Uninstall.exe"
"$VX_WINE" "$work/Uninstall.exe" /S "_?=$folder" || fail "the signed uninstaller failed"
[ -e "$installed/Velantrix.exe" ] && fail "the signed uninstaller left the program"
"$VX_WINE" reg query "$uninstall_key" >/dev/null 2>&1 && fail "the signed uninstaller left the Uninstall key"
rm -rf "$installed"

# A time-stamp server that fails stops the signing, and nothing signed or unsigned is left under the name.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
VELANTRIX_CODESIGN_PKCS12="$certs/codesign.p12" VELANTRIX_CODESIGN_PASSWORD_FILE="$certs/password" \
  VELANTRIX_TIMESTAMP_URL="http://127.0.0.1:$port/" bash "$root/scripts/codesign.sh" "Velantrix Setup" "$setup" \
  "$work/signed.exe" 2>"$work/err" && fail "signing went on with a failing time-stamp server"
[ -e "$work/signed.exe" ] && fail "a failed signing left a file under the name"
grep -q "time stamp from http://127.0.0.1:$port/" "$work/err" || fail "the failing server was not named: $(cat "$work/err")"

# No private key anywhere in the repository.
git -C "$root" grep -l -e '-----BEGIN [A-Z ]*PRIVATE KEY-----' >/dev/null && fail "a private key is committed"

[ "$failures" -eq 0 ] && echo "release tests passed"
exit $((failures > 0))
