// The WinHTTP library and the owner of its handles (session, connection or
// request). Kept apart from core/Handles.h so that only the update check sees
// winhttp.h.
#pragma once

#include "core/Handles.h"
#include "core/SystemLibrary.h"

#include <windows.h>
#include <winhttp.h>

namespace vx {

// winhttp.dll of the system folder, loaded at the first update check.
SystemLibrary& WinHttpLibrary() noexcept;

struct WinHttpHandleTraits {
    using Handle = HINTERNET;
    static Handle empty() noexcept { return nullptr; }
    // A handle exists only once the library has loaded, so the lookup finds it.
    static void close(Handle h) noexcept {
        if (const auto closeHandle = WinHttpLibrary().Find<decltype(&::WinHttpCloseHandle)>("WinHttpCloseHandle"))
            closeHandle(h);
    }
};

using UniqueWinHttpHandle = UniqueHandle<WinHttpHandleTraits>;

} // namespace vx
