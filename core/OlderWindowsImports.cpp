// Imports of the mingw runtime that Windows 2000 or XP lack.
//
// The program's own code looks such functions up at run time, but the mingw
// thread library, linked in statically, calls a few through imports, and a
// program with an import its Windows lacks does not start at all: GetTickCount64
// (Vista), AddVectoredExceptionHandler and RemoveVectoredExceptionHandler (XP).
// This file defines those import slots itself, so the linker takes no kernel32
// import for the names: each slot leads to Windows' own function where there is
// one, else to a stand-in. Compiled into each shipped program (not into a
// library, where the linker could pass it over).
#if defined(__MINGW32__)

#include <windows.h>

#include <atomic>

namespace {

// kernel32's export of that name, or null. Looked up at each call of a slot
// that has no answer yet: the thread library calls in from its start-up, before
// any of the program's own initialisation may have run.
template <typename Function> Function KernelExport(const char* name) noexcept {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name))) : nullptr;
}

// One function of kernel32, found once. Constant-initialised (no guard, no
// lock); two threads may both look it up, and they find the same answer.
template <typename Function> class KernelFunction {
public:
    Function Get(const char* name) noexcept {
        if (!lookedUp_.load(std::memory_order_acquire)) {
            function_.store(KernelExport<Function>(name));
            lookedUp_.store(true, std::memory_order_release);
        }
        return function_.load();
    }

private:
    std::atomic<bool> lookedUp_{false};
    std::atomic<Function> function_{nullptr};
};

using TickCount64Function = ULONGLONG(WINAPI*)();
using AddHandlerFunction = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
using RemoveHandlerFunction = ULONG(WINAPI*)(PVOID);

KernelFunction<TickCount64Function> systemTickCount64;
KernelFunction<AddHandlerFunction> systemAddHandler;
KernelFunction<RemoveHandlerFunction> systemRemoveHandler;

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
    const TickCount64Function system = systemTickCount64.Get("GetTickCount64");
    return system ? system() : ExtendedTickCount();
}

// Without vectored handling (Windows 2000) no handler is added; the thread
// library takes a null handle as "none" and only names threads for a debugger
// with it.
PVOID WINAPI AddHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler) noexcept {
    const AddHandlerFunction system = systemAddHandler.Get("AddVectoredExceptionHandler");
    return system ? system(first, handler) : nullptr;
}

ULONG WINAPI RemoveHandler(PVOID handle) noexcept {
    const RemoveHandlerFunction system = systemRemoveHandler.Get("RemoveVectoredExceptionHandler");
    return system && handle ? system(handle) : 0;
}

} // namespace

// The import slots as the compiler names them for callers of the imported functions.
#if defined(_WIN64)
#define VX_IMPORT_SLOT(name, stackBytes) "__imp_" #name
#else
#define VX_IMPORT_SLOT(name, stackBytes) "__imp__" #name "@" #stackBytes
#endif
extern "C" {
extern TickCount64Function vxTickCount64Slot __asm__(VX_IMPORT_SLOT(GetTickCount64, 0));
__attribute__((used)) TickCount64Function vxTickCount64Slot = TickCount64;
extern AddHandlerFunction vxAddHandlerSlot __asm__(VX_IMPORT_SLOT(AddVectoredExceptionHandler, 8));
__attribute__((used)) AddHandlerFunction vxAddHandlerSlot = AddHandler;
extern RemoveHandlerFunction vxRemoveHandlerSlot __asm__(VX_IMPORT_SLOT(RemoveVectoredExceptionHandler, 4));
__attribute__((used)) RemoveHandlerFunction vxRemoveHandlerSlot = RemoveHandler;
}

#endif
