#include "tests/support/EngineState.h"

#include "core/Constants.h"
#include "core/Handles.h"
#include "core/Settings.h"
#include "engine/TweakRuns.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace vx {

void PrintTo(const RegValue& value, std::ostream* os) {
    *os << test::Describe(value);
}

namespace test {
namespace {

std::string TextOf(const std::vector<BYTE>& data) {
    std::wstring text(data.size() / 2, L'\0');
    if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * 2);
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return Narrow(text);
}

std::string Hex(const std::vector<BYTE>& data) {
    std::string result;
    char byte[4];
    for (BYTE b : data) {
        std::snprintf(byte, sizeof(byte), "%02X", b);
        if (!result.empty()) result.push_back(' ');
        result.append(byte);
    }
    return result.empty() ? "(no bytes)" : result;
}

// The prefix's own values at the catalogue locations, put back when the program ends.
class CatalogueGuard : public ::testing::Environment {
public:
    void SetUp() override {
        for (const TweakEntry& entry : TweakCatalogue()) saved_.push_back(ReadLocation(entry.number));
    }
    void TearDown() override {
        ClearEngineState();
        for (const TweakEntry& entry : TweakCatalogue())
            if (const auto& value = saved_[static_cast<std::size_t>(entry.number - 1)])
                PutLocation(entry.number, *value);
    }

private:
    std::vector<std::optional<RegValue>> saved_;
};

[[maybe_unused]] ::testing::Environment* const kGuard = ::testing::AddGlobalTestEnvironment(new CatalogueGuard);

} // namespace

RegValue Sz(const std::wstring& text) {
    RegValue value{REG_SZ, std::vector<BYTE>((text.size() + 1) * 2)};
    std::memcpy(value.data.data(), text.c_str(), value.data.size());
    return value;
}

RegValue ExpandSz(const std::wstring& text) {
    RegValue value = Sz(text);
    value.type = REG_EXPAND_SZ;
    return value;
}

RegValue Dword(std::uint32_t number) {
    RegValue value{REG_DWORD, std::vector<BYTE>(4)};
    std::memcpy(value.data.data(), &number, 4);
    return value;
}

RegValue Qword(std::uint64_t number) {
    RegValue value{REG_QWORD, std::vector<BYTE>(8)};
    std::memcpy(value.data.data(), &number, 8);
    return value;
}

RegValue Binary(std::vector<BYTE> bytes) {
    return RegValue{REG_BINARY, std::move(bytes)};
}

std::string Describe(const std::optional<RegValue>& value) {
    if (!value) return "absent";
    switch (value->type) {
    case REG_SZ:
        return "REG_SZ \"" + TextOf(value->data) + "\"";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ \"" + TextOf(value->data) + "\"";
    case REG_DWORD:
        if (value->data.size() == 4) {
            std::uint32_t number = 0;
            std::memcpy(&number, value->data.data(), 4);
            return "REG_DWORD " + std::to_string(number);
        }
        return "REG_DWORD of " + std::to_string(value->data.size()) + " bytes: " + Hex(value->data);
    case REG_BINARY:
        return "REG_BINARY " + Hex(value->data);
    case REG_QWORD:
        if (value->data.size() == 8) {
            std::uint64_t number = 0;
            std::memcpy(&number, value->data.data(), 8);
            return "REG_QWORD " + std::to_string(number);
        }
        return "REG_QWORD of " + std::to_string(value->data.size()) + " bytes: " + Hex(value->data);
    default:
        return "type " + std::to_string(value->type) + ": " + Hex(value->data);
    }
}

std::optional<RegValue> ReadLocation(int entryNumber) {
    const TweakEntry& entry = Tweak(entryNumber);
    return ReadRegRaw(entry.root, entry.keyPath, entry.valueName, false);
}

void PutLocation(int entryNumber, const RegValue& value) {
    const TweakEntry& entry = Tweak(entryNumber);
    WriteRegRaw(entry.root, entry.keyPath, entry.valueName, value, false);
}

void DeleteLocation(int entryNumber) {
    const TweakEntry& entry = Tweak(entryNumber);
    DeleteRegValue(entry.root, entry.keyPath, entry.valueName, false);
}

std::optional<RegValue> ReadSetting(const std::wstring& name) {
    return ReadRegRaw(kSettingsRoot, kSettingsKey, name, false);
}

std::map<std::wstring, RegValue> ReadOriginals() {
    return ReadValuesUnder(kOriginalsKey);
}

std::map<std::wstring, RegValue> ReadValuesUnder(const wchar_t* keyPath) {
    std::map<std::wstring, RegValue> values;
    std::wstring path = keyPath;
    path = path.substr(1, path.size() - 2);
    UniqueRegKey key;
    // The settings key lies in the 32-bit view, for the 64-bit build too.
    if (RegOpenKeyExW(kSettingsRoot, path.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, key.put()) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[512];
        DWORD nameLength = 512;
        if (RegEnumValueW(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (auto value = ReadRegRaw(kSettingsRoot, keyPath, name, false)) values[name] = *value;
    }
    return values;
}

void ClearEngineState() {
    DeleteSettingsKey();
    for (const TweakEntry& entry : TweakCatalogue()) DeleteLocation(entry.number);
}

const std::vector<SeedValue>& SeedValues() {
    static const std::vector<SeedValue> seed = {
        {1, Sz(L"0")},    {2, Dword(1)},       {5, Dword(0)},
        {6, Dword(1)}, // SmoothScroll as a number, not the tuned binary
        {7, Sz(L"no")},   {15, Dword(0)},      {16, Dword(2)},
        {17, Dword(10)},  {19, Dword(300000)}, {21, Dword(3)},
        {22, Dword(128)}, {28, Dword(65535)},  {31, ExpandSz(L"%x%")},
        {32, Dword(10)},  {33, Sz(L"N")},      {34, Qword(0x100000001ull)},
        {12, Binary({})}, // a value with no bytes at all
    };
    return seed;
}

void Seed() {
    for (const SeedValue& seed : SeedValues()) PutLocation(seed.entry, seed.value);
}

std::wstring LocationKey(const TweakEntry& entry) {
    const std::wstring root = entry.root == HKEY_CURRENT_USER ? L"HKCU" : L"HKLM";
    return std::wstring(kLocationPrefix) + (entry.number < 10 ? L"0" : L"") + std::to_wstring(entry.number) + L" " +
           root + std::wstring(entry.keyPath) + L"|" + std::wstring(entry.valueName);
}

Snapshot TakeSnapshot() {
    Snapshot snapshot;
    for (const TweakEntry& entry : TweakCatalogue()) {
        snapshot[LocationKey(entry)] = ReadLocation(entry.number);
        if (entry.backupDefault)
            snapshot[kSettingPrefix + std::wstring(entry.valueName)] = ReadSetting(std::wstring(entry.valueName));
    }
    for (const wchar_t* name :
         {settings::kRestore, settings::kInternetType, settings::kProcessorType, settings::kSpeedSetting})
        snapshot[kSettingPrefix + std::wstring(name)] = ReadSetting(name);
    for (const auto& [name, value] : ReadOriginals()) snapshot[kOriginalPrefix + name] = value;
    for (const auto& [name, value] : ReadValuesUnder(kAbsentOriginalsKey)) snapshot[kAbsentPrefix + name] = value;
    for (const auto& [name, value] : ReadValuesUnder(kWrittenKey)) snapshot[kWrittenPrefix + name] = value;
    return snapshot;
}

Snapshot LocationsOf(const Snapshot& all) {
    Snapshot locations;
    for (const auto& [key, value] : all)
        if (key.starts_with(kLocationPrefix)) locations[key] = value;
    return locations;
}

namespace {

// Where Wine's display driver records the display devices again whenever a
// process connects to the display (dates, device links, new adapter keys):
// it changes with every program started, whatever the program does.
bool RewrittenAtEveryProcessStart(const std::wstring& path) {
    static const wchar_t* const kDisplayDeviceKeys[] = {
        L"System\\CurrentControlSet\\Control\\Class",
        L"System\\CurrentControlSet\\Control\\Video",
        L"System\\CurrentControlSet\\Control\\DeviceClasses",
        L"System\\CurrentControlSet\\Control\\ServiceCurrent",
        L"System\\CurrentControlSet\\Enum\\DISPLAY",
        L"System\\CurrentControlSet\\Hardware Profiles\\Current\\System\\CurrentControlSet\\Control\\Video",
        L"Hardware\\DEVICEMAP\\VIDEO",
    };
    for (const wchar_t* key : kDisplayDeviceKeys)
        if (CompareStringOrdinal(path.c_str(), -1, key, -1, TRUE) == CSTR_EQUAL) return true;
    return false;
}

void DumpKey(HKEY root, const std::wstring& path, const std::wstring& prefix, std::map<std::wstring, RegValue>& dump) {
    if (root == HKEY_LOCAL_MACHINE && RewrittenAtEveryProcessStart(path)) return;
    UniqueRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS) return;
    std::vector<BYTE> data(1 << 16);
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384, type = 0, size = static_cast<DWORD>(data.size());
        const LONG status = RegEnumValueW(key.get(), index, name, &nameLength, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(size);
            --index;
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        dump[prefix + path + L"|" + name] = RegValue{type, std::vector<BYTE>(data.begin(), data.begin() + size)};
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        DumpKey(root, path.empty() ? name : path + L"\\" + name, prefix, dump);
    }
}

} // namespace

std::vector<std::string> DumpDifferences(const RegistryDump& before, const RegistryDump& after) {
    std::vector<std::string> differences;
    for (const auto& [name, value] : before) {
        const auto found = after.find(name);
        if (found == after.end()) differences.push_back("removed " + Narrow(name));
        else if (!(found->second == value))
            differences.push_back("changed " + Narrow(name) + ": " + Describe(value) + " to " +
                                  Describe(found->second));
    }
    for (const auto& [name, value] : after)
        if (!before.contains(name)) differences.push_back("added " + Narrow(name) + ": " + Describe(value));
    return differences;
}

RegistryDump DumpRegistry() {
    RegistryDump dump;
    // The 64-bit view shows the 32-bit one below Wow6432Node.
    DumpKey(HKEY_LOCAL_MACHINE, L"", L"HKLM\\", dump);
    DumpKey(HKEY_CURRENT_USER, L"", L"HKCU\\", dump);
    return dump;
}

namespace {

struct WindowSearch {
    DWORD processId;
    bool found = false;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) search->found = true;
    return !search->found;
}

// Whether the process has a visible top-level window.
bool ShowsWindow(DWORD processId) {
    WindowSearch search{processId};
    EnumWindows(&FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

ModeRun RunMode(const std::wstring& arguments, std::chrono::milliseconds bound) {
    ModeRun run;
    TemporaryFolder folder;
    const std::wstring outputPath = folder.Path() + L"output.txt";
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    UniqueKernelHandle output(CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          &inherit, CREATE_ALWAYS, 0, nullptr));
    if (output.get() == INVALID_HANDLE_VALUE) output.release();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output.get();
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + BuiltProgramPath() + L"\" " + arguments;
    if (!CreateProcessW(BuiltProgramPath().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &info)) {
        ADD_FAILURE() << "the program did not start";
        return run;
    }
    const UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    bool windowSeen = false;
    WaitUntil(
        [&] {
            windowSeen = windowSeen || ShowsWindow(info.dwProcessId);
            return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
        },
        bound);
    EXPECT_FALSE(windowSeen) << Narrow(arguments) << " showed a window";
    DWORD code = 0;
    if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0 && GetExitCodeProcess(process.get(), &code))
        run.exitCode = code;
    else {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
    }
    output.reset();
    const std::wstring text = ReadTextFile(outputPath);
    run.output.assign(text.begin(), text.end());
    DeleteFileW(outputPath.c_str());
    return run;
}

UnwritableKey::UnwritableKey(std::wstring parentPath) : parent_(std::move(parentPath)) {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, parent_);
    UniqueRegKey key;
    made_ = RegCreateKeyExW(HKEY_LOCAL_MACHINE, parent_.substr(1).c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, key.put(), nullptr) == ERROR_SUCCESS;
}

} // namespace test
} // namespace vx
