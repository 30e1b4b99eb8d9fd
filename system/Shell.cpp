#include "system/Shell.h"

#include "core/CommandLine.h"
#include "core/SystemLibrary.h"

#include <shellapi.h>

namespace vx {

namespace {

constexpr wchar_t kOpenVerb[] = L"open";
constexpr wchar_t kHelpWindowType[] = L">HelpWindow";
constexpr wchar_t kShutdownPrivilegeName[] = L"SeShutdownPrivilege";
constexpr UINT kHelpDisplayTopic = 0; // HH_DISPLAY_TOPIC
constexpr UINT kRestartFlags = EWX_REBOOT | EWX_FORCE;
constexpr DWORD kRestartReason = 0;

HWND g_shellOwner = nullptr;
ShellExecuteFunction g_shellExecute = nullptr;

const wchar_t* OptionalText(const std::wstring& text) noexcept {
    return text.empty() ? nullptr : text.c_str();
}

// The shell is loaded when the program first opens something, not at every
// start: it is a large library that most runs never need.
ShellExecuteFunction SystemShellExecute() noexcept {
    static SystemLibrary shell(L"shell32.dll");
    return shell.Find<ShellExecuteFunction>("ShellExecuteW");
}

void ShellOpen(HWND owner, const std::wstring& file, const wchar_t* parameters) noexcept {
    const ShellExecuteFunction shellExecute = g_shellExecute ? g_shellExecute : SystemShellExecute();
    if (shellExecute) shellExecute(owner, kOpenVerb, file.c_str(), parameters, nullptr, SW_SHOW);
}

} // namespace

void SetShellExecuteFunction(ShellExecuteFunction function) noexcept {
    g_shellExecute = function;
}

void SetShellOwnerWindow(HWND window) noexcept {
    g_shellOwner = window;
}

HWND ShellOwnerWindow() noexcept {
    // A window destroyed since it was set must not be handed to the shell.
    return g_shellOwner && IsWindow(g_shellOwner) ? g_shellOwner : nullptr;
}

void OpenFile(const std::wstring& file, const std::wstring& parameters) noexcept {
    ShellOpen(ShellOwnerWindow(), file, OptionalText(parameters));
}

void RunProgram(const std::wstring& file, const std::wstring& parameters) noexcept {
    ShellOpen(nullptr, file, OptionalText(parameters));
}

void OpenUrl(const std::wstring& address) noexcept {
    ShellOpen(ShellOwnerWindow(), address, nullptr);
}

std::wstring HelpPath(const std::wstring& folder, const std::wstring& helpFile, const std::wstring& topic) {
    return folder + helpFile + L"::" + topic + kHelpWindowType;
}

HtmlHelpFunction HtmlHelpLibrary::Function() noexcept {
    const HMODULE module = library_.Module();
    if (!module || !GetProcAddress(module, "HtmlHelpA")) return nullptr;
    return FunctionCast<HtmlHelpFunction>(GetProcAddress(module, "HtmlHelpW"));
}

HtmlHelpLibrary& HtmlHelpLibrary::Instance() {
    static HtmlHelpLibrary library;
    return library;
}

void OpenHelpTopic(const std::wstring& helpFile, const std::wstring& topic) noexcept {
    try {
        const HtmlHelpFunction htmlHelp = HtmlHelpLibrary::Instance().Function();
        if (!htmlHelp) return;
        // Without the program folder the help file would be looked up relative to
        // the current directory, where anyone could have put one.
        const std::wstring folder = ProgramFolder();
        if (folder.empty()) return;
        const std::wstring path = HelpPath(folder, helpFile, topic);
        htmlHelp(GetDesktopWindow(), path.c_str(), kHelpDisplayTopic, 0);
    } catch (...) {
    }
}

void SetShutdownPrivilegeWith(bool enable, const RestartCalls& calls) noexcept {
    UniqueKernelHandle token;
    if (!calls.openProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    if (!LookupPrivilegeValueW(nullptr, kShutdownPrivilegeName, &privileges.Privileges[0].Luid)) return;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

void SetShutdownPrivilege(bool enable) noexcept {
    SetShutdownPrivilegeWith(enable, RestartCalls{});
}

void RestartWindowsWith(const RestartCalls& calls) noexcept {
    // The request goes out whether or not the privilege could be enabled:
    // Windows decides, and a refusal leaves the program running as before.
    SetShutdownPrivilegeWith(true, calls);
    calls.exitWindows(kRestartFlags, kRestartReason);
    SetShutdownPrivilegeWith(false, calls);
}

void RestartWindows() noexcept {
    RestartWindowsWith(RestartCalls{});
}

} // namespace vx
