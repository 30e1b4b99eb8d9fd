#include "tests/support/TestSupport.h"

#include "core/Constants.h"
#include "toolkit/Application.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace vx::test {

void DeleteKeyTree(HKEY root, std::wstring_view keyPath, bool use64BitView) {
    std::wstring path(keyPath);
    if (!path.empty() && path.front() == L'\\') path.erase(0, 1);
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    UniqueRegKey key;
    const REGSAM access = KEY_ALL_ACCESS | (use64BitView ? KEY_WOW64_64KEY : KEY_WOW64_32KEY);
    if (RegOpenKeyExW(root, path.c_str(), 0, access, key.put()) != ERROR_SUCCESS) return;
    RegDeleteTreeW(key.get(), nullptr);
    key.reset();
    const std::size_t slash = path.find_last_of(L'\\');
    const std::wstring parentPath = slash == std::wstring::npos ? L"" : path.substr(0, slash);
    const std::wstring leaf = slash == std::wstring::npos ? path : path.substr(slash + 1);
    UniqueRegKey parent;
    if (RegOpenKeyExW(root, parentPath.c_str(), 0, access, parent.put()) == ERROR_SUCCESS)
        RegDeleteKeyExW(parent.get(), leaf.c_str(), use64BitView ? KEY_WOW64_64KEY : KEY_WOW64_32KEY, 0);
}

void DeleteSettingsKey() {
    DeleteKeyTree(kSettingsRoot, kSettingsKey);
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
}

HWND WaitForWindow(std::wstring_view className, std::chrono::milliseconds timeout, HWND after) {
    HWND found = nullptr;
    const std::wstring name(className);
    WaitUntil([&] { return (found = FindWindowExW(nullptr, after, name.c_str(), nullptr)) != nullptr; }, timeout);
    return found;
}

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    return WaitUntil(
        [&] {
            ui::ProcessMessages();
            return condition();
        },
        timeout);
}

std::string Narrow(std::wstring_view text) {
    std::string result;
    for (wchar_t c : text) result += c < 0x80 ? static_cast<char>(c) : '?';
    return result;
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<size_t>(length > 0 ? length : 0));
}

bool IsOfClass(HWND window, std::wstring_view className) {
    const std::wstring name = ClassOf(window);
    return CompareStringOrdinal(name.data(), static_cast<int>(name.size()), className.data(),
                                static_cast<int>(className.size()), TRUE) == CSTR_EQUAL;
}

namespace {

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

} // namespace

std::vector<HWND> Descendants(HWND root) {
    std::vector<HWND> found;
    EnumChildWindows(root, &CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FindChild(HWND root, std::wstring_view className, std::wstring_view text) {
    for (HWND child : Descendants(root))
        if (IsOfClass(child, className) && WindowText(child) == text) return child;
    return nullptr;
}

std::wstring WindowsPathFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return {};
    std::wstring path = L"Z:";
    for (const char* c = value; *c; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return path;
}

std::wstring BuiltProgramPath() {
    return WindowsPathFromEnvironment("VELANTRIX_EXE");
}

std::unique_ptr<ui::ProgramWindows> OpenProgramWindows() {
    // A main window that closes ends the program's message loop; here the next one starts afresh.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    auto windows = std::make_unique<ui::ProgramWindows>();
    windows->Create();
    ui::ProcessMessages();
    return windows;
}

std::wstring ArtifactsFolder() {
    std::wstring folder = WindowsPathFromEnvironment("VELANTRIX_ARTIFACTS");
    if (folder.empty()) folder = TestFolder() + L"artifacts";
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder), ignored); // artifacts/<build>/ may be new
    return folder + L"\\";
}

std::wstring TestFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

TemporaryFolder::TemporaryFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        std::wstring candidate = std::wstring(base) + L"vxtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(GetTickCount() + attempt);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) path_ = candidate + L"\\";
    }
}

TemporaryFolder::~TemporaryFolder() {
    if (path_.empty()) return;
    std::wstring pattern = path_ + L"*";
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(pattern.c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((path_ + entry.cFileName).c_str());
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(path_.c_str());
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

std::wstring HelperProgramPath() {
    return TestFolder() + L"TestHelperProgram.exe";
}

std::wstring RunRecordOf(const std::wstring& program) {
    return program + L".ran.txt";
}

std::wstring ReadTextFile(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return std::wstring(bytes.begin(), bytes.end());
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Process::Process(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return;
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
}

Process::~Process() {
    Kill();
}

std::optional<DWORD> Process::WaitForExit(std::chrono::milliseconds timeout) {
    if (!process_) return std::nullopt;
    if (WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

void Process::Kill() {
    if (!process_) return;
    if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);
    }
    process_.reset();
}

HWND FindProcessWindow(DWORD processId, std::wstring_view className) {
    const std::wstring name(className);
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, name.c_str(), nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return window;
    }
    return nullptr;
}

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMessageBoxTextId = 0xFFFF;

// The last visible dialog window for which `wanted` holds, once there is one.
HWND WaitForDialog(const std::function<bool(HWND)>& wanted, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND candidate = FindWindowW(kDialogClass, nullptr); candidate;
                 candidate = FindWindowExW(nullptr, candidate, kDialogClass, nullptr))
                if (IsWindowVisible(candidate) && wanted(candidate)) found = candidate;
            return found != nullptr;
        },
        timeout);
    return found;
}

} // namespace

HWND WaitForOwnedMessageBox(HWND owner, std::chrono::milliseconds timeout) {
    return WaitForDialog([owner](HWND box) { return GetWindow(box, GW_OWNER) == owner; }, timeout);
}

HWND WaitForProcessMessageBox(DWORD processId, HWND except, std::chrono::milliseconds timeout) {
    return WaitForDialog(
        [processId, except](HWND box) {
            DWORD owningProcess = 0;
            GetWindowThreadProcessId(box, &owningProcess);
            return owningProcess == processId && box != except && GetDlgItem(box, kMessageBoxTextId) != nullptr;
        },
        timeout);
}

void AnswerMessageBox(HWND box, int button) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    WaitUntil([&] { return !IsWindow(box); }, std::chrono::seconds(10));
}

std::wstring SetupPath() {
    return WindowsPathFromEnvironment("VELANTRIX_SETUP");
}

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH]{};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::vector<std::wstring> ModulesOf(DWORD processId) {
    std::vector<std::wstring> modules;
    const UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, processId));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return modules;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32FirstW(snapshot.get(), &entry); more; more = Module32NextW(snapshot.get(), &entry))
        modules.emplace_back(entry.szExePath);
    return modules;
}

std::wstring LoadedModulePath(DWORD processId, std::wstring_view fileName) {
    const std::wstring wanted(fileName);
    for (const std::wstring& path : ModulesOf(processId)) {
        const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
        if (CompareStringOrdinal(name.c_str(), -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL) return path;
    }
    return {};
}

namespace {
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";
} // namespace

PrefixDpi::PrefixDpi(int dpi) : previous_(ReadRegRaw(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, false)) {
    WriteRegInteger(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, dpi, false);
}

PrefixDpi::~PrefixDpi() {
    if (previous_) WriteRegRaw(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, *previous_, false);
    else DeleteRegValue(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, false);
}

} // namespace vx::test
