#!/usr/bin/env bash
# Builds both setup programs and the signed release information the updater
# fetches: dist/release.txt and dist/release.txt.sig (RSA-2048, PKCS#1 v1.5
# over SHA-256 of the file's exact bytes). Upload all four files, unchanged,
# to http://www.tolven.com/downloads/velantrix/. It also writes the package
# manifests of the Windows Package Manager into dist/winget/<version>/.
# Usage: scripts/release.sh SIGNING_KEY.pem
# The private key stays wherever the caller keeps it; it is refused when its
# public half is not the one built into the updater (resources/ReleaseKey.der,
# or the file VELANTRIX_RELEASE_KEY names).
# With VELANTRIX_CODESIGN_PKCS12 (and its password file and time-stamp choice,
# see scripts/codesign.sh) the programs, the uninstallers and the setup
# programs carry Authenticode signatures of that certificate; without it they
# stay unsigned.
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

# The certificate is checked before anything is built: a release takes minutes.
codesign=OFF
if [ -n "${VELANTRIX_CODESIGN_PKCS12:-}" ]; then
  signer=$(bash "$root/scripts/codesign.sh" --check) || exit 1
  echo "release.sh: $signer"
  codesign=ON
else
  echo "release.sh: no code-signing certificate (VELANTRIX_CODESIGN_PKCS12): the programs and setup programs stay unsigned"
fi

setup_name() { echo "VelantrixSetup-$version$([ "$1" = x64 ] && echo -x64 || true).exe"; }

# VELANTRIX_RELEASE_SKIP_BUILD=1 signs the setup programs already in the dist folder (the tests do this).
if [ "${VELANTRIX_RELEASE_SKIP_BUILD:-0}" != 1 ]; then
  # Made anew, so that no earlier build's setup program (unsigned, or signed by another certificate) is
  # released, and a release that fails leaves nothing that names setup programs it did not make.
  for arch in x86 x64; do rm -f "$dist/$(setup_name "$arch")"; done
  rm -rf "$dist/release.txt" "$dist/release.txt.sig" "$dist/winget/$version"
  for arch in x86 x64; do
    bash "$root/scripts/build.sh" "$arch" "${VELANTRIX_RELEASE_BUILD_DIR:-$root/build/release}-$arch" \
      -DVELANTRIX_TESTS=OFF -DVELANTRIX_RELEASE_KEY="$built_in" -DVELANTRIX_DIST_DIR="$dist" \
      -DVELANTRIX_CODESIGN="$codesign"
  done
fi

manifest=$dist/release.txt
{
  echo "product=velantrix"
  echo "version=$version"
  for arch in x86 x64; do
    file=$(setup_name "$arch")
    [ -f "$dist/$file" ] || { echo "release.sh: the $arch setup program $dist/$file was not built" >&2; exit 1; }
    echo "$arch=$file"
    echo "$arch-size=$(stat -c %s "$dist/$file")"
    echo "$arch-sha256=$(sha256sum "$dist/$file" | cut -d' ' -f1)"
  done
} >"$manifest.new"
openssl dgst -sha256 -sign "$key" -out "$manifest.sig.new" "$manifest.new"
openssl dgst -sha256 -verify <(openssl pkey -pubin -inform DER -in "$built_in") -signature "$manifest.sig.new" \
  "$manifest.new" >/dev/null

# The Windows Package Manager's manifests (schema 1.10.0), from what the
# program and its setup already say of themselves. Every text is quoted.
quote() { printf "'%s'" "${1//\'/\'\'}"; }
define() { sed -n "s/^!define $1 \"\\(.*\\)\"\$/\\1/p" "$root/installer/Velantrix.nsi"; }
constant() { sed -n "s/^inline constexpr wchar_t $1\\[\\] = L\"\\([^\"]*\\)\";\$/\\1/p" "$root/core/Constants.h"; }
caption() { sed -n "s/^$2, $3, \"\\(.*\\)\"\$/\\1/p" "$root/resources/captions/$1.txt"; }
name=$(define VX_NAME)
publisher=$(define VX_PUBLISHER)
product_code=$(define VX_UNINSTALL_KEY)
product_code=${product_code##*\\}
home=$(constant kVendorHomeUrl)
support=$(constant kVendorSupportUrl)
downloads=http://$(constant kVendorHost)$(sed -n 's/^constexpr wchar_t kReleaseFolder\[\] = L"\([^"]*\)";$/\1/p' "$root/updater/UpdaterMain.cpp")
licence=$(sed -n 's/.*{\\title \([^}]*\)}.*/\1/p' "$root/resources/License.rtf")
for value in name publisher product_code home support downloads licence; do
  [ -n "${!value}" ] || { echo "release.sh: the sources name no $value for the package manifests" >&2; exit 1; }
done
package=$publisher.$name
winget=$dist/winget/$version
rm -rf "$winget.new"
mkdir -p "$winget.new"
header() {
  echo "# yaml-language-server: \$schema=https://aka.ms/winget-manifest.$1.1.10.0.schema.json"
  echo
  echo "PackageIdentifier: $package"
  echo "PackageVersion: $(quote "$version")"
}
footer() {
  echo "ManifestType: $1"
  echo "ManifestVersion: 1.10.0"
}
{
  header version
  echo "DefaultLocale: en-US"
  footer version
} >"$winget.new/$package.yaml"
{
  header installer
  echo "InstallerType: nullsoft"
  echo "Scope: machine"
  echo "InstallModes:"
  printf '  - %s\n' interactive silent silentWithProgress
  echo "InstallerSwitches:"
  echo "  Silent: '/S'"
  echo "  SilentWithProgress: '/S'"
  echo "  InstallLocation: '/D=<INSTALLPATH>'"
  echo "ElevationRequirement: elevatesSelf"
  echo "UpgradeBehavior: install"
  # The setup's own exit codes: 1 cancelled, 2 stopped because Velantrix would not close.
  echo "ExpectedReturnCodes:"
  echo "  - InstallerReturnCode: 1"
  echo "    ReturnResponse: cancelledByUser"
  echo "  - InstallerReturnCode: 2"
  echo "    ReturnResponse: packageInUse"
  echo "ProductCode: $(quote "$product_code")"
  echo "Installers:"
  for arch in x86 x64; do
    file=$(setup_name "$arch")
    echo "  - Architecture: $arch"
    echo "    InstallerUrl: $(quote "$downloads$file")"
    echo "    InstallerSha256: $(quote "$(sha256sum "$dist/$file" | cut -d' ' -f1 | tr a-f A-F)")"
    # The entry of "Add or Remove Programs", as the setup writes its Uninstall key.
    echo "    AppsAndFeaturesEntries:"
    echo "      - DisplayName: $(quote "$name")"
    echo "        Publisher: $(quote "$publisher")"
    echo "        DisplayVersion: $(quote "$version")"
    echo "        ProductCode: $(quote "$product_code")"
  done
  footer installer
} >"$winget.new/$package.installer.yaml"
locale() {
  local language=$1 locale=$2 type=$3 title
  title=$(caption "$language" VXMainForm VXMainForm)
  header "$type"
  echo "PackageLocale: $locale"
  echo "Publisher: $(quote "$publisher")"
  echo "PublisherUrl: $(quote "$home")"
  echo "PublisherSupportUrl: $(quote "$support")"
  echo "Author: $(quote "$publisher")"
  echo "PackageName: $(quote "$name")"
  echo "PackageUrl: $(quote "$home")"
  [ "$type" = defaultLocale ] && echo "License: $(quote "$licence")"
  echo "Copyright: $(quote "$(caption "$language" VXAboutForm CopyrightLabel)")"
  echo "ShortDescription: $(quote "${title#"$name - "}")"
  echo "Description: $(quote "$(caption "$language" VXMainForm BenefitsDescription)")"
  [ "$type" = defaultLocale ] && echo "Moniker: $(quote "${name,,}")"
  footer "$type"
}
locale english en-US defaultLocale >"$winget.new/$package.locale.en-US.yaml"
locale korean ko-KR locale >"$winget.new/$package.locale.ko-KR.yaml"

mv "$manifest.new" "$manifest"
mv "$manifest.sig.new" "$manifest.sig"
rm -rf "$winget"
mv "$winget.new" "$winget"
echo "release.sh: $manifest and $manifest.sig for version $version, and the package manifests in $winget"
