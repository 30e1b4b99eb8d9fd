// The tweak catalogue and the optimise and restore runs against the real
// (Wine) registry of the test prefix. Every test starts from an empty
// settings key and empty catalogue locations.
#include "core/Settings.h"
#include "engine/TweakRuns.h"
#include "tests/support/EngineState.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

using namespace vx::test;

const HKEY kLM = HKEY_LOCAL_MACHINE;
const HKEY kCU = HKEY_CURRENT_USER;

// Every location with the value a full optimise at speed 1 leaves there.
struct Expected {
    int number;
    HKEY root;
    const wchar_t* keyPath;
    const wchar_t* valueName;
    RegValue tuned;
};

const std::vector<Expected>& ExpectedTweaks() {
    const wchar_t* mm = L"\\System\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\";
    const wchar_t* crash = L"\\System\\CurrentControlSet\\Control\\CrashControl\\";
    const wchar_t* policies = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\";
    const wchar_t* ntWindows = L"\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\";
    const wchar_t* inet = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    const wchar_t* tcp = L"\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
    const wchar_t* session = L"\\System\\CurrentControlSet\\Control\\Session Manager\\";
    const wchar_t* psched = L"\\Software\\Policies\\Microsoft\\Windows\\Psched";
    static const std::vector<Expected> expected = {
        {1, kCU, L"\\Control Panel\\Desktop\\WindowMetrics\\", L"MinAnimate", Sz(L"1")},
        {2, kLM, mm, L"DisablePagingExecutive", Dword(0)},
        {3, kLM, mm, L"LargeSystemCache", Dword(0)},
        {4, kLM, L"\\System\\CurrentControlSet\\Control\\PriorityControl\\", L"Win32PrioritySeparation", Dword(1)},
        {5, kLM, crash, L"AutoReboot", Dword(1)},
        {6, kCU, L"\\Control Panel\\Desktop\\", L"SmoothScroll", Binary({0, 0, 0, 0})},
        {7, kCU, L"\\Software\\Microsoft\\Internet Explorer\\Main\\", L"Use StyleSheets", Sz(L"Yes")},
        {8, kCU, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete\\", L"Append Completion",
         Sz(L"Yes")},
        {9, kLM, L"\\System\\CurrentControlSet\\Control\\FileSystem\\", L"ContigFileAllocSize", Dword(1536)},
        {10, kLM, policies, L"LinkResolveIgnoreLinkInfo", Dword(0)},
        {11, kLM, policies, L"NoResolveSearch", Dword(1)},
        {12, kLM, mm, L"IoPageLockLimit", Dword(4096)},
        {13, kLM, crash, L"SendAlert", Dword(1)},
        {14, kLM, ntWindows, L"NoPopUpsOnBoot", Dword(1)},
        {15, kLM, ntWindows, L"Error Mode", Dword(1)},
        {16, kLM, L"\\System\\CurrentControlSet\\Services\\Messenger\\", L"Start", Dword(4)},
        {17, kCU, inet, L"MaxConnectionsPerServer", Dword(8)},
        {18, kCU, inet, L"MaxConnectionsPer1_0Server", Dword(8)},
        {19, kLM, tcp, L"KeepAliveTime", Dword(7200000)},
        {20, kLM, tcp, L"KeepAliveInterval", Dword(1000)},
        {21, kLM, session, L"EnablePrefetcher", Dword(1)},
        {22, kLM, tcp, L"DefaultTTL", Dword(64)},
        {23, kLM, tcp, L"EnablePMTUBHDetect", Dword(0)},
        {24, kLM, tcp, L"EnablePMTUDiscovery", Dword(1)},
        {25, kLM, tcp, L"SackOpts", Dword(1)},
        {26, kLM, tcp, L"Tcp1323Opts", Dword(3)},
        {27, kLM, tcp, L"GlobalMaxTcpWindowSize", Dword(256960)},
        {28, kLM, tcp, L"TcpWindowSize", Dword(256960)},
        {29, kLM, tcp, L"TcpMaxDupAcks", Dword(2)},
        {30, kLM, psched, L"NonBestEffortLimit", Dword(50)},
        {31, kLM, psched, L"MaxOutstandingSends", Dword(0xFFFF)},
        {32, kLM, session, L"AutoChkTimeOut", Dword(0)},
        {33, kLM, L"\\Software\\Microsoft\\Dfrg\\BootOptimizeFunction\\", L"Enable", Sz(L"Y")},
        {34, kLM, L"\\System\\CurrentControlSet\\Services\\P3\\Parameters\\", L"HackFlags", Dword(1)},
    };
    return expected;
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { ClearEngineState(); }
    void TearDown() override { ClearEngineState(); }
};

TEST_F(EngineTest, CatalogueHoldsTheLocationsInOrderWithTheirExactKeyPaths) {
    const auto& catalogue = TweakCatalogue();
    ASSERT_EQ(catalogue.size(), ExpectedTweaks().size());
    for (const Expected& expected : ExpectedTweaks()) {
        const TweakEntry& entry = catalogue[static_cast<std::size_t>(expected.number - 1)];
        SCOPED_TRACE(expected.number);
        EXPECT_EQ(entry.number, expected.number);
        EXPECT_EQ(entry.root, expected.root);
        EXPECT_EQ(entry.keyPath, expected.keyPath);
        EXPECT_EQ(entry.valueName, expected.valueName);
        // The nine put-back entries, and only they, have a backup default and a group.
        const bool putBack = (expected.number <= 5) || (expected.number >= 17 && expected.number <= 20);
        EXPECT_EQ(entry.restore == TweakRestore::PutBack, putBack);
        EXPECT_EQ(entry.backupDefault.has_value(), putBack);
        EXPECT_EQ(entry.putBackGroup != 0, putBack);
    }
}

TEST_F(EngineTest, FullOptimiseLeavesEveryLocationWithItsExactTypeAndData) {
    // A desktop edition writes 21, 33 and 34; a server edition 21 and 32.
    for (int versionCode : {8, 2}) {
        SCOPED_TRACE(versionCode);
        ClearEngineState();
        RunOptimise({.versionCode = versionCode, .internetType = 0, .speedSetting = 1});
        for (const Expected& expected : ExpectedTweaks()) {
            SCOPED_TRACE(expected.number);
            const bool written = expected.number == 32   ? versionCode == 2
                                 : expected.number >= 33 ? versionCode == 8
                                                         : true;
            if (written)
                EXPECT_EQ(ReadRegRaw(expected.root, expected.keyPath, expected.valueName, false), expected.tuned);
            else EXPECT_EQ(ReadLocation(expected.number), std::nullopt);
        }
    }
}

TEST_F(EngineTest, VersionCodeDecidesEntries21To34OnWriteAndOnRestore) {
    struct Row {
        int versionCode;
        bool e21, e32, e33, e34;
    };
    const Row rows[] = {
        {0, false, true, false, false}, {-1, true, false, false, false}, {1, true, false, true, true},
        {3, true, false, true, true},   {5, true, false, true, true},    {6, true, false, true, true},
        {8, true, false, true, true},   {2, true, true, false, false},   {4, true, true, false, false},
        {7, true, true, false, false},  {9, true, false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.versionCode);
        const std::pair<int, bool> expected[] = {{21, row.e21}, {32, row.e32}, {33, row.e33}, {34, row.e34}};

        ClearEngineState();
        RunOptimise({.versionCode = row.versionCode, .internetType = 0, .speedSetting = 0});
        for (auto [entry, applies] : expected) EXPECT_EQ(ReadLocation(entry).has_value(), applies) << entry;

        // Leftovers at all four: the restore deletes exactly those that apply.
        ClearEngineState();
        for (auto [entry, applies] : expected) PutLocation(entry, Dword(77));
        RestoreTweaks(row.versionCode, 0);
        for (auto [entry, applies] : expected) EXPECT_EQ(ReadLocation(entry).has_value(), !applies) << entry;
    }
}

TEST_F(EngineTest, DialUpAndIsdnLeaveTheTcpEntriesAloneOnWriteAndOnRestore) {
    for (int internetType = -1; internetType <= 8; ++internetType) {
        SCOPED_TRACE(internetType);
        const bool applies = internetType != 2 && internetType != 7;

        ClearEngineState();
        RunOptimise({.versionCode = 5, .internetType = internetType, .speedSetting = 0});
        EXPECT_EQ(ReadSetting(settings::kInternetType), Dword(static_cast<std::uint32_t>(internetType)));
        for (int entry = 22; entry <= 31; ++entry) EXPECT_EQ(ReadLocation(entry).has_value(), applies) << entry;
        EXPECT_TRUE(ReadLocation(21).has_value()); // its neighbours are not held back

        ClearEngineState();
        for (int entry = 22; entry <= 31; ++entry) PutLocation(entry, Dword(5));
        RestoreTweaks(5, internetType);
        for (int entry = 22; entry <= 31; ++entry) EXPECT_EQ(ReadLocation(entry).has_value(), !applies) << entry;
    }
}

TEST_F(EngineTest, SpeedSettingGivesTheConnectionLimits) {
    const std::pair<int, std::uint32_t> cases[] = {{0, 4}, {1, 8}, {-1, 4}, {2, 8}};
    for (auto [speed, limit] : cases) {
        SCOPED_TRACE(speed);
        ClearEngineState();
        RunOptimise({.versionCode = 5, .internetType = 0, .speedSetting = speed});
        EXPECT_EQ(ReadLocation(17), Dword(limit));
        EXPECT_EQ(ReadLocation(18), Dword(limit));
        EXPECT_EQ(ReadSetting(settings::kSpeedSetting), Dword(static_cast<std::uint32_t>(speed)));
    }
}

// The runs show their progress between storing the choices and their registry
// work; a progress that asks to stop leaves every location and backup untouched.
TEST_F(EngineTest, RunsShowTheirProgressBeforeTheRegistryWorkAndAStopTouchesNothingElse) {
    Seed();
    const Snapshot before = TakeSnapshot();
    int progressShown = 0;
    const OptimiseChoices choices{.versionCode = 5, .internetType = 2, .processorType = 1, .speedSetting = 1};
    EXPECT_EQ(RunOptimise(choices,
                          [&] {
                              ++progressShown;
                              EXPECT_EQ(ReadSetting(L"InternetType"), Dword(2)) << "the choices come first";
                              EXPECT_FALSE(ReadSetting(L"Restore").has_value()) << "no backup yet";
                              return false;
                          }),
              RunOutcome::Stopped);
    EXPECT_EQ(progressShown, 1);
    Snapshot afterStop = TakeSnapshot();
    for (const wchar_t* choice : {L"InternetType", L"ProcessorType", L"SpeedSetting"})
        afterStop.erase(kSettingPrefix + std::wstring(choice));
    Snapshot beforeWithoutChoices = before;
    for (const wchar_t* choice : {L"InternetType", L"ProcessorType", L"SpeedSetting"})
        beforeWithoutChoices.erase(kSettingPrefix + std::wstring(choice));
    EXPECT_EQ(afterStop, beforeWithoutChoices) << "a stopped optimise changes nothing but the choices";

    EXPECT_EQ(RunOptimise(choices, [&] { return ++progressShown > 0; }), RunOutcome::Completed);
    EXPECT_EQ(ReadLocation(17), Dword(8));
    const Snapshot optimised = TakeSnapshot();
    EXPECT_EQ(RunRestore(5, 2, [] { return false; }), RunOutcome::Stopped);
    EXPECT_EQ(TakeSnapshot(), optimised) << "a stopped restore changes nothing";
    EXPECT_EQ(RunRestore(5, 2), RunOutcome::Completed);
    EXPECT_FALSE(ReadSetting(L"Restore").has_value());
}

TEST_F(EngineTest, RunChoicesAndRestoreAreStoredAsDwords) {
    StoreRunChoices(7, -1, 1);
    EXPECT_EQ(ReadSetting(settings::kInternetType), Dword(7));
    EXPECT_EQ(ReadSetting(settings::kProcessorType), Dword(0xFFFFFFFF));
    EXPECT_EQ(ReadSetting(settings::kSpeedSetting), Dword(1));
    EXPECT_EQ(ReadSetting(settings::kRestore), std::nullopt);
    EXPECT_FALSE(RestoreAvailable());

    EXPECT_TRUE(TakeBackupIfNeeded(5, 7));
    EXPECT_EQ(ReadSetting(settings::kRestore), Dword(1));
    EXPECT_TRUE(RestoreAvailable());
}

TEST_F(EngineTest, BackupTakesTheBackupDefaultForMissingMistypedOrEmptyValues) {
    PutLocation(1, Sz(L""));  // empty text
    PutLocation(2, Sz(L"1")); // a string where a number belongs
    PutLocation(3, Qword(1)); // too long for a number
    PutLocation(5, Dword(0)); // a real value is taken as it is
    PutLocation(17, Dword(0xFFFFFFFF));
    // 4, 18, 19 and 20 are missing.
    RunOptimise({.versionCode = 5, .internetType = 0, .speedSetting = 0});
    const std::pair<const wchar_t*, RegValue> backups[] = {
        {L"MinAnimate", Sz(L"1")},
        {L"DisablePagingExecutive", Dword(0)},
        {L"LargeSystemCache", Dword(0)},
        {L"Win32PrioritySeparation", Dword(2)},
        {L"AutoReboot", Dword(0)},
        {L"MaxConnectionsPerServer", Dword(0xFFFFFFFF)},
        {L"MaxConnectionsPer1_0Server", Dword(2)},
        {L"KeepAliveTime", Dword(7200000)},
        {L"KeepAliveInterval", Dword(1000)},
    };
    for (const auto& [name, value] : backups) EXPECT_EQ(ReadSetting(name), value) << Narrow(name);

    // The restore gives back what the system had, not the backup values.
    RestoreTweaks(5, 0);
    EXPECT_EQ(ReadLocation(1), Sz(L""));
    EXPECT_EQ(ReadLocation(2), Sz(L"1"));
    EXPECT_EQ(ReadLocation(3), Qword(1));
    EXPECT_EQ(ReadLocation(5), Dword(0));
    EXPECT_EQ(ReadLocation(17), Dword(0xFFFFFFFF));
    for (int missing : {4, 18, 19, 20}) EXPECT_EQ(ReadLocation(missing), std::nullopt) << missing;
    EXPECT_TRUE(ReadValuesUnder(kAbsentOriginalsKey).empty());
}

TEST_F(EngineTest, RestoreWithoutBackupValuesWritesEveryBackupDefault) {
    for (int entry : {1, 2, 3, 4, 5, 17, 18, 19, 20}) PutLocation(entry, Dword(99));
    EXPECT_TRUE(RestoreTweaks(5, 0));
    const std::pair<int, RegValue> defaults[] = {
        {1, Sz(L"1")},  {2, Dword(0)},  {3, Dword(0)},        {4, Dword(2)},     {5, Dword(1)},
        {17, Dword(2)}, {18, Dword(2)}, {19, Dword(7200000)}, {20, Dword(1000)},
    };
    for (const auto& [entry, value] : defaults) EXPECT_EQ(ReadLocation(entry), value) << entry;
    for (const TweakEntry& entry : TweakCatalogue()) {
        if (entry.backupDefault) {
            EXPECT_EQ(ReadSetting(std::wstring(entry.valueName)), std::nullopt);
        }
    }
    EXPECT_EQ(ReadSetting(settings::kRestore), std::nullopt);
}

TEST_F(EngineTest, SecondOptimiseKeepsTheFirstBackups) {
    Seed();
    RunOptimise({.versionCode = 5, .internetType = 0, .speedSetting = 0});
    const Snapshot afterFirst = TakeSnapshot();
    // Tuned values at every location now, and another speed.
    RunOptimise({.versionCode = 5, .internetType = 0, .speedSetting = 1});
    Snapshot afterSecond = TakeSnapshot();
    for (auto& [name, value] : afterSecond)
        if (name.starts_with(L"settings ") || name.starts_with(L"original ")) {
            if (name == L"settings SpeedSetting") continue;
            EXPECT_EQ(value, afterFirst.at(name)) << Narrow(name);
        }
    EXPECT_EQ(ReadSetting(L"MinAnimate"), Sz(L"0"));
    EXPECT_EQ(ReadSetting(L"MaxConnectionsPerServer"), Dword(10));
}

TEST_F(EngineTest, ConnectionLimitsAreBackedUpUnderTheMachineAndPutBackForTheUser) {
    PutLocation(17, Dword(6));
    PutLocation(18, Dword(3));
    const TweakEntry& limit = Tweak(17);
    const auto machineBefore = ReadRegRaw(HKEY_LOCAL_MACHINE, limit.keyPath, limit.valueName, false);

    RunOptimise({.versionCode = 5, .internetType = 0, .speedSetting = 1});
    EXPECT_EQ(ReadRegRaw(HKEY_LOCAL_MACHINE, kSettingsKey, L"MaxConnectionsPerServer", false), Dword(6));
    EXPECT_EQ(ReadRegRaw(HKEY_LOCAL_MACHINE, kSettingsKey, L"MaxConnectionsPer1_0Server", false), Dword(3));
    EXPECT_EQ(ReadRegRaw(HKEY_CURRENT_USER, kSettingsKey, L"MaxConnectionsPerServer", false), std::nullopt);
    EXPECT_EQ(ReadLocation(17), Dword(8));

    RestoreTweaks(5, 0);
    EXPECT_EQ(ReadRegRaw(HKEY_CURRENT_USER, limit.keyPath, L"MaxConnectionsPerServer", false), Dword(6));
    EXPECT_EQ(ReadRegRaw(HKEY_CURRENT_USER, limit.keyPath, L"MaxConnectionsPer1_0Server", false), Dword(3));
    EXPECT_EQ(ReadRegRaw(HKEY_LOCAL_MACHINE, limit.keyPath, limit.valueName, false), machineBefore);
    EXPECT_EQ(ReadSetting(L"MaxConnectionsPerServer"), std::nullopt);
}

TEST_F(EngineTest, RestoreUndoesTheInternetTypeTheOptimiseRanWithNotItsOwn) {
    // Optimised for cable, restored for dial-up: the TCP values are given back all the same.
    RunOptimise({.versionCode = 5, .internetType = 0, .speedSetting = 0});
    RestoreTweaks(5, 2);
    for (int entry = 22; entry <= 31; ++entry) EXPECT_EQ(ReadLocation(entry), std::nullopt) << entry;

    // Optimised for ISDN (TCP values untouched), restored for cable: they are left as they are.
    ClearEngineState();
    PutLocation(22, Dword(128));
    PutLocation(24, Dword(5));
    RunOptimise({.versionCode = 5, .internetType = 7, .speedSetting = 0});
    EXPECT_EQ(ReadLocation(22), Dword(128));
    PutLocation(23, Dword(9)); // appeared after the backup, not the program's
    RestoreTweaks(5, 0);
    EXPECT_EQ(ReadLocation(22), Dword(128));
    EXPECT_EQ(ReadLocation(24), Dword(5));
    EXPECT_EQ(ReadLocation(23), Dword(9));
}

} // namespace
} // namespace vx
