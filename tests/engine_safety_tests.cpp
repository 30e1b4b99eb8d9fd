// No original value is lost: runs that end part-way, values the system had at
// delete locations, and one whole cycle printed for a reader.
#include "engine/TweakRuns.h"
#include "tests/support/EngineState.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

namespace vx {
namespace {

using namespace vx::test;

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
        Optimise(kVersion, kInternet, 1);
        EXPECT_TRUE(RestoreTweaks(kVersion, kInternet));
        return TakeSnapshot();
    }
};

TEST_F(EngineSafetyTest, OptimiseEndedBeforeTheBackupLeavesRestoreFalseAndTheNextRunBacksUpTheOriginals) {
    Seed();
    StoreRunChoices(kInternet, 1, 1); // the process ends during the progress steps
    EXPECT_FALSE(RestoreAvailable());
    EXPECT_EQ(ReadSetting(kRestoreValue), std::nullopt);

    Optimise(kVersion, kInternet, 1);
    EXPECT_EQ(ReadSetting(L"MinAnimate"), Sz(L"0"));
    EXPECT_EQ(ReadSetting(L"DisablePagingExecutive"), Dword(1));
    EXPECT_EQ(ReadSetting(L"KeepAliveTime"), Dword(300000));
    EXPECT_TRUE(RestoreAvailable());
}

TEST_F(EngineSafetyTest, BackupEndedAtAnyStepLeavesRestoreAsItWasAndIsTakenAfresh) {
    ClearEngineState();
    Seed();
    Optimise(kVersion, kInternet, 1);
    const Snapshot reference = TakeSnapshot();

    for (int limit = 0;; ++limit) {
        SCOPED_TRACE(limit);
        ClearEngineState();
        Seed();
        StoreRunChoices(kInternet, 0, 1);
        if (TakeBackupIfNeeded(kVersion, kInternet, limit)) break;
        EXPECT_FALSE(RestoreAvailable());
        ASSERT_LT(limit, 100) << "the backup never finished";
        Optimise(kVersion, kInternet, 1);
        EXPECT_EQ(TakeSnapshot(), reference);
    }
}

TEST_F(EngineSafetyTest, RestoreEndedAtAnyStepIsCompletedByTheNextRestore) {
    const Snapshot reference = OneCleanCycle();
    int steps = 0;
    for (int limit = 0;; ++limit) {
        SCOPED_TRACE(limit);
        ClearEngineState();
        Seed();
        Optimise(kVersion, kInternet, 1);
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
    for (int limit = 0;; ++limit) {
        SCOPED_TRACE(limit);
        ClearEngineState();
        Seed();
        Optimise(kVersion, kInternet, 1);
        if (RestoreTweaks(kVersion, kInternet, limit)) break;
        Optimise(kVersion, kInternet, 1);
        EXPECT_EQ(ReadSetting(kRestoreValue), Dword(1));
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
    Optimise(kVersion, kInternet, 0);
    EXPECT_EQ(ReadLocation(16), Dword(4));
    EXPECT_EQ(ReadLocation(6), Binary({0, 0, 0, 0}));

    RestoreTweaks(kVersion, kInternet);
    EXPECT_EQ(ReadLocation(16), Dword(3));
    EXPECT_EQ(ReadLocation(33), Sz(L"N"));
    EXPECT_EQ(ReadLocation(22), Dword(128));
    EXPECT_EQ(ReadLocation(8), ExpandSz(L"%a%"));
    EXPECT_EQ(ReadLocation(6), Dword(1));
    for (int entry : {7, 9, 15, 21, 23, 31, 34})
        EXPECT_EQ(ReadLocation(entry), std::nullopt) << entry;
    EXPECT_TRUE(ReadOriginals().empty());
    EXPECT_EQ(ReadSetting(kRestoreValue), std::nullopt);
}

TEST_F(EngineSafetyTest, OriginalsAreKeptForEveryDeleteLocationWhateverTheConditions) {
    // Optimised as Windows 2000 on dial-up: 21 to 31 and 33/34 are not written...
    PutLocation(21, Dword(3));
    PutLocation(27, Dword(1000));
    PutLocation(34, Qword(2));
    Optimise(0, 2, 0);
    // ...and someone (another tool, the user) tunes them before the restore.
    for (int entry : {21, 27, 34})
        PutLocation(entry, Dword(1));
    // A restore as Windows 7 on cable gives the values of before the first run back.
    RestoreTweaks(5, 0);
    EXPECT_EQ(ReadLocation(21), Dword(3));
    EXPECT_EQ(ReadLocation(27), Dword(1000));
    EXPECT_EQ(ReadLocation(34), Qword(2));
    // 32 applies to server editions only: the Windows 7 restore leaves it tuned.
    EXPECT_EQ(ReadLocation(32), Dword(0));
}

TEST_F(EngineSafetyTest, BackupFromAnEarlierVersionWithoutOriginalsIsRestoredAsBefore) {
    // An installation that only has the nine backup values and "Restore".
    PutLocation(16, Dword(4));
    WriteRegString(kSettingsRoot, kSettingsKey, L"MinAnimate", L"0", false);
    WriteRegBool(kSettingsRoot, kSettingsKey, kRestoreValue, true, false);
    EXPECT_TRUE(RestoreTweaks(kVersion, kInternet));
    EXPECT_EQ(ReadLocation(1), Sz(L"0"));
    EXPECT_EQ(ReadLocation(16), std::nullopt);
    EXPECT_EQ(ReadLocation(4), Dword(2));
}

std::string Column(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

TEST_F(EngineSafetyTest, PrintsOneOptimiseThenRestoreCycle) {
    Seed();
    const Snapshot before = TakeSnapshot();
    Optimise(kVersion, kInternet, 1);
    const Snapshot optimised = TakeSnapshot();
    ASSERT_TRUE(RestoreTweaks(kVersion, kInternet));
    const Snapshot restored = TakeSnapshot();

    std::ostringstream table;
    table << "One cycle: optimise (version code " << kVersion << ", internet type " << kInternet
          << ", speed 1), then restore.\n"
          << "'*' marks a value that differs after the restore from before.\n\n";
    std::set<std::wstring> names;
    for (const Snapshot* s : {&before, &optimised, &restored})
        for (const auto& [name, value] : *s)
            names.insert(name);
    std::size_t nameWidth = 0;
    for (const std::wstring& name : names)
        nameWidth = std::max(nameWidth, name.size() + 2);
    constexpr std::size_t kValueWidth = 36;
    table << "  " << Column("value", nameWidth) << Column("before", kValueWidth)
          << Column("after optimise", kValueWidth) << "after restore\n";
    int changed = 0;
    for (const std::wstring& name : names) {
        auto at = [&](const Snapshot& s) { return s.contains(name) ? s.at(name) : std::nullopt; };
        const bool differs = at(before) != at(restored);
        if (differs && name.starts_with(L"location ")) ++changed;
        table << (differs ? "* " : "  ") << Column(Narrow(name), nameWidth)
              << Column(Describe(at(before)), kValueWidth) << Column(Describe(at(optimised)), kValueWidth)
              << Describe(at(restored)) << "\n";
    }
    std::cout << table.str();
    std::ofstream file((ArtifactsFolder() + L"engine-cycle.txt").c_str(), std::ios::binary);
    file << table.str();
    EXPECT_TRUE(file.good());

    // Everything the system had is back; of the put-back values that were
    // missing before (3, 4, 18, 20) the defaults stand in; the rest is absent again.
    for (int entry = 1; entry <= 34; ++entry) {
        SCOPED_TRACE(entry);
        const TweakEntry& tweak = Tweak(entry);
        const auto seeded = std::find_if(SeedValues().begin(), SeedValues().end(),
                                         [&](const SeedValue& s) { return s.entry == entry; });
        if (seeded != SeedValues().end())
            EXPECT_EQ(ReadLocation(entry), seeded->value);
        else if (tweak.backupDefault)
            EXPECT_EQ(ReadLocation(entry).has_value(), true);
        else
            EXPECT_EQ(ReadLocation(entry), std::nullopt);
    }
    EXPECT_EQ(changed, 4);
}

} // namespace
} // namespace vx
