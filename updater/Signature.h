// Checks of what the updater downloads, through CryptoAPI: the release
// manifest's RSA signature against the key built into the updater, and the
// SHA-256 of the downloaded installer.
#pragma once

#include "updater/ReleaseManifest.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vx::updater {

// An RSA-2048 signature is exactly this long.
inline constexpr std::size_t kSignatureSize = 256;

enum class SignatureCheck { Valid, Invalid, CannotVerify };

// RSA PKCS#1 v1.5 over SHA-256 of the message, with the signature in the
// byte order "openssl dgst -sha256 -sign" writes; the key is a DER
// SubjectPublicKeyInfo. CannotVerify when this system lacks what it takes.
SignatureCheck VerifySignature(std::string_view message, std::span<const std::uint8_t> signature,
                               std::span<const std::uint8_t> publicKeyDer) noexcept;

// The SHA-256 of a whole open file, read from its start through this handle.
std::optional<Sha256Digest> FileSha256(HANDLE file) noexcept;

} // namespace vx::updater
