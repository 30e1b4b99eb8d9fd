// GetTickCount64 for Windows 2000 and XP, whose kernel32 lacks it.
//
// The program's own waits use the 32-bit count (core/Ticks.h), but the mingw
// thread library, linked in statically, calls GetTickCount64 through an import;
// a program importing it does not start on XP at all. This file defines that
// import slot itself, so the linker takes no kernel32 import for the name: the
// slot leads to Windows' own function where there is one, else to a 64-bit
// count made from the 32-bit one. Compiled into each shipped program (not into
// a library, where the linker could pass it over).
#if defined(__MINGW32__)

#include <windows.h>

#include <atomic>

namespace {

using TickCount64Function = ULONGLONG(WINAPI*)();

// Constant-initialised (no guard, no lock): the thread library calls in here
// from its own waits, even during start-up.
std::atomic<bool> lookedUp{false};
std::atomic<TickCount64Function> systemFunction{nullptr};
// The wraps of the 32-bit count seen so far (high half) and its last reading (low half).
std::atomic<unsigned long long> lastCount{0};

// Counts a wrap each time a reading is below the last one; a wrap passes
// unseen only if no call at all falls within 49.7 days, far longer than any
// wait the programs make.
ULONGLONG ExtendedTickCount() noexcept {
    unsigned long long seen = lastCount.load();
    for (;;) {
        const DWORD now = GetTickCount();
        unsigned long long wraps = seen & 0xFFFFFFFF00000000ull;
        if (now < static_cast<DWORD>(seen)) wraps += 0x100000000ull;
        const unsigned long long next = wraps | now;
        if (lastCount.compare_exchange_weak(seen, next)) return next;
    }
}

ULONGLONG WINAPI TickCount64() noexcept {
    if (!lookedUp.load(std::memory_order_acquire)) {
        // Two threads may both look it up; they find the same answer.
        const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        systemFunction.store(kernel ? reinterpret_cast<TickCount64Function>(
                                          reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount64")))
                                    : nullptr);
        lookedUp.store(true, std::memory_order_release);
    }
    const TickCount64Function system = systemFunction.load();
    return system ? system() : ExtendedTickCount();
}

} // namespace

// The import slot as the compiler names it for callers of the imported function.
#if defined(_WIN64)
#define VX_TICK_COUNT64_SLOT "__imp_GetTickCount64"
#else
#define VX_TICK_COUNT64_SLOT "__imp__GetTickCount64@0"
#endif
extern "C" {
extern TickCount64Function vxTickCount64Slot __asm__(VX_TICK_COUNT64_SLOT);
__attribute__((used)) TickCount64Function vxTickCount64Slot = TickCount64;
}

#endif
