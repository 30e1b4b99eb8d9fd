// A stand-in for the setup program in the updater's tests, served to the
// updater as the downloaded installer. When run it records its command line
// in the test key, tries to change and to delete its own file (the updater
// must hold it against both), sets the settings value "Updated" as the real installer
// does, and exits with the code the test stored for it (0 by default).
#include <windows.h>

namespace {
constexpr wchar_t kTestKey[] = L"Software\\TOLVEN\\VelantrixTests\\InstallerStandIn";
constexpr wchar_t kSettingsKey[] = L"Software\\TOLVEN\\Velantrix";
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    HKEY key = nullptr;
    DWORD exitCode = 0;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        const wchar_t* commandLine = GetCommandLineW();
        RegSetValueExW(key, L"CommandLine", 0, REG_SZ, reinterpret_cast<const BYTE*>(commandLine),
                       static_cast<DWORD>((lstrlenW(commandLine) + 1) * sizeof(wchar_t)));
        // The updater holds the file it runs: neither a write nor a delete may get through.
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        const HANDLE writer = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
        const DWORD writable = writer != INVALID_HANDLE_VALUE;
        if (writable) CloseHandle(writer);
        const DWORD deletable = DeleteFileW(path) != FALSE;
        RegSetValueExW(key, L"Writable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&writable), sizeof writable);
        RegSetValueExW(key, L"Deletable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&deletable), sizeof deletable);
        DWORD size = sizeof exitCode;
        RegQueryValueExW(key, L"ExitCode", nullptr, nullptr, reinterpret_cast<BYTE*>(&exitCode), &size);
        RegCloseKey(key);
    }
    if (exitCode == 0 && RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY,
                                         nullptr, &key, nullptr) == ERROR_SUCCESS) {
        const DWORD updated = 1;
        RegSetValueExW(key, L"Updated", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&updated), sizeof updated);
        RegCloseKey(key);
    }
    return static_cast<int>(exitCode);
}
