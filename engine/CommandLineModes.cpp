#include "engine/CommandLineModes.h"

#include "core/Console.h"
#include "core/RunOnce.h"
#include "core/Settings.h"
#include "core/Text.h"
#include "system/WindowsVersion.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

namespace vx {
namespace {

// A name an administrator types for one item of a list, and that item's number.
struct OptionName {
    std::wstring_view name;
    int number;
};

// The WindowsCombo items (by item index); Windows 11 reports itself as 10,
// 8.1 counts as 8, and Windows 2000 is the list's "Server 2000".
constexpr OptionName kWindowsNames[] = {
    {L"11", 0}, {L"10", 0},         {L"8.1", 1},        {L"8", 1},          {L"7", 2},          {L"vista", 3},
    {L"xp", 4}, {L"server2012", 5}, {L"server2008", 6}, {L"server2003", 7}, {L"server2000", 8}, {L"2000", 8},
};
constexpr OptionName kProcessorNames[] = {{L"intel", 0}, {L"amd", 1}, {L"via", 2}};
// The ModemCombo items: "Cable | DSL | Wi-Fi", "Verizon FiOS | Wi-Fi", "Dial-up 56k", "Satellite",
// the telephones, "LTE | 4G | 3G | 2G | Edge Modem", "Local Area Network", "ISDN", "T1 | T3 | OC3 | OC12+".
constexpr OptionName kConnectionNames[] = {
    {L"cable", 0}, {L"dsl", 0},    {L"wifi", 0}, {L"fios", 1}, {L"dialup", 2}, {L"satellite", 3},
    {L"phone", 4}, {L"mobile", 5}, {L"lte", 5},  {L"lan", 6},  {L"isdn", 7},   {L"t1", 8},
};
constexpr OptionName kSpeedNames[] = {{L"boost", 0}, {L"max", 1}};

struct OptionKind {
    std::wstring_view name; // as typed before the "="
    std::span<const OptionName> values;
    std::optional<int> OptimiseOptions::*field;
};

const std::array<OptionKind, 4> kOptionKinds = {{
    {L"/windows", kWindowsNames, &OptimiseOptions::windowsItem},
    {L"/processor", kProcessorNames, &OptimiseOptions::processorType},
    {L"/connection", kConnectionNames, &OptimiseOptions::internetType},
    {L"/speed", kSpeedNames, &OptimiseOptions::speedSetting},
}};

constexpr int kSpeedMinimum = 0;
constexpr int kSpeedMaximum = 1;

std::optional<int> NumberOfName(std::span<const OptionName> names, std::wstring_view name) {
    for (const OptionName& candidate : names)
        if (EqualsIgnoreAsciiCase(candidate.name, name)) return candidate.number;
    return std::nullopt;
}

std::wstring Quoted(std::wstring_view text) {
    return L"\"" + std::wstring(text) + L"\"";
}

// "a|b|c", each name once.
std::wstring NameList(std::span<const OptionName> names) {
    std::wstring list;
    for (const OptionName& name : names) {
        if (!list.empty()) list += L'|';
        list += name.name;
    }
    return list;
}

// One option; gives the complaint about it, or "" when it is understood.
std::wstring ParseOption(const std::wstring& option, OptimiseOptions& parsed) {
    const std::size_t equals = option.find(L'=');
    const std::wstring_view name = std::wstring_view(option).substr(0, equals);
    const auto kind = std::find_if(kOptionKinds.begin(), kOptionKinds.end(),
                                   [&](const OptionKind& k) { return EqualsIgnoreAsciiCase(k.name, name); });
    if (kind == kOptionKinds.end()) return L"unknown option " + Quoted(option);
    std::optional<int>& field = parsed.*(kind->field);
    if (field) return L"option " + Quoted(kind->name) + L" given twice";
    const std::wstring_view value =
        equals == std::wstring::npos ? std::wstring_view() : std::wstring_view(option).substr(equals + 1);
    field = NumberOfName(kind->values, value);
    if (!field)
        return L"unknown value " + Quoted(value) + L" for " + Quoted(kind->name) + L" (one of " +
               NameList(kind->values) + L")";
    return {};
}

// Names the fault for whoever started the program; the exit code says it too.
int WrongOption(const std::wstring& complaint) {
    WriteLineForParent(L"Velantrix: " + complaint + L"; nothing was changed. \"Velantrix.exe /?\" lists the options.",
                       ConsoleStream::Error);
    return kModeWrongOption;
}

// /status and /restore take no options.
std::optional<int> RefuseOptions(const std::vector<std::wstring>& options, std::wstring_view mode) {
    if (options.empty()) return std::nullopt;
    return WrongOption(Quoted(mode) + L" takes no options: " + Quoted(options.front()));
}

int DetectedVersionCode() {
    return ConvertWindowsVersion(WindowsItemForVersion(DetectWindowsVersion()));
}

OptimiseChoices ChoicesWith(const OptimiseOptions& options) {
    OptimiseChoices choices = PreselectedChoices();
    if (options.windowsItem) choices.versionCode = ConvertWindowsVersion(*options.windowsItem);
    if (options.processorType) choices.processorType = *options.processorType;
    if (options.internetType) choices.internetType = *options.internetType;
    if (options.speedSetting) choices.speedSetting = *options.speedSetting;
    return choices;
}

int ListIndexOrNone(int stored, std::size_t itemCount) {
    return stored >= 0 && stored < static_cast<int>(itemCount) ? stored : -1;
}

const wchar_t* StatusText(int code) {
    switch (code) {
    case kModeDone:
        return L"tuned: every tuned value is in place";
    case kStatusChanged:
        return L"tuned, but not every tuned value is in place";
    case kStatusNeverTuned:
        return L"not tuned: Velantrix never tuned this computer";
    case kStatusRestored:
        return L"not tuned: the tuning was given back";
    default:
        return L"";
    }
}

int StatusCode(TuningState state) {
    switch (state) {
    case TuningState::InPlace:
        return kModeDone;
    case TuningState::Changed:
        return kStatusChanged;
    case TuningState::NeverTuned:
        return kStatusNeverTuned;
    case TuningState::Restored:
        return kStatusRestored;
    }
    return kStatusChanged;
}

// Holds the lock and closes a running instance, which could start a run of
// its own or save over the values; gives the exit code when the run may not go on.
std::optional<int> PrepareChangingRun(OwnedMutex& lock, const CommandLineModeOptions& modeOptions) {
    lock = AcquireCommandLineRunLock(modeOptions.lockWaitMs);
    if (!lock) return kModeInstanceRunning;
    if (!CloseRunningInstanceAndWait(modeOptions.closeTimeoutMs, modeOptions.goneTimeoutMs))
        return kModeInstanceRunning;
    return std::nullopt;
}

} // namespace

ParsedOptimiseOptions ParseOptimiseOptions(const std::vector<std::wstring>& options) {
    ParsedOptimiseOptions parsed;
    for (const std::wstring& option : options) {
        parsed.error = ParseOption(option, parsed.options);
        if (!parsed.error.empty()) break;
    }
    return parsed;
}

OptimiseChoices PreselectedChoices() noexcept {
    const settings::StoredChoices stored = settings::ReadStoredChoices();
    return {.versionCode = DetectedVersionCode(),
            .internetType = ListIndexOrNone(stored.internetType, kInternetItems.size()),
            .processorType = ListIndexOrNone(PreselectedProcessorItem(stored.processorType), kProcessorItems.size()),
            .speedSetting = std::clamp(stored.speedSetting, kSpeedMinimum, kSpeedMaximum)};
}

std::wstring CommandLineUsage() {
    std::wstring text = L"Velantrix.exe [mode [options]]\n\n"
                        L"Modes (the first argument; without one the window opens):\n"
                        L"/optimize\ttunes this computer as \"Optimize now\" does\n"
                        L"/status\ttells whether the tuning is in place; changes nothing\n"
                        L"/restore\tgives back every value the tuning changed\n"
                        L"/?\tthis list\n\n"
                        L"Options of /optimize (any letter case, each at most once; without one, the choice the "
                        L"window pre-selects):\n";
    for (const OptionKind& kind : kOptionKinds) text += std::wstring(kind.name) + L"=" + NameList(kind.values) + L"\n";
    text += L"\nExit codes:\n";
    const std::pair<int, const wchar_t*> codes[] = {
        {kModeDone, L"done (/status: tuned, every tuned value in place)"},
        {kModeIncomplete, L"a value would not take; nothing is lost, a later run completes it"},
        {kModeInstanceRunning, L"a running Velantrix (or another command-line run) would not end; nothing changed"},
        {kModeWrongOption, L"a wrong or unknown option; nothing changed"},
        {kStatusChanged, L"/status: tuned, but not every tuned value is in place"},
        {kStatusNeverTuned, L"/status: not tuned, never was"},
        {kStatusRestored, L"/status: not tuned, the tuning was given back"},
    };
    for (const auto& [code, meaning] : codes) text += std::to_wstring(code) + L"\t" + meaning + L"\n";
    return text;
}

int RunOptimiseMode(const std::vector<std::wstring>& options, const CommandLineModeOptions& modeOptions) noexcept {
    try {
        const ParsedOptimiseOptions parsed = ParseOptimiseOptions(options);
        if (!parsed.error.empty()) return WrongOption(parsed.error);
        OwnedMutex lock;
        if (const auto refused = PrepareChangingRun(lock, modeOptions)) return *refused;
        switch (RunOptimise(ChoicesWith(parsed.options))) {
        case RunOutcome::Completed:
            return kModeDone;
        default:
            return kModeIncomplete;
        }
    } catch (...) {
        return kModeIncomplete;
    }
}

int RunStatusMode(const std::vector<std::wstring>& options, const CommandLineModeOptions& modeOptions) noexcept {
    try {
        if (const auto refused = RefuseOptions(options, kStatusArgument)) return *refused;
        // A run under way elsewhere is waited for, so that it is not seen half-done.
        const OwnedMutex lock = AcquireCommandLineRunLock(modeOptions.lockWaitMs);
        if (!lock) return kModeInstanceRunning;
        // A backup without the list of written locations is judged as /restore would undo it.
        const int code = StatusCode(ReadTuningState(DetectedVersionCode(), settings::ReadStoredChoices().internetType));
        WriteLineForParent(std::wstring(L"Velantrix: ") + StatusText(code), ConsoleStream::Output);
        return code;
    } catch (...) {
        return kStatusChanged;
    }
}

int RunRestoreMode(const std::vector<std::wstring>& options, const CommandLineModeOptions& modeOptions) noexcept {
    try {
        if (const auto refused = RefuseOptions(options, kRestoreArgument)) return *refused;
        OwnedMutex lock;
        if (const auto refused = PrepareChangingRun(lock, modeOptions)) return *refused;
        if (!RestoreAvailable()) return kModeDone;
        // A backup without the list of written locations is undone with what
        // the main window would pre-select: the detected edition and the stored connection.
        const int internetType = settings::ReadStoredChoices().internetType;
        return RunRestore(DetectedVersionCode(), internetType) == RunOutcome::Completed ? kModeDone : kModeIncomplete;
    } catch (...) {
        return kModeIncomplete;
    }
}

int ShowCommandLineUsage() noexcept {
    try {
        MessageBoxW(nullptr, CommandLineUsage().c_str(), L"Velantrix", MB_OK | MB_ICONINFORMATION);
    } catch (...) {
    }
    return kModeDone;
}

} // namespace vx
