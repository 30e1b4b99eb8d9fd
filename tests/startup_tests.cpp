// Start-up: the command line, and the real Velantrix.exe started from this
// test in the test prefix (dates, modes, the single-instance rule).
#include "core/CommandLine.h"
#include "core/Constants.h"
#include "core/CustomRegistry.h"
#include "core/StoredDate.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vx {
namespace {

using namespace std::chrono_literals;

TEST(CommandLine, SplitsTheWindowsWay) {
    using Args = std::vector<std::wstring>;
    EXPECT_EQ(SplitCommandLine(L"prog.exe /checkupdate"), (Args{L"prog.exe", L"/checkupdate"}));
    EXPECT_EQ(SplitCommandLine(L"  \"C:\\Program Files\\V\\Velantrix.exe\"\t /x  y "),
              (Args{L"C:\\Program Files\\V\\Velantrix.exe", L"/x", L"y"}));
    EXPECT_EQ(SplitCommandLine(L"a\x01\x02"
                               L"b\r\nc"),
              (Args{L"a", L"b", L"c"}));
    EXPECT_EQ(SplitCommandLine(L"a \"two words\" x\"y z\"w"), (Args{L"a", L"two words", L"xy zw"}));
    EXPECT_EQ(SplitCommandLine(L""), Args{});
    EXPECT_EQ(FirstArgument(L"prog.exe"), L"");
    EXPECT_EQ(FirstArgument(L"prog.exe \"/checkupdate\" more"), L"/checkupdate");
}

TEST(CommandLine, OnlyTheExactUpdateArgumentInAnyCaseSelectsTheUpdateMode) {
    for (const wchar_t* yes : {L"/checkupdate", L"/CheckUpdate", L"/CHECKUPDATE"})
        EXPECT_TRUE(IsUpdateCheckArgument(yes)) << yes;
    for (const wchar_t* no :
         {L"/checkupdate2", L"checkupdate", L"/check update", L"", L" /checkupdate", L"/checkupdat\u0130"})
        EXPECT_FALSE(IsUpdateCheckArgument(no)) << no;
}

TEST(CommandLine, ProgramFolderEndsInABackslash) {
    const std::wstring folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_TRUE(test::FileExists(folder + L"startup_tests.exe"));
}

// Drives the built program. Each test starts from an empty settings key and
// leaves no instance running.
class ProgramStart : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = test::BuiltProgramPath();
        ASSERT_TRUE(test::FileExists(program_)) << "VELANTRIX_EXE not found";
        ASSERT_EQ(FindWindowW(kMainFormClass, nullptr), nullptr) << "an instance is still running";
        test::DeleteSettingsKey();
    }
    void TearDown() override {
        for (HWND window; (window = FindWindowW(kMainFormClass, nullptr)) != nullptr;) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            test::WaitUntil([&] { return !IsWindow(window); }, 10s);
        }
        test::DeleteSettingsKey();
    }

    // Starts the program and waits until its main window exists.
    test::Process StartWithWindow(const std::wstring& arguments, HWND& mainWindow) {
        test::Process process(program_, arguments);
        EXPECT_TRUE(process.Started());
        test::WaitUntil([&] { return (mainWindow = test::FindProcessWindow(process.Id(), kMainFormClass)); }, 30s);
        EXPECT_NE(mainWindow, nullptr) << "no main window for: " << test::Narrow(arguments);
        return process;
    }
    static void CloseAndExpectCleanExit(test::Process& process, HWND mainWindow) {
        PostMessageW(mainWindow, WM_CLOSE, 0, 0);
        const auto code = process.WaitForExit(30s);
        ASSERT_TRUE(code) << "the program did not end after its main window was closed";
        EXPECT_EQ(*code, 0u);
    }
    static std::wstring Settings(const wchar_t* name) {
        return ReadRegString(kSettingsRoot, kSettingsKey, name, L"<absent>", false);
    }
    static std::optional<RegValue> Raw(const wchar_t* name) {
        return ReadRegRaw(kSettingsRoot, kSettingsKey, name, false);
    }
    static void ExpectStoredNow(const wchar_t* name) {
        const auto value = Raw(name);
        ASSERT_TRUE(value) << "missing";
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
        const std::wstring text = Settings(name);
        const long long stored = std::wcstoll(text.c_str(), nullptr, 10);
        const long long now = DateToStoredSeconds(CurrentDateTime());
        EXPECT_EQ(std::to_wstring(stored), text) << "a plain decimal number";
        EXPECT_LE(std::llabs(now - stored), 60) << "within a minute of now";
    }

    std::wstring program_;
};

TEST_F(ProgramStart, FirstStartRecordsTheInstallationDateOnlyAndShowsTheMainWindow) {
    HWND mainWindow = nullptr;
    test::Process process = StartWithWindow(L"", mainWindow);
    ASSERT_TRUE(mainWindow);
    EXPECT_TRUE(test::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }, 10s));
    ExpectStoredNow(L"InstalledDate");
    EXPECT_FALSE(Raw(L"UpdatedDate"));
    // The other two windows exist hidden, in the same process.
    const HWND about = test::FindProcessWindow(process.Id(), kAboutFormClass);
    const HWND progress = test::FindProcessWindow(process.Id(), kSettingsFormClass);
    ASSERT_TRUE(about && progress);
    EXPECT_FALSE(IsWindowVisible(about));
    EXPECT_FALSE(IsWindowVisible(progress));
    EXPECT_EQ(GetWindow(about, GW_OWNER), mainWindow);
    EXPECT_EQ(GetWindow(progress, GW_OWNER), mainWindow);
    RECT client{};
    GetClientRect(mainWindow, &client);
    EXPECT_EQ(client.right, 764);
    EXPECT_EQ(client.bottom, 500);
    CloseAndExpectCleanExit(process, mainWindow);
}

// What a start does not use is loaded when first needed: the shell when the
// program opens something, the connection, sound and help libraries likewise.
TEST_F(ProgramStart, LibrariesForLaterRequestsAreNotLoadedAtStart) {
    HWND mainWindow = nullptr;
    test::Process process = StartWithWindow(L"", mainWindow);
    ASSERT_TRUE(mainWindow);
    ASSERT_TRUE(test::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }, 10s));
    ASSERT_TRUE(test::HasModule(process.Id(), L"user32.dll")) << "the process's modules cannot be read";
    for (const wchar_t* library : {L"shell32.dll", L"winhttp.dll", L"winmm.dll", L"hhctrl.ocx"})
        EXPECT_FALSE(test::HasModule(process.Id(), library)) << test::Narrow(library);
    CloseAndExpectCleanExit(process, mainWindow);
}

TEST_F(ProgramStart, InstallationDateIsKeptWhenPresentAndRewrittenWhenUnusable) {
    WriteRegString(kSettingsRoot, kSettingsKey, L"InstalledDate", L"1451606400", false);
    {
        HWND mainWindow = nullptr;
        test::Process process = StartWithWindow(L"", mainWindow);
        CloseAndExpectCleanExit(process, mainWindow);
    }
    EXPECT_EQ(Settings(L"InstalledDate"), L"1451606400");

    WriteRegInteger(kSettingsRoot, kSettingsKey, L"InstalledDate", 1451606400, false);
    {
        HWND mainWindow = nullptr;
        test::Process process = StartWithWindow(L"", mainWindow);
        CloseAndExpectCleanExit(process, mainWindow);
    }
    ExpectStoredNow(L"InstalledDate");
}

TEST_F(ProgramStart, AnUpdateFlagBecomesTheUpdateDate) {
    WriteRegInteger(kSettingsRoot, kSettingsKey, L"Updated", 2, false);
    {
        HWND mainWindow = nullptr;
        test::Process process = StartWithWindow(L"", mainWindow);
        CloseAndExpectCleanExit(process, mainWindow);
    }
    EXPECT_EQ(ReadRegInteger(kSettingsRoot, kSettingsKey, L"Updated", -1, false), 0);
    ExpectStoredNow(L"UpdatedDate");

    // A flag stored as text is not this program's to interpret: both values stay as they are.
    test::DeleteSettingsKey();
    WriteRegString(kSettingsRoot, kSettingsKey, L"Updated", L"1", false);
    {
        HWND mainWindow = nullptr;
        test::Process process = StartWithWindow(L"", mainWindow);
        CloseAndExpectCleanExit(process, mainWindow);
    }
    EXPECT_EQ(Settings(L"Updated"), L"1");
    EXPECT_FALSE(Raw(L"UpdatedDate"));
}

TEST_F(ProgramStart, UpdateCheckModeOpensNoWindowButRecordsTheDates) {
    test::Process process(program_, L"/CheckUpdate");
    ASSERT_TRUE(process.Started());
    const auto code = process.WaitForExit(60s);
    ASSERT_TRUE(code) << "the update-check process did not end";
    EXPECT_EQ(*code, 0u);
    EXPECT_EQ(FindWindowW(kMainFormClass, nullptr), nullptr);
    ExpectStoredNow(L"InstalledDate");
}

TEST_F(ProgramStart, AnythingButTheExactFirstArgumentStartsNormally) {
    for (const wchar_t* arguments : {L"/checkupdate2", L"checkupdate", L"/other /checkupdate"}) {
        HWND mainWindow = nullptr;
        test::Process process = StartWithWindow(arguments, mainWindow);
        CloseAndExpectCleanExit(process, mainWindow);
    }
}

TEST_F(ProgramStart, ASecondStartBringsBackTheFirstInstance) {
    HWND mainWindow = nullptr;
    test::Process first = StartWithWindow(L"", mainWindow);
    ASSERT_TRUE(test::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }, 10s));
    ShowWindow(mainWindow, SW_MINIMIZE);
    ASSERT_TRUE(test::WaitUntil([&] { return IsIconic(mainWindow) != FALSE; }, 10s));

    test::Process second(program_, L"");
    const auto code = second.WaitForExit(30s);
    ASSERT_TRUE(code) << "the second process did not end";
    EXPECT_EQ(*code, 0u);
    EXPECT_TRUE(test::WaitUntil([&] { return !IsIconic(mainWindow); }, 10s)) << "not restored";
    EXPECT_EQ(test::FindProcessWindow(second.Id(), kMainFormClass), nullptr);
    EXPECT_EQ(FindWindowExW(nullptr, mainWindow, kMainFormClass, nullptr), nullptr) << "a second main window";
    CloseAndExpectCleanExit(first, mainWindow);
}

} // namespace
} // namespace vx
