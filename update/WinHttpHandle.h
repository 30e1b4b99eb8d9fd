// Owner of a WinHTTP handle (session, connection or request). Kept apart from
// core/Handles.h so that only the update check sees winhttp.h.
#pragma once

#include "core/Handles.h"

#include <windows.h>
#include <winhttp.h>

namespace vx {

struct WinHttpHandleTraits {
    using Handle = HINTERNET;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { WinHttpCloseHandle(h); }
};

using UniqueWinHttpHandle = UniqueHandle<WinHttpHandleTraits>;

} // namespace vx
