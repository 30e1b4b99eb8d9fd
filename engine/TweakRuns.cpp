#include "engine/TweakRuns.h"

#include "core/CustomRegistry.h"
#include "core/Settings.h"

#include <cstring>
#include <functional>
#include <optional>
#include <vector>

namespace vx {
namespace {

constexpr bool kView = false; // the program always works in its own (32-bit) registry view

// A run's registry changes, planned first and then made in order. Each step
// makes one change, after the reads it needs, so that the run can end between
// any two of them (the test seam) without leaving anything half-written.
// A checked step reports whether its change took hold; the run stops at the
// first one that did not, so that nothing after it (the removal of the backup
// it came from, above all) happens.
class StepList {
public:
    void Add(std::function<void()> step) {
        steps_.push_back([step = std::move(step)] {
            step();
            return true;
        });
    }
    void AddChecked(std::function<bool()> step) { steps_.push_back(std::move(step)); }
    // True when every step was made. Each step made counts against stepsLeft,
    // which runs that follow one another share.
    bool Run(int& stepsLeft) const {
        for (const auto& step : steps_) {
            if (stepsLeft <= 0) return false;
            if (stepsLeft != kNoStepLimit) --stepsLeft;
            if (!step()) return false;
        }
        return true;
    }

private:
    std::vector<std::function<bool()>> steps_;
};

// Whether a location now holds exactly the value (or, for none, nothing).
bool LocationHolds(const TweakEntry& entry, const std::optional<RegValue>& expected) {
    return ReadRegRaw(entry.root, entry.keyPath, entry.valueName, kView) == expected;
}

std::int32_t ReadRestoreState() {
    return settings::ReadInteger(settings::kRestore, kNoBackup);
}

bool RestoreUnfinished(std::int32_t state) {
    return state == kRestoreUnderWay || state == kLocationsRestored;
}

// A value of one of the nine backed-up entries, in its kind: text for
// entry 1, a number for the others.
struct KindValue {
    std::wstring text;
    std::int32_t number = 0;
};

// Reads with the entry's kind; the backup default stands in for a value that
// is missing, of another type or (text) empty.
KindValue ReadWithDefault(const TweakEntry& entry, HKEY root, std::wstring_view keyPath) {
    const TweakValue& fallback = *entry.backupDefault;
    if (entry.Kind() == TweakKind::String)
        return {ReadRegString(root, keyPath, entry.valueName, fallback.text, kView), 0};
    return {{}, ReadRegInteger(root, keyPath, entry.valueName, fallback.number, kView)};
}

void WriteWithKind(const TweakEntry& entry, HKEY root, std::wstring_view keyPath, const KindValue& value) {
    if (entry.Kind() == TweakKind::String) WriteRegString(root, keyPath, entry.valueName, value.text, kView);
    else WriteRegInteger(root, keyPath, entry.valueName, value.number, kView);
}

// The exact registry form WriteWithKind gives the value.
RegValue StoredForm(const TweakEntry& entry, const KindValue& value) {
    RegValue stored;
    if (entry.Kind() == TweakKind::String) {
        stored.type = REG_SZ;
        stored.data.resize((value.text.size() + 1) * sizeof(wchar_t));
        std::memcpy(stored.data.data(), value.text.c_str(), stored.data.size());
    } else {
        stored.type = REG_DWORD;
        stored.data.resize(sizeof(value.number));
        std::memcpy(stored.data.data(), &value.number, sizeof(value.number));
    }
    return stored;
}

KindValue ReadBackupValue(const TweakEntry& entry) {
    return ReadWithDefault(entry, kSettingsRoot, kSettingsKey);
}

void WriteBackupValue(const TweakEntry& entry, const KindValue& value) {
    WriteWithKind(entry, kSettingsRoot, kSettingsKey, value);
}

bool BackupValueExists(const TweakEntry& entry) {
    return settings::ReadRaw(entry.valueName).has_value();
}

// The exact registry form of an entry's tuned value.
RegValue TunedForm(const TweakEntry& entry, int speedSetting) {
    switch (entry.Kind()) {
    case TweakKind::String:
        return StoredForm(entry, {std::wstring(entry.tuned.text), 0});
    case TweakKind::Integer:
        return StoredForm(entry, {{}, TunedNumber(entry, speedSetting)});
    case TweakKind::Binary:
        break;
    }
    return {REG_BINARY, std::vector<BYTE>(entry.tuned.bytes.begin(), entry.tuned.bytes.end())};
}

// --- The list of written locations ----------------------------------------

// Whether the backup lists the locations written since it was taken.
bool WritesListed() {
    return ReadRegRaw(kSettingsRoot, kWrittenKey, kWritesCompleteValue, kView).has_value();
}

bool ListedAsWritten(const TweakEntry& entry) {
    return ReadRegRaw(kSettingsRoot, kWrittenKey, OriginalRecordName(entry), kView).has_value();
}

void SetWritesComplete(bool complete) {
    WriteRegInteger(kSettingsRoot, kWrittenKey, kWritesCompleteValue, complete ? 1 : 0, kView);
}

// Whether a restore gives the location back: the backup's list decides, or,
// for a backup without one, the restore's own inputs.
bool RestoreTouches(const TweakEntry& entry, bool listed, int versionCode, int internetType) {
    return listed ? ListedAsWritten(entry) : TweakApplies(entry, versionCode, internetType);
}

// --- Backup ---------------------------------------------------------------

// A put-back location that held nothing is noted as such: its backup value
// holds the default, which the restore must not leave behind.
void MarkAbsentOriginal(const TweakEntry& entry, bool absent, bool& complete) {
    const std::wstring name = OriginalRecordName(entry);
    if (absent) WriteRegInteger(kSettingsRoot, kAbsentOriginalsKey, name, 1, kView);
    else DeleteRegValue(kSettingsRoot, kAbsentOriginalsKey, name, kView);
    complete = complete && ReadRegRaw(kSettingsRoot, kAbsentOriginalsKey, name, kView).has_value() == absent;
}

// Each step reads back what it wrote; "complete" stays true only when all of it stuck.
void AddBackupSteps(StepList& steps, bool& complete) {
    for (const TweakEntry& entry : TweakCatalogue()) {
        if (!entry.backupDefault) continue;
        steps.Add([&entry, &complete] {
            const KindValue value = ReadWithDefault(entry, entry.root, entry.keyPath);
            WriteBackupValue(entry, value);
            complete = complete && settings::ReadRaw(entry.valueName) == StoredForm(entry, value);
        });
    }
    // Every location, whatever this run's conditions: a later restore may run
    // with other inputs and must still find the original.
    for (const TweakEntry& entry : TweakCatalogue()) {
        steps.Add([&entry, &complete] {
            const std::wstring name = OriginalRecordName(entry);
            const std::optional<RegValue> original = ReadRegRaw(entry.root, entry.keyPath, entry.valueName, kView);
            // A record left by an earlier, unfinished backup must not outlive the value it stood for.
            if (original) WriteRegRaw(kSettingsRoot, kOriginalsKey, name, *original, kView);
            else DeleteRegValue(kSettingsRoot, kOriginalsKey, name, kView);
            complete = complete && ReadRegRaw(kSettingsRoot, kOriginalsKey, name, kView) == original;
            if (entry.restore == TweakRestore::PutBack) MarkAbsentOriginal(entry, !original, complete);
            // Nothing is written yet over this backup.
            DeleteRegValue(kSettingsRoot, kWrittenKey, name, kView);
            complete = complete && !ListedAsWritten(entry);
        });
    }
    steps.Add([&complete] {
        SetWritesComplete(false);
        complete = complete && WritesListed();
    });
    steps.Add([&complete] {
        if (complete) settings::WriteBool(settings::kRestore, true);
    });
}

// --- Restore --------------------------------------------------------------

// The value the system had before the first optimise, with its exact type and
// bytes, or its absence. A backup taken without these records (by an earlier
// version) puts the backup value back in the entry's kind.
// Each gives true when the location holds what it should afterwards.
bool PutBack(const TweakEntry& entry) {
    const std::wstring name = OriginalRecordName(entry);
    if (std::optional<RegValue> original = ReadRegRaw(kSettingsRoot, kOriginalsKey, name, kView)) {
        WriteRegRaw(entry.root, entry.keyPath, entry.valueName, *original, kView);
        return LocationHolds(entry, original);
    }
    if (ReadRegRaw(kSettingsRoot, kAbsentOriginalsKey, name, kView)) {
        DeleteRegValue(entry.root, entry.keyPath, entry.valueName, kView);
        return LocationHolds(entry, std::nullopt);
    }
    const KindValue value = ReadBackupValue(entry);
    WriteWithKind(entry, entry.root, entry.keyPath, value);
    return LocationHolds(entry, StoredForm(entry, value));
}

// Gives back the value recorded before the first optimise, or deletes the tuned one.
bool GiveBackOrDelete(const TweakEntry& entry) {
    const std::optional<RegValue> original = ReadRegRaw(kSettingsRoot, kOriginalsKey, OriginalRecordName(entry), kView);
    if (original) WriteRegRaw(entry.root, entry.keyPath, entry.valueName, *original, kView);
    else DeleteRegValue(entry.root, entry.keyPath, entry.valueName, kView);
    return LocationHolds(entry, original);
}

void SetRestoreState(StepList& steps, RestoreState state) {
    steps.Add([state] { settings::WriteInteger(settings::kRestore, state); });
}

// Walks the catalogue in order: each put-back group, then the removal of its
// backup values, and every applicable delete location in between.
void AddLocationSteps(StepList& steps, int versionCode, int internetType) {
    const auto& catalogue = TweakCatalogue();
    const bool listed = WritesListed();
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const TweakEntry& entry = catalogue[i];
        const bool touched = RestoreTouches(entry, listed, versionCode, internetType);
        if (entry.restore == TweakRestore::Delete) {
            if (touched) steps.AddChecked([&entry] { return GiveBackOrDelete(entry); });
            continue;
        }
        // A backup value that is gone was put back by the unfinished restore this one completes.
        if (touched) steps.AddChecked([&entry] { return !BackupValueExists(entry) || PutBack(entry); });
        const bool groupEnds = i + 1 == catalogue.size() || catalogue[i + 1].putBackGroup != entry.putBackGroup;
        if (!groupEnds) continue;
        for (const TweakEntry& member : catalogue) {
            if (member.putBackGroup != entry.putBackGroup) continue;
            steps.Add([&member] { settings::Delete(member.valueName); });
        }
    }
}

void AddRestoreSteps(StepList& steps, std::int32_t state, int versionCode, int internetType) {
    if (!RestoreUnfinished(state)) {
        // Missing or unreadable backup values are written as their defaults
        // first, so that from here on a missing one means "already put back".
        for (const TweakEntry& entry : TweakCatalogue()) {
            if (!entry.backupDefault) continue;
            steps.Add([&entry] { WriteBackupValue(entry, ReadBackupValue(entry)); });
        }
        SetRestoreState(steps, kRestoreUnderWay);
    }
    if (state != kLocationsRestored) {
        AddLocationSteps(steps, versionCode, internetType);
        SetRestoreState(steps, kLocationsRestored);
    }
    for (const TweakEntry& entry : TweakCatalogue()) {
        steps.Add([&entry] { DeleteRegValue(kSettingsRoot, kOriginalsKey, OriginalRecordName(entry), kView); });
        if (entry.restore == TweakRestore::PutBack)
            steps.Add(
                [&entry] { DeleteRegValue(kSettingsRoot, kAbsentOriginalsKey, OriginalRecordName(entry), kView); });
        steps.Add([&entry] { DeleteRegValue(kSettingsRoot, kWrittenKey, OriginalRecordName(entry), kView); });
    }
    steps.Add([] { DeleteRegValue(kSettingsRoot, kWrittenKey, kWritesCompleteValue, kView); });
    steps.AddChecked([] {
        settings::Delete(settings::kRestore);
        return !settings::ReadRaw(settings::kRestore).has_value();
    });
}

void WriteTuned(const TweakEntry& entry, int speedSetting) {
    switch (entry.Kind()) {
    case TweakKind::String:
        WriteRegString(entry.root, entry.keyPath, entry.valueName, entry.tuned.text, kView);
        break;
    case TweakKind::Integer:
        WriteRegInteger(entry.root, entry.keyPath, entry.valueName, TunedNumber(entry, speedSetting), kView);
        break;
    case TweakKind::Binary:
        WriteRegBinary(entry.root, entry.keyPath, entry.valueName,
                       std::vector<BYTE>(entry.tuned.bytes.begin(), entry.tuned.bytes.end()), kView);
        break;
    }
}

// Each location is noted before its first write, so that a run ending
// between the two leaves nothing tuned that a restore would not give back.
void AddWriteSteps(StepList& steps, int versionCode, int internetType, int speedSetting, bool& allTook) {
    const bool listed = WritesListed();
    if (listed) steps.Add([] { SetWritesComplete(false); });
    for (const TweakEntry& entry : TweakCatalogue()) {
        if (!TweakApplies(entry, versionCode, internetType)) continue;
        if (listed && !ListedAsWritten(entry))
            steps.AddChecked([&entry] {
                WriteRegInteger(kSettingsRoot, kWrittenKey, OriginalRecordName(entry), 1, kView);
                return ListedAsWritten(entry);
            });
        steps.Add([&entry, speedSetting, &allTook] {
            WriteTuned(entry, speedSetting);
            allTook = allTook && LocationHolds(entry, TunedForm(entry, speedSetting));
        });
    }
    if (listed)
        steps.Add([&allTook] {
            if (allTook) SetWritesComplete(true);
        });
}

bool TakeBackupWithin(int versionCode, int internetType, int& stepsLeft) {
    const std::int32_t state = ReadRestoreState();
    if (state != kNoBackup && !RestoreUnfinished(state)) return true;
    StepList steps;
    if (RestoreUnfinished(state)) AddRestoreSteps(steps, state, versionCode, internetType);
    bool complete = true;
    AddBackupSteps(steps, complete);
    return steps.Run(stepsLeft) && complete;
}

bool WriteTweaksWithin(int versionCode, int internetType, int speedSetting, int& stepsLeft) {
    StepList steps;
    bool allTook = true;
    AddWriteSteps(steps, versionCode, internetType, speedSetting, allTook);
    return steps.Run(stepsLeft) && allTook;
}

// Whether every location the optimise wrote (or, for a backup without the
// list, every one that applies) still holds its tuned value.
bool TunedValuesInPlace(int versionCode, int internetType) {
    const bool listed = WritesListed();
    if (listed && ReadRegInteger(kSettingsRoot, kWrittenKey, kWritesCompleteValue, 0, kView) != 1) return false;
    const int speedSetting = settings::ReadStoredChoices().speedSetting;
    for (const TweakEntry& entry : TweakCatalogue()) {
        if (!RestoreTouches(entry, listed, versionCode, internetType)) continue;
        if (!LocationHolds(entry, TunedForm(entry, speedSetting))) return false;
    }
    return true;
}

} // namespace

bool RestoreAvailable() noexcept {
    return settings::ReadBool(settings::kRestore, false);
}

void StoreRunChoices(int internetType, int processorType, int speedSetting) noexcept {
    settings::WriteStoredChoices({internetType, processorType, speedSetting});
}

bool TakeBackupIfNeeded(int versionCode, int internetType, int stepLimit) noexcept {
    try {
        return TakeBackupWithin(versionCode, internetType, stepLimit);
    } catch (...) {
        return false;
    }
}

bool WriteTweaks(int versionCode, int internetType, int speedSetting, int stepLimit) noexcept {
    try {
        return WriteTweaksWithin(versionCode, internetType, speedSetting, stepLimit);
    } catch (...) {
        return false;
    }
}

bool RestoreTweaks(int versionCode, int internetType, int stepLimit) noexcept {
    try {
        StepList steps;
        AddRestoreSteps(steps, ReadRestoreState(), versionCode, internetType);
        return steps.Run(stepLimit);
    } catch (...) {
        return false;
    }
}

RunOutcome RunOptimise(const OptimiseChoices& choices, const RunProgress& progress, int stepLimit) noexcept {
    try {
        StoreRunChoices(choices.internetType, choices.processorType, choices.speedSetting);
        if (progress && !progress()) return RunOutcome::Stopped;
        if (!TakeBackupWithin(choices.versionCode, choices.internetType, stepLimit)) return RunOutcome::Failed;
        return WriteTweaksWithin(choices.versionCode, choices.internetType, choices.speedSetting, stepLimit)
                   ? RunOutcome::Completed
                   : RunOutcome::ValuesRefused;
    } catch (...) {
        return RunOutcome::Failed;
    }
}

TuningState ReadTuningState(int versionCode, int internetType) noexcept {
    try {
        const std::int32_t state = ReadRestoreState();
        if (state == kNoBackup)
            return settings::ReadRaw(settings::kInternetType) ? TuningState::Restored : TuningState::NeverTuned;
        if (RestoreUnfinished(state)) return TuningState::Changed;
        return TunedValuesInPlace(versionCode, internetType) ? TuningState::InPlace : TuningState::Changed;
    } catch (...) {
        return TuningState::Changed;
    }
}

RunOutcome RunRestore(int versionCode, int internetType, const RunProgress& progress) noexcept {
    try {
        if (progress && !progress()) return RunOutcome::Stopped;
        return RestoreTweaks(versionCode, internetType) ? RunOutcome::Completed : RunOutcome::Failed;
    } catch (...) {
        return RunOutcome::Failed;
    }
}

std::wstring OriginalRecordName(const TweakEntry& entry) {
    std::wstring_view path = entry.keyPath;
    while (!path.empty() && path.front() == L'\\') path.remove_prefix(1);
    while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
    std::wstring name = entry.root == HKEY_CURRENT_USER ? L"HKCU\\" : L"HKLM\\";
    name.append(path).append(L"\\\\").append(entry.valueName);
    return name;
}

} // namespace vx
