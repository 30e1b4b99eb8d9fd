// A library planted beside a program under the name of a system library, as an
// attacker would plant one. It exports nothing; if a process ever loads it, it
// records that in a file beside itself named after it plus ".ran.txt", with the
// command line of the process that loaded it, and the tests fail on that file.
#include <windows.h>

#include <string>

namespace {

void RecordTheLoad(HINSTANCE module) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::wstring record = std::wstring(path, length) + L".ran.txt";
    const wchar_t* commandLine = GetCommandLineW();
    const HANDLE file =
        CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, commandLine, static_cast<DWORD>(lstrlenW(commandLine) * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) RecordTheLoad(module);
    return TRUE;
}
