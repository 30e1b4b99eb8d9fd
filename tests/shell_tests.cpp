// The requests handed to Windows, against the real shell, the real HTML Help
// viewer, the real process token and the prefix's browser launcher; the click
// sound and the hand cursor.
#include "core/CommandLine.h"
#include "core/Constants.h"
#include "system/Shell.h"
#include "tests/support/Reader.h"
#include "tests/support/TestSupport.h"
#include "ui/NativeHandCursor.h"
#include "toolkit/Control.h"
#include "ui/Sound.h"

#include <gtest/gtest.h>

#include <vector>

namespace vx {
namespace {

using namespace vx::test;

constexpr wchar_t kTestHelpFile[] = L"ShellTest.chm"; // built beside this program
constexpr wchar_t kTestHelpTitle[] = L"Velantrix Shell Test Help";
constexpr wchar_t kHelpWindowClass[] = L"HH Parent";
constexpr wchar_t kMessageBoxClass[] = L"#32770";

// What the stand-in program recorded, once it has run.
std::wstring WaitForRecord(const std::wstring& program) {
    std::wstring record;
    WaitUntil([&] { return !(record = ReadTextFile(RunRecordOf(program))).empty(); }, 20s);
    return record;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, length);
}

void CloseHelpWindows() {
    while (HWND help = FindWindowW(kHelpWindowClass, nullptr)) {
        SendMessageW(help, WM_CLOSE, 0, 0);
        if (!WaitUntil([&] { return !IsWindow(help); }, 5s)) break;
    }
}

TEST(RunProgram, StartsTheProgramWithTheGivenParametersOrNone) {
    struct Case {
        const wchar_t* fileName;
        const wchar_t* parameters;
        std::vector<std::wstring> extraArguments;
    };
    const Case cases[] = {
        {kUpdaterFileName, L"", {}},
        {kProgramFileName, kCheckUpdateArgument, {kCheckUpdateArgument}},
        {L"Velantrix Update.exe", L"/a \"b c\"", {L"/a", L"b c"}},
    };
    TemporaryFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileName);
        const std::wstring program = folder.Path() + c.fileName;
        ASSERT_TRUE(CopyFileTo(HelperProgramPath(), program));
        RunProgram(program, c.parameters);
        std::vector<std::wstring> expected{program};
        expected.insert(expected.end(), c.extraArguments.begin(), c.extraArguments.end());
        EXPECT_EQ(SplitCommandLine(WaitForRecord(program)), expected);
    }
}

TEST(OpenFile, OpensWithTheShellWithAndWithoutAnOwnerWindow) {
    TemporaryFolder folder;
    const std::wstring program = folder.Path() + L"Opened.exe";
    ASSERT_TRUE(CopyFileTo(HelperProgramPath(), program));

    const HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    SetShellOwnerWindow(owner);
    EXPECT_EQ(ShellOwnerWindow(), owner);
    OpenFile(program, L"first");
    EXPECT_EQ(SplitCommandLine(WaitForRecord(program)), (std::vector<std::wstring>{program, L"first"}));

    // A destroyed owner is never handed on.
    DestroyWindow(owner);
    EXPECT_EQ(ShellOwnerWindow(), nullptr);
    DeleteFileW(RunRecordOf(program).c_str());
    OpenFile(program, L"");
    EXPECT_EQ(SplitCommandLine(WaitForRecord(program)), (std::vector<std::wstring>{program}));
    SetShellOwnerWindow(nullptr);
}

TEST(Shell, MissingFilesLeadToNothingAndNoMessage) {
    TemporaryFolder folder;
    const std::wstring updater = folder.Path() + kUpdaterFileName;
    RunProgram(updater, L"");
    RunProgram(updater, kCheckUpdateArgument);
    OpenFile(folder.Path() + kLicenseFileName, L"");
    OpenUrl(folder.Path() + L"missing.htm");
    EXPECT_FALSE(
        WaitUntil([] { return FindProcessWindow(GetCurrentProcessId(), kMessageBoxClass) != nullptr; }, 1500ms));
    EXPECT_FALSE(FileExists(RunRecordOf(updater)));
}

TEST(OpenHelpTopic, LoadsTheSystemLibraryOnceAndOpensTheHelpWindow) {
    ASSERT_TRUE(FileExists(TestFolder() + kTestHelpFile)) << "the test help file was not built";
    const std::wstring systemLibrary = SystemLibraryPath(HtmlHelpLibrary::kFileName);
    ASSERT_TRUE(FileExists(systemLibrary));
    // A library of that name in the program folder (also the current directory
    // here) must never be the one that runs.
    const std::wstring planted = TestFolder() + L"hhctrl.ocx";
    ASSERT_TRUE(CopyFileTo(systemLibrary, planted));
    CloseHelpWindows();

    OpenHelpTopic(kTestHelpFile, kHelpTopic);
    OpenHelpTopic(kTestHelpFile, kHelpTopic);

    const HtmlHelpLibrary& library = HtmlHelpLibrary::Instance();
    EXPECT_EQ(library.Loads(), 1);
    EXPECT_EQ(library.Attempts(), 1);
    ASSERT_NE(library.Module(), nullptr);
    EXPECT_TRUE(SameFile(ModulePath(library.Module()), systemLibrary)) << ModulePath(library.Module());
    EXPECT_FALSE(SameFile(ModulePath(library.Module()), planted));

    // The test file's own title differs from its window type's caption, so the
    // title shows that the window type was used. (Wine's viewer always takes the
    // file's first window type; the ">HelpWindow" selector is checked below.)
    const HWND help = WaitForWindow(kHelpWindowClass, 20s);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(WindowText(help), kTestHelpTitle);
    // The viewer is owned by no window of the program.
    EXPECT_EQ(GetWindow(help, GW_OWNER), nullptr);

    CloseHelpWindows();
    EXPECT_EQ(FindWindowW(kHelpWindowClass, nullptr), nullptr);
    DeleteFileW(planted.c_str());
}

TEST(OpenHelpTopic, TheProgramsOwnHelpFileOpensInItsHelpWindow) {
    // The help file that is shipped beside Velantrix.exe, opened as the program opens it.
    const std::wstring program = BuiltProgramPath();
    const std::wstring shipped = program.substr(0, program.find_last_of(L'\\') + 1) + kHelpFileName;
    const std::wstring copy = TestFolder() + kHelpFileName;
    ASSERT_TRUE(CopyFileTo(shipped, copy)) << "Velantrix.chm is not beside the program";
    CloseHelpWindows();
    OpenHelpTopic(kHelpFileName, kHelpTopic);
    const HWND help = WaitForWindow(kHelpWindowClass, 20s);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(WindowText(help), L"Velantrix Help");
    CloseHelpWindows();
    DeleteFileW(copy.c_str());
}

TEST(OpenHelpTopic, BuildsThePathFromFolderFileTopicAndWindowType) {
    EXPECT_EQ(HelpPath(L"C:\\Program Files\\Velantrix\\", kHelpFileName, kHelpTopic),
              L"C:\\Program Files\\Velantrix\\Velantrix.chm::/html/main.htm>HelpWindow");
}

TEST(HtmlHelpLibrary, RetriesAFailedLoadAndKeepsALibraryWithoutTheEntryPoints) {
    const std::wstring systemLibrary = SystemLibraryPath(HtmlHelpLibrary::kFileName);
    {
        TemporaryFolder folder;
        HtmlHelpLibrary library(folder.Path());
        EXPECT_EQ(library.Function(), nullptr);
        EXPECT_EQ(library.Function(), nullptr);
        EXPECT_EQ(library.Attempts(), 2);
        EXPECT_EQ(library.Loads(), 0);

        ASSERT_TRUE(CopyFileTo(systemLibrary, folder.Path() + HtmlHelpLibrary::kFileName));
        EXPECT_NE(library.Function(), nullptr);
        EXPECT_NE(library.Function(), nullptr);
        EXPECT_EQ(library.Attempts(), 3);
        EXPECT_EQ(library.Loads(), 1);
    }
    // A library without the help entry points (under a name of its own: Wine
    // would answer a load of any file named hhctrl.ocx with its own).
    TemporaryFolder folder;
    ASSERT_TRUE(CopyFileTo(TestFolder() + L"PlantedLibrary.dll", folder.Path() + L"nohelp.dll"));
    HtmlHelpLibrary noHelp(folder.Path(), L"nohelp.dll");
    EXPECT_EQ(noHelp.Function(), nullptr);
    EXPECT_EQ(noHelp.Function(), nullptr);
    EXPECT_NE(noHelp.Module(), nullptr);
    EXPECT_EQ(noHelp.Attempts(), 1);
}

// Whether the process token has the shutdown privilege enabled right now.
bool ShutdownPrivilegeEnabled() {
    UniqueKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
    LUID luid{};
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &luid)) return false;
    std::vector<BYTE> buffer(4096);
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenPrivileges, buffer.data(), static_cast<DWORD>(buffer.size()), &size))
        return false;
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
        if (entry.Luid.LowPart == luid.LowPart && entry.Luid.HighPart == luid.HighPart)
            return (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    return false;
}

struct ExitCall {
    UINT flags;
    DWORD reason;
    bool privilegeEnabled;
};
std::vector<ExitCall> g_exitCalls;

BOOL WINAPI RecordExit(UINT flags, DWORD reason) {
    g_exitCalls.push_back({flags, reason, ShutdownPrivilegeEnabled()});
    SetLastError(ERROR_PRIVILEGE_NOT_HELD);
    return FALSE; // refused: the program goes on
}

BOOL WINAPI RefuseToken(HANDLE, DWORD, HANDLE* token) {
    *token = nullptr;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST(RestartWindows, RequestsARebootWithThePrivilegeEnabledOnlyDuringTheCall) {
    g_exitCalls.clear();
    RestartCalls calls;
    calls.exitWindows = RecordExit;
    RestartWindowsWith(calls);
    ASSERT_EQ(g_exitCalls.size(), 1u);
    EXPECT_EQ(g_exitCalls[0].flags, 6u);
    EXPECT_EQ(g_exitCalls[0].flags, static_cast<UINT>(EWX_REBOOT | EWX_FORCE));
    EXPECT_EQ(g_exitCalls[0].reason, 0u);
    EXPECT_TRUE(g_exitCalls[0].privilegeEnabled);
    EXPECT_FALSE(ShutdownPrivilegeEnabled());
}

TEST(RestartWindows, StillRequestsTheRebootWhenThePrivilegeCannotBeEnabled) {
    g_exitCalls.clear();
    RestartCalls calls;
    calls.openProcessToken = RefuseToken;
    calls.exitWindows = RecordExit;
    RestartWindowsWith(calls);
    ASSERT_EQ(g_exitCalls.size(), 1u);
    EXPECT_EQ(g_exitCalls[0].flags, static_cast<UINT>(EWX_REBOOT | EWX_FORCE));
    EXPECT_EQ(g_exitCalls[0].reason, 0u);
    EXPECT_FALSE(g_exitCalls[0].privilegeEnabled);
}

TEST(SetShutdownPrivilege, EnablesAndDisablesThePrivilegeInTheToken) {
    SetShutdownPrivilege(true);
    EXPECT_TRUE(ShutdownPrivilegeEnabled());
    SetShutdownPrivilege(false);
    EXPECT_FALSE(ShutdownPrivilegeEnabled());
}

TEST(OpenUrl, HandsTheAddressToTheBrowser) {
    ASSERT_TRUE(FileExists(TestFolder() + L"browser-stand-in.sh"));
    BrowserStandIn browser;
    OpenUrl(kVendorSupportUrl);
    std::wstring record;
    EXPECT_TRUE(WaitUntil(
        [&] { return (record = ReadTextFile(BrowserStandIn::RecordPath())).find(L'\n') != std::wstring::npos; }, 20s));
    EXPECT_EQ(record, std::wstring(kVendorSupportUrl) + L"\n");
}

DWORD WINAPI PlayClickThread(void*) {
    ui::PlayClickSound();
    return 0;
}

TEST(PlayClickSound, PlaysTheResourceAndReturns) {
    // This program carries a short CLICK sound of its own, so the lookup succeeds
    // and the sound goes to the (absent) device.
    ASSERT_NE(FindResourceW(nullptr, L"CLICK", L"WAVE"), nullptr);
    UniqueKernelHandle thread(CreateThread(nullptr, 0, PlayClickThread, nullptr, 0, nullptr));
    ASSERT_TRUE(thread);
    EXPECT_EQ(WaitForSingleObject(thread.get(), 20000), WAIT_OBJECT_0);
}

TEST(NativeHandCursor, HandPointIsTheArrowUntilTheSystemHandIsInstalled) {
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    ASSERT_NE(hand, nullptr);
    ASSERT_NE(hand, arrow);
    EXPECT_EQ(ui::HandPointCursor(), arrow);
    ui::InstallNativeHandCursor();
    EXPECT_EQ(ui::HandPointCursor(), hand);
    ui::InstallNativeHandCursor();
    EXPECT_EQ(ui::HandPointCursor(), hand);
}

} // namespace
} // namespace vx
