// Owners of CryptoAPI handles: a provider context, a key and a hash.
#pragma once

#include "core/Handles.h"

#include <windows.h>
#include <wincrypt.h>

namespace vx::updater {

struct CryptProviderTraits {
    using Handle = HCRYPTPROV;
    static Handle empty() noexcept { return 0; }
    static void close(Handle h) noexcept { CryptReleaseContext(h, 0); }
};
struct CryptKeyTraits {
    using Handle = HCRYPTKEY;
    static Handle empty() noexcept { return 0; }
    static void close(Handle h) noexcept { CryptDestroyKey(h); }
};
struct CryptHashTraits {
    using Handle = HCRYPTHASH;
    static Handle empty() noexcept { return 0; }
    static void close(Handle h) noexcept { CryptDestroyHash(h); }
};
// Memory that CryptDecodeObjectEx allocated with CRYPT_DECODE_ALLOC_FLAG.
using LocalMemoryTraits = NullHandleTraits<HLOCAL, &LocalFree>;

using UniqueCryptProvider = UniqueHandle<CryptProviderTraits>;
using UniqueCryptKey = UniqueHandle<CryptKeyTraits>;
using UniqueCryptHash = UniqueHandle<CryptHashTraits>;
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;

// A context for SHA-256 and RSA with no key container of its own.
inline UniqueCryptProvider AcquireAesProvider() noexcept {
    UniqueCryptProvider provider;
    if (!CryptAcquireContextW(provider.put(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return {};
    return provider;
}

} // namespace vx::updater
