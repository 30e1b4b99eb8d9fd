// "Velantrix.exe /restore": the real program, started from this test, against
// the registry of the test prefix. It shows no window, closes a running
// instance first and tells by its exit code how the restore went.
#include "core/Settings.h"
#include "engine/RestoreMode.h"
#include "engine/TweakRuns.h"
#include "system/WindowsVersion.h"
#include "tests/support/EngineState.h"
#include "tests/support/StandInInstance.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

using namespace vx::test;

// What the restore mode itself uses: the edition the main window would pre-select.
int DetectedVersionCode() {
    return ConvertWindowsVersion(WindowsItemForVersion(DetectWindowsVersion()));
}

// Runs the program with the arguments and gives its exit code (or nothing when it did not end in time).
std::optional<DWORD> RunProgram(const std::wstring& arguments) {
    Process program(BuiltProgramPath(), arguments);
    if (!program.Started()) return std::nullopt;
    // It must not show a window while it works.
    bool windowSeen = false;
    std::optional<DWORD> exitCode;
    WaitUntil(
        [&] {
            windowSeen = windowSeen || FindProcessWindow(program.Id(), kMainFormClass) != nullptr;
            exitCode = program.WaitForExit(0ms);
            return exitCode.has_value();
        },
        60s);
    EXPECT_FALSE(windowSeen) << "the restore mode opened the main window";
    return exitCode;
}

// The 34 locations of a snapshot.
Snapshot LocationsOf(const Snapshot& all) {
    Snapshot locations;
    for (const auto& [key, value] : all)
        if (key.starts_with(kLocationPrefix)) locations[key] = value;
    return locations;
}

// No trace of a backup is left in the settings key.
void ExpectBackupGone() {
    EXPECT_FALSE(RestoreAvailable());
    EXPECT_EQ(ReadSetting(settings::kRestore), std::nullopt);
    for (const TweakEntry& entry : TweakCatalogue()) {
        if (entry.backupDefault) {
            EXPECT_EQ(ReadSetting(std::wstring(entry.valueName)), std::nullopt);
        }
    }
    EXPECT_TRUE(ReadOriginals().empty());
    EXPECT_TRUE(ReadValuesUnder(kAbsentOriginalsKey).empty());
}

class RestoreModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(FindWindowW(kMainFormClass, nullptr), nullptr) << "an instance is still open";
        ClearEngineState();
        Seed();
        PutLocation(4, Sz(L"38")); // a put-back location of another type
        seeded_ = TakeSnapshot();
    }
    void TearDown() override { ClearEngineState(); }

    // The seeded system, tuned by a full optimise (the internet type stored for the restore to find).
    void Optimise(int internetType = 3) {
        RunOptimise({.versionCode = DetectedVersionCode(), .internetType = internetType, .speedSetting = 1});
        ASSERT_TRUE(RestoreAvailable());
        ASSERT_NE(ReadLocation(16), seeded_[LocationKey(Tweak(16))]) << "the optimise tuned nothing";
    }

    Snapshot seeded_;
};

TEST_F(RestoreModeTest, NothingToRestoreChangesNothingNotEvenTheDates) {
    EXPECT_EQ(RunProgram(L"/restore"), kRestoreModeDone);
    EXPECT_EQ(TakeSnapshot(), seeded_);
    EXPECT_EQ(ReadSetting(L"InstalledDate"), std::nullopt) << "the restore mode recorded a first start";
}

TEST_F(RestoreModeTest, AfterAnOptimiseEveryLocationIsAsBeforeAndTheBackupIsGone) {
    Optimise();
    // Any letter case selects the mode.
    EXPECT_EQ(RunProgram(L"/ReStOrE"), kRestoreModeDone);
    EXPECT_EQ(LocationsOf(TakeSnapshot()), LocationsOf(seeded_));
    ExpectBackupGone();
}

TEST_F(RestoreModeTest, TheStoredInternetTypeDecidesTheTcpEntries) {
    Optimise(2); // dial-up: the TCP/IP entries were not written and are not touched
    PutLocation(23, Dword(7));
    EXPECT_EQ(RunProgram(L"/restore"), kRestoreModeDone);
    EXPECT_EQ(ReadLocation(23), Dword(7));
}

TEST_F(RestoreModeTest, ARestoreThatStoppedPartWayIsCompleted) {
    Optimise();
    ASSERT_FALSE(RestoreTweaks(DetectedVersionCode(), 3, 20));
    ASSERT_TRUE(RestoreAvailable());
    EXPECT_EQ(RunProgram(L"/restore"), kRestoreModeDone);
    EXPECT_EQ(LocationsOf(TakeSnapshot()), LocationsOf(seeded_));
    ExpectBackupGone();
}

TEST_F(RestoreModeTest, AValueThatCannotBePutBackEndsWithOneAndKeepsTheBackup) {
    Optimise();
    // Entry 34 (below P3\Parameters) had a value; its key cannot be made again below a volatile parent.
    UnwritableKey p3(L"\\System\\CurrentControlSet\\Services\\P3");
    ASSERT_TRUE(p3.Made());
    EXPECT_EQ(RunProgram(L"/restore"), kRestoreModeIncomplete);
    EXPECT_TRUE(RestoreAvailable());
    EXPECT_FALSE(ReadOriginals().empty());

    p3.Release();
    EXPECT_EQ(RunProgram(L"/restore"), kRestoreModeDone);
    EXPECT_EQ(LocationsOf(TakeSnapshot()), LocationsOf(seeded_));
    ExpectBackupGone();
}

TEST_F(RestoreModeTest, AnInstanceThatWillNotCloseEndsWithTwoAndNothingChanges) {
    Optimise();
    const Snapshot tuned = TakeSnapshot();
    StandInInstance instance({kMainFormClass, kAboutFormClass}, true);
    ASSERT_TRUE(instance.Ready());
    EXPECT_EQ(RunProgram(L"/restore"), kRestoreModeInstanceRunning);
    EXPECT_EQ(instance.Closed(), (std::vector<std::wstring>{kAboutFormClass, kMainFormClass}));
    EXPECT_EQ(TakeSnapshot(), tuned);
}

TEST_F(RestoreModeTest, ARunningInstanceIsClosedFirst) {
    Optimise();
    Process instance(BuiltProgramPath(), L"");
    ASSERT_TRUE(WaitUntil([&] { return FindProcessWindow(instance.Id(), kMainFormClass) != nullptr; }, 30s));
    EXPECT_EQ(RunProgram(L"/restore"), kRestoreModeDone);
    EXPECT_EQ(instance.WaitForExit(10s), 0u) << "the running instance ended";
    EXPECT_EQ(LocationsOf(TakeSnapshot()), LocationsOf(seeded_));
    ExpectBackupGone();
}

TEST_F(RestoreModeTest, OtherFirstArgumentsKeepTheirMeaning) {
    Optimise();
    // "/restore" as the second argument, or spelt otherwise, is a normal start.
    for (const wchar_t* arguments : {L"/restorex", L"x /restore"}) {
        Process program(BuiltProgramPath(), arguments);
        const HWND main = WaitForWindow(kMainFormClass, 30s);
        EXPECT_NE(main, nullptr) << Narrow(arguments);
        if (main) PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(program.WaitForExit(10s).has_value());
    }
    EXPECT_TRUE(RestoreAvailable());
}

} // namespace
} // namespace vx
