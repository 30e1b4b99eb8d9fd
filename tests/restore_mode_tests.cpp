// The command-line modes ("/optimize", "/status", "/restore", "/?"): the real
// program, started from this test, against the registry of the test prefix.
// They show no window, close a running instance first and tell by their exit
// code how it went.
#include "core/RunOnce.h"
#include "core/Settings.h"
#include "engine/CommandLineModes.h"
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
    return RunMode(arguments).exitCode;
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
    EXPECT_TRUE(ReadValuesUnder(kWrittenKey).empty());
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
    EXPECT_EQ(RunProgram(L"/restore"), kModeDone);
    EXPECT_EQ(TakeSnapshot(), seeded_);
    EXPECT_EQ(ReadSetting(L"InstalledDate"), std::nullopt) << "the restore mode recorded a first start";
}

TEST_F(RestoreModeTest, AfterAnOptimiseEveryLocationIsAsBeforeAndTheBackupIsGone) {
    Optimise();
    // Any letter case selects the mode.
    EXPECT_EQ(RunProgram(L"/ReStOrE"), kModeDone);
    EXPECT_EQ(LocationsOf(TakeSnapshot()), LocationsOf(seeded_));
    ExpectBackupGone();
}

TEST_F(RestoreModeTest, TheStoredInternetTypeDecidesTheTcpEntries) {
    Optimise(2); // dial-up: the TCP/IP entries were not written and are not touched
    PutLocation(23, Dword(7));
    EXPECT_EQ(RunProgram(L"/restore"), kModeDone);
    EXPECT_EQ(ReadLocation(23), Dword(7));
}

TEST_F(RestoreModeTest, ARestoreThatStoppedPartWayIsCompleted) {
    Optimise();
    ASSERT_FALSE(RestoreTweaks(DetectedVersionCode(), 3, 20));
    ASSERT_TRUE(RestoreAvailable());
    EXPECT_EQ(RunProgram(L"/restore"), kModeDone);
    EXPECT_EQ(LocationsOf(TakeSnapshot()), LocationsOf(seeded_));
    ExpectBackupGone();
}

TEST_F(RestoreModeTest, AValueThatCannotBePutBackEndsWithOneAndKeepsTheBackup) {
    Optimise();
    // Entry 34 (below P3\Parameters) had a value; its key cannot be made again below a volatile parent.
    UnwritableKey p3(L"\\System\\CurrentControlSet\\Services\\P3");
    ASSERT_TRUE(p3.Made());
    EXPECT_EQ(RunProgram(L"/restore"), kModeIncomplete);
    EXPECT_TRUE(RestoreAvailable());
    EXPECT_FALSE(ReadOriginals().empty());

    p3.Release();
    EXPECT_EQ(RunProgram(L"/restore"), kModeDone);
    EXPECT_EQ(LocationsOf(TakeSnapshot()), LocationsOf(seeded_));
    ExpectBackupGone();
}

TEST_F(RestoreModeTest, AnInstanceThatWillNotCloseEndsWithTwoAndNothingChanges) {
    Optimise();
    const Snapshot tuned = TakeSnapshot();
    StandInInstance instance({kMainFormClass, kAboutFormClass}, true);
    ASSERT_TRUE(instance.Ready());
    EXPECT_EQ(RunProgram(L"/restore"), kModeInstanceRunning);
    EXPECT_EQ(instance.Closed(), (std::vector<std::wstring>{kAboutFormClass, kMainFormClass}));
    EXPECT_EQ(TakeSnapshot(), tuned);
}

TEST_F(RestoreModeTest, ARunningInstanceIsClosedFirst) {
    Optimise();
    Process instance(BuiltProgramPath(), L"");
    ASSERT_TRUE(WaitUntil([&] { return FindProcessWindow(instance.Id(), kMainFormClass) != nullptr; }, 30s));
    EXPECT_EQ(RunProgram(L"/restore"), kModeDone);
    EXPECT_EQ(instance.WaitForExit(10s), 0u) << "the running instance ended";
    EXPECT_EQ(LocationsOf(TakeSnapshot()), LocationsOf(seeded_));
    ExpectBackupGone();
}

TEST_F(RestoreModeTest, OtherFirstArgumentsKeepTheirMeaning) {
    Optimise();
    // A mode as the second argument, or spelt otherwise, is a normal start.
    for (const wchar_t* arguments : {L"/restorex", L"x /restore", L"/optimizex", L"x /optimize", L"status"}) {
        Process program(BuiltProgramPath(), arguments);
        const HWND main = WaitForWindow(kMainFormClass, 30s);
        EXPECT_NE(main, nullptr) << Narrow(arguments);
        if (main) PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(program.WaitForExit(10s).has_value());
    }
    EXPECT_TRUE(RestoreAvailable());
}

// --- /optimize, /status, /? -------------------------------------------------

TEST_F(RestoreModeTest, OptimiseWithOneEditionIsUndoneExactlyWhileAnotherIsDetected) {
    ASSERT_EQ(DetectedVersionCode(), 5) << "the prefix reports Windows 7";
    // A server edition tunes AutoChkTimeOut (32), which the detected Windows 7 does not list.
    EXPECT_EQ(RunProgram(L"/OPTIMIZE /Windows=Server2003 /connection=LAN"), kModeDone);
    EXPECT_EQ(ReadLocation(32), Dword(0));
    EXPECT_EQ(ReadLocation(33), seeded_[LocationKey(Tweak(33))]) << "a desktop-only location was written";
    EXPECT_EQ(ReadSetting(settings::kInternetType), Dword(6));
    PutLocation(33, Sz(L"set by hand")); // not the program's: the restore leaves it
    EXPECT_EQ(RunProgram(L"/restore"), kModeDone);
    Snapshot expected = LocationsOf(seeded_);
    expected[LocationKey(Tweak(33))] = Sz(L"set by hand");
    EXPECT_EQ(LocationsOf(TakeSnapshot()), expected);
    ExpectBackupGone();
}

TEST_F(RestoreModeTest, StatusTellsFourStatesAndChangesNothing) {
    const auto statusUnchanged = [](DWORD expected) {
        const auto before = DumpRegistry();
        const ModeRun run = RunMode(L"/Status");
        EXPECT_EQ(run.exitCode, expected);
        EXPECT_EQ(DumpDifferences(before, DumpRegistry()), std::vector<std::string>{});
        return run.output;
    };
    EXPECT_NE(statusUnchanged(kStatusNeverTuned).find("not tuned"), std::string::npos);
    ASSERT_EQ(RunProgram(L"/optimize /speed=boost"), kModeDone);
    EXPECT_NE(statusUnchanged(kModeDone).find("every tuned value is in place"), std::string::npos);
    PutLocation(17, Dword(2)); // a connection limit set back by hand
    statusUnchanged(kStatusChanged);
    PutLocation(17, Dword(4));
    statusUnchanged(kModeDone);
    ASSERT_EQ(RunProgram(L"/restore"), kModeDone);
    statusUnchanged(kStatusRestored);
}

TEST_F(RestoreModeTest, WrongOptionsEndWithThreeChangeNothingAndAreNamed) {
    Optimise();
    const Snapshot tuned = TakeSnapshot();
    const std::pair<const wchar_t*, const char*> wrong[] = {
        {L"/optimize /fast", "unknown option \"/fast\""},
        {L"/optimize /windows=95", "unknown value \"95\" for \"/windows\""},
        {L"/optimize /speed=3", "unknown value \"3\" for \"/speed\""},
        {L"/optimize /connection=", "unknown value \"\" for \"/connection\""},
        {L"/optimize /speed=max /Speed=boost", "option \"/speed\" given twice"},
        {L"/optimize windows=xp", "unknown option \"windows=xp\""},
        {L"/restore /windows=xp", "takes no options"},
        {L"/status now", "takes no options"},
    };
    for (const auto& [arguments, complaint] : wrong) {
        SCOPED_TRACE(Narrow(arguments));
        const ModeRun run = RunMode(arguments);
        EXPECT_EQ(run.exitCode, kModeWrongOption);
        EXPECT_NE(run.output.find(complaint), std::string::npos) << run.output;
        EXPECT_EQ(TakeSnapshot(), tuned);
    }
}

TEST_F(RestoreModeTest, AValueThatWillNotTakeEndsWithOneAndALaterRunCompletesIt) {
    // Entry 34 (below P3\Parameters) cannot be written below a volatile parent.
    UnwritableKey p3(L"\\System\\CurrentControlSet\\Services\\P3");
    ASSERT_TRUE(p3.Made());
    const Snapshot before = TakeSnapshot();
    EXPECT_EQ(RunProgram(L"/optimize /windows=10"), kModeIncomplete);
    EXPECT_TRUE(RestoreAvailable());
    EXPECT_EQ(RunProgram(L"/status"), kStatusChanged);
    p3.Release();
    EXPECT_EQ(RunProgram(L"/optimize /windows=10"), kModeDone);
    EXPECT_EQ(ReadLocation(34), Dword(1));
    EXPECT_EQ(RunProgram(L"/status"), kModeDone);
    EXPECT_EQ(RunProgram(L"/restore"), kModeDone);
    EXPECT_EQ(LocationsOf(TakeSnapshot()), LocationsOf(before));
}

TEST_F(RestoreModeTest, ARunWaitsForAnotherCommandLineRunToEnd) {
    // This test holds the lock as a run under way would.
    OwnedMutex lock = AcquireCommandLineRunLock(0);
    ASSERT_TRUE(lock);
    Process program(BuiltProgramPath(), L"/optimize");
    EXPECT_EQ(program.WaitForExit(2s), std::nullopt) << "it ran beside the other run";
    EXPECT_EQ(LocationsOf(TakeSnapshot()), LocationsOf(seeded_));
    lock.reset();
    EXPECT_EQ(program.WaitForExit(30s), std::optional<DWORD>(kModeDone));
    EXPECT_TRUE(RestoreAvailable());
}

TEST_F(RestoreModeTest, QuestionMarkListsModesOptionsAndExitCodesInAMessageBox) {
    Process program(BuiltProgramPath(), L"/?");
    const HWND box = WaitForProcessMessageBox(program.Id(), nullptr, 30s);
    ASSERT_NE(box, nullptr);
    const std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
    for (const wchar_t* part : {L"/optimize", L"/status", L"/restore", L"/windows=11|10|", L"/speed=boost|max",
                                L"/connection=cable|", L"/processor=intel|amd|via", L"\n6\t"})
        EXPECT_NE(text.find(part), std::wstring::npos) << Narrow(part);
    EXPECT_EQ(FindProcessWindow(program.Id(), kMainFormClass), nullptr);
    AnswerMessageBox(box, IDOK);
    EXPECT_EQ(program.WaitForExit(10s), std::optional<DWORD>(kModeDone));
    EXPECT_EQ(TakeSnapshot(), seeded_);
}

} // namespace
} // namespace vx
