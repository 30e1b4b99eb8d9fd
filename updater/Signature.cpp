#include "updater/Signature.h"

#include "core/SystemLibrary.h"
#include "updater/CryptoHandles.h"

#include <algorithm>
#include <vector>

namespace vx::updater {

namespace {

// crypt32.dll is no known DLL: it comes from the system folder, on first use.
SystemLibrary& Crypt32Library() noexcept {
    static SystemLibrary library(L"crypt32.dll");
    return library;
}

UniqueCryptKey ImportPublicKey(HCRYPTPROV provider, std::span<const std::uint8_t> der) noexcept {
    const auto decodeObject = Crypt32Library().Find<decltype(&::CryptDecodeObjectEx)>("CryptDecodeObjectEx");
    const auto importKeyInfo = Crypt32Library().Find<decltype(&::CryptImportPublicKeyInfo)>("CryptImportPublicKeyInfo");
    if (!decodeObject || !importKeyInfo) return {};
    UniqueLocalMemory decoded;
    DWORD size = 0;
    HLOCAL memory = nullptr;
    if (!decodeObject(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, der.data(), static_cast<DWORD>(der.size()),
                      CRYPT_DECODE_ALLOC_FLAG, nullptr, &memory, &size))
        return {};
    decoded.reset(memory);
    auto* info = static_cast<CERT_PUBLIC_KEY_INFO*>(decoded.get());
    UniqueCryptKey key;
    if (!importKeyInfo(provider, X509_ASN_ENCODING, info, key.put())) return {};
    return key;
}

} // namespace

SignatureCheck VerifySignature(std::string_view message, std::span<const std::uint8_t> signature,
                               std::span<const std::uint8_t> publicKeyDer) noexcept {
    if (signature.size() != kSignatureSize) return SignatureCheck::Invalid;
    const UniqueCryptProvider provider = AcquireAesProvider();
    if (!provider) return SignatureCheck::CannotVerify;
    const UniqueCryptKey key = ImportPublicKey(provider.get(), publicKeyDer);
    if (!key) return SignatureCheck::CannotVerify;
    UniqueCryptHash hash;
    if (!CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, hash.put())) return SignatureCheck::CannotVerify;
    if (!CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(message.data()), static_cast<DWORD>(message.size()),
                       0))
        return SignatureCheck::CannotVerify;
    // CryptoAPI reads the signature as a little-endian number.
    std::vector<BYTE> reversed(signature.rbegin(), signature.rend());
    // With the key and the hash in hand, every refusal is the signature's
    // fault: a wrong padding (NTE_BAD_SIGNATURE) or a value the key's modulus
    // cannot hold, as a signature made with another key may be (NTE_BAD_DATA).
    return CryptVerifySignatureW(hash.get(), reversed.data(), static_cast<DWORD>(reversed.size()), key.get(), nullptr,
                                 0)
               ? SignatureCheck::Valid
               : SignatureCheck::Invalid;
}

std::optional<Sha256Digest> FileSha256(HANDLE file) noexcept {
    const UniqueCryptProvider provider = AcquireAesProvider();
    if (!provider) return std::nullopt;
    UniqueCryptHash hash;
    if (!CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, hash.put())) return std::nullopt;
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return std::nullopt;
    std::vector<BYTE> buffer(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        if (!CryptHashData(hash.get(), buffer.data(), got, 0)) return std::nullopt;
    }
    Sha256Digest digest{};
    DWORD size = static_cast<DWORD>(digest.size());
    if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest.data(), &size, 0) || size != digest.size())
        return std::nullopt;
    return digest;
}

} // namespace vx::updater
