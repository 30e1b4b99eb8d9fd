// The update reminder and the updates button: when the last update is more
// than 45 days away the main window starts "Velantrix.exe /checkupdate" from
// its folder, and the button starts the updater with no check. Driven through
// a copy of the real program under another name, with stand-ins of ours as
// "Velantrix.exe" and "VelantrixUpdate.exe" beside it.
#include "update/UpdateReminder.h"

#include "core/CommandLine.h"
#include "core/Constants.h"
#include "core/CustomRegistry.h"
#include "core/StoredDate.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace vx {
namespace {

using namespace std::chrono_literals;
using test::Narrow;

constexpr double kHour = 1.0 / 24.0;

std::wstring StoredAt(double dateTime) {
    return std::to_wstring(DateToStoredSeconds(dateTime));
}

// The current moment to the whole second, as a stored date holds it, so that
// the stored dates below lie exactly the given time away from it.
double WholeSecondNow() {
    return StoredSecondsToDate(DateToStoredSeconds(CurrentDateTime()));
}

TEST(UpdateReminderDue, CountsWholeDaysEitherWayFromTheStoredDate) {
    const double now = WholeSecondNow();
    const double second = 1.0 / 86400.0;
    EXPECT_FALSE(UpdateReminderDue(StoredAt(now), now)) << "no update recorded counts from now";
    EXPECT_FALSE(UpdateReminderDue(StoredAt(now - 45), now));
    EXPECT_FALSE(UpdateReminderDue(StoredAt(now - 45 - 23 * kHour), now));
    EXPECT_FALSE(UpdateReminderDue(StoredAt(now - 46 + second), now));
    EXPECT_TRUE(UpdateReminderDue(StoredAt(now - 46), now));
    EXPECT_TRUE(UpdateReminderDue(StoredAt(now - 400), now));
    // A clock set back: the difference has no sign.
    EXPECT_TRUE(UpdateReminderDue(StoredAt(now + 46), now));
    EXPECT_FALSE(UpdateReminderDue(StoredAt(now + 46 - second), now));
}

TEST(UpdateReminderDue, TextThatIsNoDateNeverFires) {
    const double now = CurrentDateTime();
    for (const wchar_t* text : {L"", L"not a date", L"12x", L"99999999999", L"a/b", L"::"})
        EXPECT_FALSE(UpdateReminderDue(text, now)) << Narrow(text);
    // A date already written as text (it holds "/") is read as it stands.
    EXPECT_TRUE(UpdateReminderDue(L"1/1/2016", now));
}

// Runs a copy of the built program, stored under another name, in a folder of
// its own. Each test starts from an empty settings key and leaves no instance.
class ProgramCopy : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::FileExists(test::BuiltProgramPath())) << "VELANTRIX_EXE not found";
        ASSERT_EQ(FindWindowW(kMainFormClass, nullptr), nullptr) << "an instance is still running";
        test::DeleteSettingsKey();
        program_ = folder_.Path() + L"Tuner Copy.exe";
        ASSERT_TRUE(test::CopyFileTo(test::BuiltProgramPath(), program_));
    }
    void TearDown() override {
        for (HWND window; (window = FindWindowW(kMainFormClass, nullptr)) != nullptr;) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            if (!test::WaitUntil([&] { return !IsWindow(window); }, 10s)) break;
        }
        test::DeleteSettingsKey();
    }

    std::wstring PlaceStandIn(const wchar_t* name) {
        const std::wstring path = folder_.Path() + name;
        EXPECT_TRUE(test::CopyFileTo(test::HelperProgramPath(), path));
        return path;
    }

    // Starts the copy and waits for its main window to be shown.
    test::Process StartCopy(HWND& mainWindow) {
        test::Process process(program_, L"");
        EXPECT_TRUE(process.Started());
        mainWindow = nullptr;
        test::WaitUntil(
            [&] {
                mainWindow = test::FindProcessWindow(process.Id(), kMainFormClass);
                return mainWindow && IsWindowVisible(mainWindow);
            },
            30s);
        EXPECT_TRUE(mainWindow && IsWindowVisible(mainWindow)) << "the main window did not open";
        return process;
    }
    static void Close(test::Process& process, HWND mainWindow) {
        PostMessageW(mainWindow, WM_CLOSE, 0, 0);
        EXPECT_TRUE(process.WaitForExit(30s)) << "the program did not end";
    }

    test::TemporaryFolder folder_;
    std::wstring program_;
};

TEST_F(ProgramCopy, ReminderStartsTheUpdateModeOnlyAfterFortyFiveWholeDays) {
    const std::wstring standIn = PlaceStandIn(kProgramFileName);
    const std::wstring record = test::RunRecordOf(standIn);
    struct Case {
        const char* name;
        std::optional<double> daysFromNow; // nothing: the text below
        const wchar_t* text;
        bool starts;
    };
    const Case cases[] = {
        {"absent", std::nullopt, nullptr, false},
        {"45 days 23 hours ago", -(45 + 23 * kHour), nullptr, false},
        // A little more than 46 days either way: the stored date is rounded to the
        // whole second, which can make exactly 46 days ago read as 45 days and
        // 23:59:59.5 when the program starts within half a second.
        {"46 days ago", -(46 + kHour), nullptr, true},
        {"46 days ahead", 46 + kHour, nullptr, true},
        {"not a date", std::nullopt, L"not a date", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(record.c_str());
        test::DeleteSettingsKey();
        if (c.daysFromNow)
            WriteRegString(kSettingsRoot, kSettingsKey, L"UpdatedDate", StoredAt(CurrentDateTime() + *c.daysFromNow),
                           false);
        else if (c.text) WriteRegString(kSettingsRoot, kSettingsKey, L"UpdatedDate", c.text, false);

        HWND mainWindow = nullptr;
        test::Process process = StartCopy(mainWindow);
        ASSERT_TRUE(mainWindow);
        if (c.starts) {
            ASSERT_TRUE(test::WaitUntil([&] { return test::FileExists(record); }, 20s)) << "nothing was started";
            const std::vector<std::wstring> arguments = SplitCommandLine(test::ReadTextFile(record));
            ASSERT_EQ(arguments.size(), 2u);
            // The program file's fixed name, not the name of the running copy.
            EXPECT_EQ(CompareStringOrdinal(arguments[0].c_str(), -1, standIn.c_str(), -1, TRUE), CSTR_EQUAL)
                << Narrow(arguments[0]);
            EXPECT_EQ(arguments[1], kCheckUpdateArgument);
        } else {
            // Had it been started, it would have been by now: the start is made
            // before the main window is shown, and the stand-in records at once.
            EXPECT_FALSE(test::WaitUntil([&] { return test::FileExists(record); }, 2s)) << "something was started";
        }
        // The main window does not wait for the started process.
        EXPECT_TRUE(IsWindowVisible(mainWindow));
        Close(process, mainWindow);
    }
}

TEST_F(ProgramCopy, ReminderWithNoProgramFileBesideItStartsNothing) {
    WriteRegString(kSettingsRoot, kSettingsKey, L"UpdatedDate", StoredAt(CurrentDateTime() - 60), false);
    HWND mainWindow = nullptr;
    test::Process process = StartCopy(mainWindow);
    ASSERT_TRUE(mainWindow);
    // No message of any kind, and the running copy was not started in its place.
    EXPECT_FALSE(test::WaitUntil([&] { return test::FindProcessWindow(process.Id(), L"#32770") != nullptr; }, 2s));
    EXPECT_EQ(FindWindowExW(nullptr, mainWindow, kMainFormClass, nullptr), nullptr);
    EXPECT_TRUE(IsWindowVisible(mainWindow));
    Close(process, mainWindow);
}

TEST_F(ProgramCopy, UpdatesButtonStartsTheUpdaterWithNoCheck) {
    // This sandbox reaches no server, so a start that waited for the check's
    // answer would never come: the updater starts even when no update exists.
    const std::wstring updater = PlaceStandIn(kUpdaterFileName);
    const std::wstring reminderRecord = test::RunRecordOf(PlaceStandIn(kProgramFileName));
    HWND mainWindow = nullptr;
    test::Process process = StartCopy(mainWindow);
    ASSERT_TRUE(mainWindow);
    const HWND button = test::FindChild(mainWindow, L"Button", L" &Check for updates ...");
    ASSERT_NE(button, nullptr) << "no updates button";
    PostMessageW(button, BM_CLICK, 0, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return test::FileExists(test::RunRecordOf(updater)); }, 20s))
        << "the updater did not start";
    const std::vector<std::wstring> arguments = SplitCommandLine(test::ReadTextFile(test::RunRecordOf(updater)));
    ASSERT_EQ(arguments.size(), 1u) << "the updater gets no parameters";
    EXPECT_EQ(CompareStringOrdinal(arguments[0].c_str(), -1, updater.c_str(), -1, TRUE), CSTR_EQUAL);
    EXPECT_FALSE(test::FileExists(reminderRecord)) << "the update mode was started";
    EXPECT_TRUE(IsWindowVisible(mainWindow));
    Close(process, mainWindow);
}

TEST_F(ProgramCopy, UpdatesButtonStartsTheRealUpdater) {
    // The updater that ships, beside the program: the button opens its window.
    // This sandbox reaches no vendor server, so it ends with one sentence.
    const std::wstring updater = folder_.Path() + kUpdaterFileName;
    ASSERT_TRUE(test::CopyFileTo(test::WindowsPathFromEnvironment("VELANTRIX_UPDATER_EXE"), updater));
    HWND mainWindow = nullptr;
    test::Process process = StartCopy(mainWindow);
    ASSERT_TRUE(mainWindow);
    const HWND button = test::FindChild(mainWindow, L"Button", L" &Check for updates ...");
    ASSERT_NE(button, nullptr) << "no updates button";
    PostMessageW(button, BM_CLICK, 0, 0);
    HWND updaterWindow = nullptr;
    ASSERT_TRUE(
        test::WaitUntil([&] { return (updaterWindow = FindWindowW(L"TVXUpdateForm", nullptr)) != nullptr; }, 30s))
        << "the updater's window did not open";
    EXPECT_EQ(test::WindowText(updaterWindow), L"Update Velantrix");
    DWORD updaterProcess = 0;
    GetWindowThreadProcessId(updaterWindow, &updaterProcess);
    const UniqueKernelHandle handle(OpenProcess(SYNCHRONIZE, FALSE, updaterProcess));
    // Closing while it works cancels and then ends it.
    PostMessageW(updaterWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(handle.get(), 60000), WAIT_OBJECT_0) << "the updater did not end";
    EXPECT_TRUE(IsWindowVisible(mainWindow));
    Close(process, mainWindow);
}

TEST(StartUpdater, StartsTheUpdaterOfTheFolderWithNoParameters) {
    test::TemporaryFolder folder;
    const std::wstring updater = folder.Path() + kUpdaterFileName;
    ASSERT_TRUE(test::CopyFileTo(test::HelperProgramPath(), updater));
    StartUpdaterIn(folder.Path());
    ASSERT_TRUE(test::WaitUntil([&] { return test::FileExists(test::RunRecordOf(updater)); }, 20s));
    EXPECT_EQ(SplitCommandLine(test::ReadTextFile(test::RunRecordOf(updater))).size(), 1u);
    // A folder without the updater: nothing happens, and nothing is reported.
    test::TemporaryFolder empty;
    StartUpdaterIn(empty.Path());
}

} // namespace
} // namespace vx
