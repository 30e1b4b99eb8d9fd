#include "core/Console.h"

#include "core/Handles.h"
#include "core/SystemLibrary.h"

#include <windows.h>

#include <string>

namespace vx {
namespace {

bool IsUsable(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool WriteWide(HANDLE handle, const std::wstring& text) {
    DWORD written = 0;
    return WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
}

// Redirected output is read by scripts: UTF-8 text.
void WriteBytes(HANDLE handle, const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// AttachConsole exists from Windows XP on.
bool AttachToParentConsole() {
    using AttachConsoleFunction = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto attach = kernel ? FunctionCast<AttachConsoleFunction>(GetProcAddress(kernel, "AttachConsole")) : nullptr;
    return attach && attach(ATTACH_PARENT_PROCESS);
}

struct AttachedConsole {
    ~AttachedConsole() { FreeConsole(); }
};

} // namespace

void WriteLineForParent(std::wstring_view line, ConsoleStream stream) noexcept {
    try {
        const std::wstring text = std::wstring(line) + L"\r\n";
        const HANDLE inherited = GetStdHandle(stream == ConsoleStream::Error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
        if (IsUsable(inherited)) {
            if (GetFileType(inherited) == FILE_TYPE_CHAR && WriteWide(inherited, text)) return;
            WriteBytes(inherited, text);
            return;
        }
        if (!AttachToParentConsole()) return;
        const AttachedConsole attached;
        HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
        if (console == INVALID_HANDLE_VALUE) return;
        const UniqueKernelHandle owned(console);
        // The prompt has already been written: start on a line of its own.
        WriteWide(console, L"\r\n" + text);
    } catch (...) {
    }
}

} // namespace vx
