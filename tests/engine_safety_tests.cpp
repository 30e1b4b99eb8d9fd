// No original value is lost: runs that end part-way, values the system had at
// delete locations, and one whole cycle printed for a reader.
#include "core/Settings.h"
#include "engine/TweakRuns.h"
#include "tests/support/EngineState.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <map>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

namespace vx {
namespace {

using namespace vx::test;

// A run cut at every step costs a whole run or more per step. The 32-bit build, the
// product, is cut at every step; the 64-bit build of the same sources at every third,
// as its registry calls under Wine are several times slower.
constexpr int kCutEvery = kOwnView64 ? 3 : 1;

// Version and internet type of the interrupted runs: a desktop edition on cable,
// so that every delete location but 32 is in play.
constexpr int kVersion = 5;
constexpr int kInternet = 0;

class EngineSafetyTest : public ::testing::Test {
protected:
    void SetUp() override { ClearEngineState(); }
    void TearDown() override { ClearEngineState(); }

    static Snapshot OneCleanCycle() {
        ClearEngineState();
        Seed();
        RunOptimise({.versionCode = kVersion, .internetType = kInternet, .speedSetting = 1});
        EXPECT_TRUE(RestoreTweaks(kVersion, kInternet));
        return TakeSnapshot();
    }
};

TEST_F(EngineSafetyTest, OptimiseEndedBeforeTheBackupLeavesRestoreFalseAndTheNextRunBacksUpTheOriginals) {
    Seed();
    StoreRunChoices(kInternet, 1, 1); // the process ends during the progress steps
    EXPECT_FALSE(RestoreAvailable());
    EXPECT_EQ(ReadSetting(settings::kRestore), std::nullopt);

    RunOptimise({.versionCode = kVersion, .internetType = kInternet, .speedSetting = 1});
    EXPECT_EQ(ReadSetting(L"MinAnimate"), Sz(L"0"));
    EXPECT_EQ(ReadSetting(L"DisablePagingExecutive"), Dword(1));
    EXPECT_EQ(ReadSetting(L"KeepAliveTime"), Dword(300000));
    EXPECT_TRUE(RestoreAvailable());
}

TEST_F(EngineSafetyTest, BackupEndedAtAnyStepLeavesRestoreAsItWasAndIsTakenAfresh) {
    ClearEngineState();
    Seed();
    RunOptimise({.versionCode = kVersion, .internetType = kInternet, .speedSetting = 1});
    const Snapshot reference = TakeSnapshot();

    for (int limit = 0;; limit += kCutEvery) {
        SCOPED_TRACE(limit);
        ClearEngineState();
        Seed();
        StoreRunChoices(kInternet, 0, 1);
        if (TakeBackupIfNeeded(kVersion, kInternet, limit)) break;
        EXPECT_FALSE(RestoreAvailable());
        ASSERT_LT(limit, 100) << "the backup never finished";
        RunOptimise({.versionCode = kVersion, .internetType = kInternet, .speedSetting = 1});
        EXPECT_EQ(TakeSnapshot(), reference);
    }
}

TEST_F(EngineSafetyTest, RestoreEndedAtAnyStepIsCompletedByTheNextRestore) {
    const Snapshot reference = OneCleanCycle();
    int steps = 0;
    for (int limit = 0;; limit += kCutEvery) {
        SCOPED_TRACE(limit);
        ClearEngineState();
        Seed();
        RunOptimise({.versionCode = kVersion, .internetType = kInternet, .speedSetting = 1});
        if (RestoreTweaks(kVersion, kInternet, limit)) {
            steps = limit;
            break;
        }
        EXPECT_TRUE(RestoreAvailable()); // "Restore" stays until the very end
        EXPECT_TRUE(RestoreTweaks(kVersion, kInternet));
        EXPECT_EQ(TakeSnapshot(), reference);
        // A third restore changes nothing more.
        EXPECT_TRUE(RestoreTweaks(kVersion, kInternet));
        ASSERT_LT(limit, 200) << "the restore never finished";
    }
    // Put-backs, deletions and the removal of 25 originals all count.
    EXPECT_GT(steps, 40);
    std::cout << "restore steps: " << steps << "\n";
}

TEST_F(EngineSafetyTest, OptimiseAfterAnUnfinishedRestoreStillBringsTheOriginalsBack) {
    const Snapshot reference = OneCleanCycle();
    for (int limit = 0;; limit += kCutEvery) {
        SCOPED_TRACE(limit);
        ClearEngineState();
        Seed();
        RunOptimise({.versionCode = kVersion, .internetType = kInternet, .speedSetting = 1});
        if (RestoreTweaks(kVersion, kInternet, limit)) break;
        RunOptimise({.versionCode = kVersion, .internetType = kInternet, .speedSetting = 1});
        EXPECT_EQ(ReadSetting(settings::kRestore), Dword(1));
        EXPECT_EQ(ReadLocation(1), Sz(L"1"));
        EXPECT_TRUE(RestoreTweaks(kVersion, kInternet));
        EXPECT_EQ(TakeSnapshot(), reference);
        ASSERT_LT(limit, 200);
    }
}

TEST_F(EngineSafetyTest, ValuesTheSystemHadAtDeleteLocationsComeBackWithTypeAndData) {
    PutLocation(16, Dword(3));        // the Messenger service's start type
    PutLocation(33, Sz(L"N"));        // boot defragmentation switched off
    PutLocation(22, Dword(128));      // an administrator's TTL
    PutLocation(8, ExpandSz(L"%a%")); // an unusual type
    PutLocation(6, Dword(1));         // a type other than the tuned one
    RunOptimise({.versionCode = kVersion, .internetType = kInternet, .speedSetting = 0});
    EXPECT_EQ(ReadLocation(16), Dword(4));
    EXPECT_EQ(ReadLocation(6), Binary({0, 0, 0, 0}));

    RestoreTweaks(kVersion, kInternet);
    EXPECT_EQ(ReadLocation(16), Dword(3));
    EXPECT_EQ(ReadLocation(33), Sz(L"N"));
    EXPECT_EQ(ReadLocation(22), Dword(128));
    EXPECT_EQ(ReadLocation(8), ExpandSz(L"%a%"));
    EXPECT_EQ(ReadLocation(6), Dword(1));
    for (int entry : {7, 9, 15, 21, 23, 31, 34}) EXPECT_EQ(ReadLocation(entry), std::nullopt) << entry;
    EXPECT_TRUE(ReadOriginals().empty());
    EXPECT_EQ(ReadSetting(settings::kRestore), std::nullopt);
}

TEST_F(EngineSafetyTest, RestoreGivesBackExactlyWhatTheOptimisesWroteWhateverItsOwnInputs) {
    Seed();
    const Snapshot seeded = LocationsOf(TakeSnapshot());
    // The window's restore as Windows 7 on cable, and as Windows 2000.
    for (int version : {5, 0}) {
        SCOPED_TRACE(version);
        ClearEngineState();
        Seed();
        // Windows Server 2003 on dial-up: 21 and 32 are written; 22 to 31, 33 and 34 are not.
        RunOptimise({.versionCode = 2, .internetType = 2, .speedSetting = 0});
        // Someone else (another tool, the user) sets locations the program did not write.
        PutLocation(27, Dword(1));
        PutLocation(34, Dword(1));
        EXPECT_TRUE(RestoreTweaks(version, 0));
        Snapshot expected = seeded;
        expected[LocationKey(Tweak(27))] = Dword(1);
        expected[LocationKey(Tweak(34))] = Dword(1);
        EXPECT_EQ(LocationsOf(TakeSnapshot()), expected);
        EXPECT_TRUE(ReadValuesUnder(kWrittenKey).empty());
    }
    // Optimised as a server on cable and then as a desktop edition on ISDN: the restore undoes both.
    ClearEngineState();
    Seed();
    RunOptimise({.versionCode = 2, .internetType = 0, .speedSetting = 0});
    RunOptimise({.versionCode = 8, .internetType = 7, .speedSetting = 1});
    EXPECT_TRUE(RestoreTweaks(-1, 2));
    EXPECT_EQ(LocationsOf(TakeSnapshot()), seeded);
}

TEST_F(EngineSafetyTest, BackupOfThePreviousVersionWithOriginalsButNoListIsRestoredAsBefore) {
    // What the previous version left: the originals, but no list of written locations.
    Seed();
    RunOptimise({.versionCode = 2, .internetType = 0, .speedSetting = 1});
    DeleteKeyTree(kSettingsRoot, kWrittenKey);
    PutLocation(21, Dword(1)); // tuned by someone else after the backup
    // Its restore follows its own inputs: 32 applies to server editions only, so
    // a Windows 7 restore leaves it tuned and gives 21 the original back.
    EXPECT_TRUE(RestoreTweaks(5, 0));
    EXPECT_EQ(ReadLocation(32), Dword(0));
    EXPECT_EQ(ReadLocation(21), Dword(3));
    EXPECT_EQ(ReadLocation(33), Sz(L"N"));
    EXPECT_EQ(ReadLocation(16), Dword(2));
    EXPECT_TRUE(ReadOriginals().empty());
}

// The command line's optimise runs the backup and the writes without progress steps in between.
TEST_F(EngineSafetyTest, OptimiseEndedAtAnyStepLosesNoOriginal) {
    Seed();
    const Snapshot seeded = LocationsOf(TakeSnapshot());
    const OptimiseChoices choices{.versionCode = 2, .internetType = 0, .processorType = 1, .speedSetting = 1};
    // Finishing a cut run with a second optimise is tried at every fourth cut.
    int steps = 0;
    for (int limit = 0;; limit += kCutEvery) {
        SCOPED_TRACE(limit);
        for (bool optimiseAgain : {false, true}) {
            if (optimiseAgain && (limit / kCutEvery) % 4 != 0) continue;
            ClearEngineState();
            Seed();
            if (RunOptimise(choices, {}, limit) == RunOutcome::Completed) {
                steps = limit;
                break;
            }
            if (optimiseAgain) {
                EXPECT_EQ(RunOptimise(choices), RunOutcome::Completed);
            }
            // As /restore does it, with another edition and connection than the optimise's.
            if (RestoreAvailable()) {
                EXPECT_TRUE(RestoreTweaks(5, 2));
            }
            EXPECT_EQ(LocationsOf(TakeSnapshot()), seeded);
        }
        if (steps) break;
        ASSERT_LT(limit, 300) << "the optimise never finished";
    }
    // The backup and the writes with their notes all count.
    EXPECT_GT(steps, 80);
    std::cout << "optimise steps: " << steps << "\n";
}

TEST_F(EngineSafetyTest, BackupFromAnEarlierVersionWithoutOriginalsIsRestoredAsBefore) {
    // An installation that only has the nine backup values and "Restore".
    PutLocation(16, Dword(4));
    WriteRegString(kSettingsRoot, kSettingsKey, L"MinAnimate", L"0", false);
    WriteRegBool(kSettingsRoot, kSettingsKey, settings::kRestore, true, false);
    EXPECT_TRUE(RestoreTweaks(kVersion, kInternet));
    EXPECT_EQ(ReadLocation(1), Sz(L"0"));
    EXPECT_EQ(ReadLocation(16), std::nullopt);
    EXPECT_EQ(ReadLocation(4), Dword(2));
}

TEST_F(EngineSafetyTest, PutBackLocationsComeBackWithTheirOwnTypeOrStayAbsent) {
    PutLocation(1, Dword(0));           // MinAnimate as a number: the backup takes the default "1"
    PutLocation(4, Sz(L"38"));          // a priority written as text
    PutLocation(19, Binary({1, 2, 3})); // bytes where a number belongs
    PutLocation(17, Dword(10));         // an ordinary value
    // 2, 3, 5, 18 and 20 are absent.
    RunOptimise({.versionCode = kVersion, .internetType = kInternet, .speedSetting = 1});
    EXPECT_EQ(ReadSetting(L"MinAnimate"), Sz(L"1"));
    EXPECT_EQ(ReadLocation(3), Dword(0));

    ASSERT_TRUE(RestoreTweaks(kVersion, kInternet));
    EXPECT_EQ(ReadLocation(1), Dword(0));
    EXPECT_EQ(ReadLocation(4), Sz(L"38"));
    EXPECT_EQ(ReadLocation(19), Binary({1, 2, 3}));
    EXPECT_EQ(ReadLocation(17), Dword(10));
    for (int absent : {2, 3, 5, 18, 20}) EXPECT_EQ(ReadLocation(absent), std::nullopt) << absent;
    EXPECT_TRUE(ReadOriginals().empty());
    EXPECT_TRUE(ReadValuesUnder(kAbsentOriginalsKey).empty());
}

TEST_F(EngineSafetyTest, RestoreStopsAtAValueThatCannotBePutBackAndKeepsTheBackupForTheNextOne) {
    const Snapshot reference = OneCleanCycle(); // the seed gives 34 (below P3\Parameters) a value
    ClearEngineState();
    Seed();
    RunOptimise({.versionCode = kVersion, .internetType = kInternet, .speedSetting = 1});
    const std::optional<RegValue> record = ReadOriginals()[OriginalRecordName(Tweak(34))];
    ASSERT_TRUE(record.has_value());

    UnwritableKey blocked(L"\\System\\CurrentControlSet\\Services\\P3");
    PutLocation(34, Dword(1));
    ASSERT_EQ(ReadLocation(34), std::nullopt) << "the registry took a value below a volatile key";
    EXPECT_FALSE(RestoreTweaks(kVersion, kInternet));
    EXPECT_TRUE(RestoreAvailable());
    EXPECT_EQ(ReadOriginals()[OriginalRecordName(Tweak(34))], record);
    EXPECT_EQ(ReadLocation(1), Sz(L"0")); // what came before it is back

    blocked.Release();
    EXPECT_TRUE(RestoreTweaks(kVersion, kInternet));
    EXPECT_EQ(TakeSnapshot(), reference);
}

// --- One cycle, printed for a reader ---------------------------------------

std::string Padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + "  " : text + std::string(width - text.size(), ' ');
}

std::optional<RegValue> At(const Snapshot& snapshot, const std::wstring& key) {
    const auto found = snapshot.find(key);
    return found == snapshot.end() ? std::nullopt : found->second;
}

// Every key of the given kind that holds a value at one of the three moments.
std::set<std::wstring> KeysWithPrefix(std::wstring_view prefix, std::initializer_list<const Snapshot*> moments) {
    std::set<std::wstring> keys;
    for (const Snapshot* moment : moments)
        for (const auto& [key, value] : *moment)
            if (key.starts_with(prefix) && value) keys.insert(key);
    return keys;
}

// What the cycle did to one location, in a word or two.
std::string LocationOutcome(const std::optional<RegValue>& before, const std::optional<RegValue>& optimised,
                            const std::optional<RegValue>& restored) {
    if (before == optimised && optimised == restored) return "untouched";
    if (before == restored) return "as before";
    return "DIFFERS FROM BEFORE";
}

constexpr std::size_t kNameWidth = 30;
constexpr std::size_t kValueWidth = 26;

// One line of a table: a name, the three moments and, for locations, the outcome.
std::string Row(const std::string& name, const std::string& before, const std::string& optimised,
                const std::string& restored, const std::string& outcome = "") {
    std::string line = "  " + Padded(name, kNameWidth) + Padded(before, kValueWidth) + Padded(optimised, kValueWidth) +
                       Padded(restored, kValueWidth) + outcome;
    line.erase(line.find_last_not_of(' ') + 1);
    return line + "\n";
}

std::string Row(const std::string& name, const Snapshot& before, const Snapshot& optimised, const Snapshot& restored,
                const std::wstring& key) {
    return Row(name, Describe(At(before, key)), Describe(At(optimised, key)), Describe(At(restored, key)));
}

std::string HeaderRow(const std::string& first) {
    return Row(first, "before", "after optimise", "after restore");
}

std::string CycleReport(const Snapshot& before, const Snapshot& optimised, const Snapshot& restored) {
    std::ostringstream out;
    out << "One optimise run, then one restore run, on a seeded registry\n"
        << "  optimise: version code " << kVersion << " (Windows 7), internet type " << kInternet
        << " (cable), speed setting 1\n"
        << "  restore:  version code " << kVersion << ", internet type " << kInternet << "\n\n";

    out << "The 34 tuned locations\n" << HeaderRow("#  value name");
    std::map<std::string, int> outcomes;
    const TweakEntry* previous = nullptr;
    for (const TweakEntry& entry : TweakCatalogue()) {
        if (!previous || previous->root != entry.root || previous->keyPath != entry.keyPath)
            out << "  " << (entry.root == HKEY_CURRENT_USER ? "HKCU" : "HKLM") << Narrow(entry.keyPath) << "\n";
        previous = &entry;
        const std::wstring key = LocationKey(entry);
        const auto b = At(before, key), o = At(optimised, key), r = At(restored, key);
        const std::string outcome = LocationOutcome(b, o, r);
        ++outcomes[outcome];
        char number[4];
        std::snprintf(number, sizeof(number), "%02d", entry.number);
        out << Row(std::string(number).append(" ").append(Narrow(entry.valueName)), Describe(b), Describe(o),
                   Describe(r), outcome);
    }

    out << "\nSettings key HKLM" << Narrow(kSettingsKey) << "\n" << HeaderRow("value name");
    for (const std::wstring& key : KeysWithPrefix(kSettingPrefix, {&before, &optimised, &restored}))
        out << Row(Narrow(key.substr(std::wcslen(kSettingPrefix))), before, optimised, restored, key);

    out << "\nOriginals kept for the locations, HKLM" << Narrow(kOriginalsKey) << "\n" << HeaderRow("for location");
    const std::set<std::wstring> records = KeysWithPrefix(kOriginalPrefix, {&before, &optimised, &restored});
    for (const TweakEntry& entry : TweakCatalogue()) {
        const std::wstring key = kOriginalPrefix + OriginalRecordName(entry);
        if (!records.contains(key)) continue;
        out << Row(std::to_string(entry.number) + " " + Narrow(entry.valueName), before, optimised, restored, key);
    }

    out << "\nPut-back locations that held nothing, HKLM" << Narrow(kAbsentOriginalsKey) << "\n"
        << HeaderRow("for location");
    const std::set<std::wstring> absent = KeysWithPrefix(kAbsentPrefix, {&before, &optimised, &restored});
    for (const TweakEntry& entry : TweakCatalogue()) {
        const std::wstring key = kAbsentPrefix + OriginalRecordName(entry);
        if (!absent.contains(key)) continue;
        out << Row(std::to_string(entry.number) + " " + Narrow(entry.valueName), before, optimised, restored, key);
    }

    out << "\nLocations after the cycle:";
    for (const auto& [outcome, count] : outcomes) out << "  " << outcome << " " << count << ";";
    out << "\n";
    return out.str();
}

TEST_F(EngineSafetyTest, PrintsOneOptimiseThenRestoreCycle) {
    Seed();
    const Snapshot before = TakeSnapshot();
    RunOptimise({.versionCode = kVersion, .internetType = kInternet, .speedSetting = 1});
    const Snapshot optimised = TakeSnapshot();
    ASSERT_TRUE(RestoreTweaks(kVersion, kInternet));
    const Snapshot restored = TakeSnapshot();

    const std::string report = CycleReport(before, optimised, restored);
    std::cout << report;
    std::ofstream file((ArtifactsFolder() + L"engine-cycle.txt").c_str(), std::ios::binary);
    file << report;
    EXPECT_TRUE(file.good());

    // Everything the system had is back, with its type; what was absent is absent again.
    for (const TweakEntry& entry : TweakCatalogue()) {
        SCOPED_TRACE(entry.number);
        const auto seeded = std::find_if(SeedValues().begin(), SeedValues().end(),
                                         [&](const SeedValue& s) { return s.entry == entry.number; });
        if (seeded != SeedValues().end()) EXPECT_EQ(ReadLocation(entry.number), seeded->value);
        else EXPECT_EQ(ReadLocation(entry.number), std::nullopt);
    }
    EXPECT_EQ(report.find("DIFFERS"), std::string::npos);
    EXPECT_NE(report.find("as before 33;"), std::string::npos);
}

} // namespace
} // namespace vx
