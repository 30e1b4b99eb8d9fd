// Registry state for the engine tests: a known starting point at every
// catalogue location and in the settings key, and snapshots to compare.
#pragma once

#include "core/CustomRegistry.h"
#include "engine/TweakCatalogue.h"
#include "tests/support/TestSupport.h"

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// Readable failure messages for registry values.
void PrintTo(const RegValue& value, std::ostream* os);

namespace test {

RegValue Sz(const std::wstring& text);
RegValue ExpandSz(const std::wstring& text);
RegValue Dword(std::uint32_t number);
RegValue Qword(std::uint64_t number);
RegValue Binary(std::vector<BYTE> bytes);

// "absent", "REG_SZ "1"", "REG_DWORD 64", "REG_BINARY 00 00 00 00", ...
std::string Describe(const std::optional<RegValue>& value);

std::optional<RegValue> ReadLocation(int entryNumber);
void PutLocation(int entryNumber, const RegValue& value);
void DeleteLocation(int entryNumber);
std::optional<RegValue> ReadSetting(const std::wstring& name);
// Every value under the originals key, by name.
std::map<std::wstring, RegValue> ReadOriginals();
// Every value directly under a key below the settings root, by name.
std::map<std::wstring, RegValue> ReadValuesUnder(const wchar_t* keyPath);

// The settings key gone (with the originals below it) and all 34 locations empty.
void ClearEngineState();

// Known values the system "had" before any run, at a mix of locations,
// kinds and registry types; the others are absent.
struct SeedValue {
    int entry;
    RegValue value;
};
const std::vector<SeedValue>& SeedValues();
void Seed();

// Everything a run may change: the 34 locations, the settings values and the
// originals, keyed by one of the prefixes below and then the location's
// LocationKey, the settings value's name or the original's record name.
using Snapshot = std::map<std::wstring, std::optional<RegValue>>;
inline constexpr wchar_t kLocationPrefix[] = L"location ";
inline constexpr wchar_t kSettingPrefix[] = L"settings ";
inline constexpr wchar_t kOriginalPrefix[] = L"original ";
inline constexpr wchar_t kAbsentPrefix[] = L"absent ";
inline constexpr wchar_t kWrittenPrefix[] = L"written ";
// "location 04 HKLM\System\...\PriorityControl\|Win32PrioritySeparation"
std::wstring LocationKey(const TweakEntry& entry);
Snapshot TakeSnapshot();
// The 34 locations of a snapshot.
Snapshot LocationsOf(const Snapshot& all);

// Every value of HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER (both registry
// views), keyed by its full path; without the display devices that Wine
// records anew at every process start.
using RegistryDump = std::map<std::wstring, RegValue>;
RegistryDump DumpRegistry();
// "changed HKLM\...|name", "added ...", "removed ..." for every value that differs.
std::vector<std::string> DumpDifferences(const RegistryDump& before, const RegistryDump& after);

// A command-line run of the program of this build: its exit code (nothing when
// it did not end within the bound) and what it wrote to its standard handles.
// Fails the test when the process showed a window.
struct ModeRun {
    std::optional<DWORD> exitCode;
    std::string output;
};
ModeRun RunMode(const std::wstring& arguments, std::chrono::milliseconds bound = std::chrono::seconds(60));

// A key that cannot be created again once it is gone: below a volatile key,
// the registry refuses a lasting subkey. A restore that has to put back a value
// below it fails.
class UnwritableKey {
public:
    // The parent of the location's key ("\\System\\...") is made volatile; the key itself is gone.
    explicit UnwritableKey(std::wstring parentPath);
    ~UnwritableKey() { Release(); }
    UnwritableKey(const UnwritableKey&) = delete;
    UnwritableKey& operator=(const UnwritableKey&) = delete;

    bool Made() const { return made_; }
    void Release() { DeleteKeyTree(HKEY_LOCAL_MACHINE, parent_); }

private:
    std::wstring parent_;
    bool made_ = false;
};

} // namespace test
} // namespace vx
