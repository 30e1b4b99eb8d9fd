// Helpers shared by the test programs: registry clean-up, polling for
// windows and conditions, reading windows, starting and ending real processes.
#pragma once

#include "ui/ProgramWindows.h"

#include "core/CustomRegistry.h"
#include "core/Handles.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx::test {

using namespace std::chrono_literals;

// Deletes a key with everything below it, in the 32-bit view the program uses
// (or the 64-bit view when asked). A missing key is fine.
void DeleteKeyTree(HKEY root, std::wstring_view keyPath, bool use64BitView = false);
// The settings key, gone: every test that needs a clean program state starts here.
void DeleteSettingsKey();

// Polls every 50 ms until the condition holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
// A top-level window of the class, waiting for it to appear.
HWND WaitForWindow(std::wstring_view className, std::chrono::milliseconds timeout, HWND after = nullptr);

// Polls like WaitUntil, dispatching this thread's pending messages (as the program's own loop does)
// before each look.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// The program's windows wired and created as start-up does it, the main window
// shown, after clearing the quit message that an earlier main window left.
std::unique_ptr<ui::ProgramWindows> OpenProgramWindows();

// Wide text for failure messages (characters past ASCII as '?').
std::string Narrow(std::wstring_view text);
// A window's text and its class name, read from its window (of this or another process).
std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);
// Whether the window is of the class, letter case aside.
bool IsOfClass(HWND window, std::wstring_view className);
// Every window below the root, at any depth.
std::vector<HWND> Descendants(HWND root);
// The first window below the root (at any depth) of the class with exactly the text.
HWND FindChild(HWND root, std::wstring_view className, std::wstring_view text);

// A Linux path handed to the tests in the environment, as a Windows path (drive Z:).
std::wstring WindowsPathFromEnvironment(const char* name);
// The setup program of this build (VELANTRIX_SETUP).
std::wstring SetupPath();
// A shell folder (a CSIDL_ number), without a trailing backslash.
std::wstring ShellFolder(int csidl);
// The setup's Add/Remove Programs entry, in the build's own registry view.
inline constexpr bool kOwnView64 = sizeof(void*) == 8;
inline constexpr wchar_t kUninstallKey[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velantrix";
std::wstring BuiltProgramPath(); // Velantrix.exe of this build
std::wstring ArtifactsFolder();  // where screenshots and printouts go, ending in a backslash
std::wstring TestFolder();       // the folder of the running test program, ending in a backslash

// A fresh empty folder under the system's temporary folder, removed at the end of the scope.
// Sets the test prefix's display dpi (HKCU\Control Panel\Desktop LogPixels) for the programs
// started from now on, each of which reads it once at its start; puts the old value back at the end.
class PrefixDpi {
public:
    explicit PrefixDpi(int dpi);
    ~PrefixDpi();
    PrefixDpi(const PrefixDpi&) = delete;
    PrefixDpi& operator=(const PrefixDpi&) = delete;

private:
    std::optional<RegValue> previous_;
};

class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::wstring& Path() const { return path_; } // ends in a backslash
private:
    std::wstring path_;
};

bool CopyFileTo(const std::wstring& from, const std::wstring& to);
// The stand-in program built beside the tests. Copied under another name (the updater, the program, a
// document viewer), it records that it ran, with its command line, in RunRecordOf(its path).
std::wstring HelperProgramPath();
std::wstring RunRecordOf(const std::wstring& program);
std::wstring ReadTextFile(const std::wstring& path); // UTF-8 or ANSI text as it is, widened byte by byte
bool FileExists(const std::wstring& path);

// A started process, ended (killed) at the end of the scope if it still runs.
class Process {
public:
    Process() = default;
    Process(const std::wstring& program, const std::wstring& arguments);
    ~Process();
    Process(Process&&) = default;
    Process& operator=(Process&&) = default;

    bool Started() const { return static_cast<bool>(process_); }
    DWORD Id() const { return id_; }
    // The exit code once the process has ended within the time, or nothing.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout);
    void Kill();

private:
    UniqueKernelHandle process_;
    DWORD id_ = 0;
};

// The top-level window of the class that belongs to the process.
HWND FindProcessWindow(DWORD processId, std::wstring_view className);
// A visible message box owned by `owner`, once it is there; null after the timeout.
HWND WaitForOwnedMessageBox(HWND owner, std::chrono::milliseconds timeout);
// A visible message box of the process (any but `except`), once it is there.
HWND WaitForProcessMessageBox(DWORD processId, HWND except, std::chrono::milliseconds timeout);
// Presses the box's button and waits until the box is gone.
void AnswerMessageBox(HWND box, int button);
// The full paths of the modules loaded in another process of this build's bitness.
std::vector<std::wstring> ModulesOf(DWORD processId);
// The path of that process's module of the file name (letter case ignored), or empty.
std::wstring LoadedModulePath(DWORD processId, std::wstring_view fileName);
inline bool HasModule(DWORD processId, std::wstring_view fileName) {
    return !LoadedModulePath(processId, fileName).empty();
}

} // namespace vx::test
