// The requests the program hands to Windows outside its own windows: opening a
// document or web address, starting a program, showing a help topic and
// restarting Windows. Each is fire-and-forget: it passes the request on, never
// waits for it, and swallows every failure, so the caller cannot tell success
// from failure.
#pragma once

#include "core/Handles.h"
#include "core/SystemLibrary.h"

#include <windows.h>

#include <string>
#include <utility>

namespace vx {

// The window that owns whatever the shell shows for OpenFile and OpenUrl (its
// error or security prompts): the toolkit's top-level application window. The
// toolkit sets it once that window exists; until then, or after it is gone, the
// shell gets no owner.
void SetShellOwnerWindow(HWND window) noexcept;
HWND ShellOwnerWindow() noexcept;

// Opens a document with its registered handler ("open", shown normally).
void OpenFile(const std::wstring& file, const std::wstring& parameters) noexcept;
// Starts a program with the parameters, with no owner window; the program
// inherits the caller's current directory.
void RunProgram(const std::wstring& file, const std::wstring& parameters) noexcept;
// Opens a web address (or a document) in its handler, normally the default browser.
void OpenUrl(const std::wstring& address) noexcept;
// Shows the topic of the compiled help file in the program folder, in the
// file's "HelpWindow" window type, owned by no window of the program.
void OpenHelpTopic(const std::wstring& helpFile, const std::wstring& topic) noexcept;

// The shell call behind OpenFile, RunProgram and OpenUrl. Tests put their own
// in to see requests that Windows itself drops (a document that does not
// exist); null puts ShellExecuteW back.
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND owner, const wchar_t* verb, const wchar_t* file,
                                                const wchar_t* parameters, const wchar_t* directory, INT show);
void SetShellExecuteFunction(ShellExecuteFunction function) noexcept;

// Enables or disables the shutdown privilege in the process's token.
void SetShutdownPrivilege(bool enable) noexcept;
// Asks Windows to restart at once, closing other programs without asking them.
void RestartWindows() noexcept;

// The help path handed to the HTML Help viewer:
// folder + file + "::" + topic + ">HelpWindow".
std::wstring HelpPath(const std::wstring& folder, const std::wstring& helpFile, const std::wstring& topic);

using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data);

// The HTML Help control library, loaded on first use and then kept until the
// end. A failed load is tried again at the next use; a library that loads but
// lacks either HtmlHelpA or HtmlHelpW is kept, and no request goes to it.
class HtmlHelpLibrary {
public:
    // The library of the Windows system folder. Another folder and file are for
    // the tests alone.
    explicit HtmlHelpLibrary(std::wstring folder = {}, std::wstring fileName = kFileName)
        : library_(std::move(fileName), std::move(folder)) {}

    // The HtmlHelpW entry point, or null when the library is unusable.
    HtmlHelpFunction Function() noexcept;

    HMODULE Module() const noexcept { return library_.Loaded(); }
    int Loads() const noexcept { return library_.Loads(); }       // successful loads, at most one
    int Attempts() const noexcept { return library_.Attempts(); } // loads tried

    // The program's one instance, kept for the life of the process.
    static HtmlHelpLibrary& Instance();

    static constexpr wchar_t kFileName[] = L"hhctrl.ocx";

private:
    SystemLibrary library_;
};

// The calls into Windows that a restart makes. RestartWindows uses the real
// ones; the tests pass their own, since a real restart request ends every
// process they could observe it from.
struct RestartCalls {
    BOOL(WINAPI* openProcessToken)(HANDLE process, DWORD access, HANDLE* token) = ::OpenProcessToken;
    BOOL(WINAPI* exitWindows)(UINT flags, DWORD reason) = ::ExitWindowsEx;
};
void SetShutdownPrivilegeWith(bool enable, const RestartCalls& calls) noexcept;
void RestartWindowsWith(const RestartCalls& calls) noexcept;

} // namespace vx
