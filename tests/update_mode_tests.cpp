// The update mode: the check against a loopback server, the closing of a
// running instance (a real Velantrix.exe, or windows of this test standing in
// for one), the prompt as a real message box, and the hand-over to a stand-in
// updater. Then "/checkupdate" end to end with the real program.
#include "update/UpdateMode.h"

#include "core/CommandLine.h"
#include "core/Constants.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/StandInInstance.h"
#include "tests/support/TestSupport.h"
#include "ui/Captions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vx {
namespace {

using namespace std::chrono_literals;
using test::WindowText;

constexpr wchar_t kPromptClass[] = L"#32770";
constexpr wchar_t kPromptTitle[] = L"Velantrix - Make your games and internet run faster";
constexpr wchar_t kPromptText[] = L"An update for this software is available to download.\r\n\r\n"
                                  L"Do you want to download and install a new version of this software?";

HWND OwnPrompt() {
    return test::FindProcessWindow(GetCurrentProcessId(), kPromptClass);
}

void Answer(HWND prompt, int button) {
    PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

// The update mode on a thread of its own, as the test must stay free to look
// at the prompt and answer it. A prompt left open is answered No at the end.
class ModeRun {
public:
    explicit ModeRun(const UpdateModeOptions& options)
        : thread_([this, options] {
              RunUpdateModeWith(options);
              done_ = true;
          }) {}
    ~ModeRun() {
        test::WaitUntil(
            [this] {
                if (const HWND prompt = OwnPrompt()) Answer(prompt, IDNO);
                return done_.load();
            },
            30s);
        thread_.join();
    }
    ModeRun(const ModeRun&) = delete;
    ModeRun& operator=(const ModeRun&) = delete;

    bool WaitDone(std::chrono::milliseconds bound) {
        return test::WaitUntil([this] { return done_.load(); }, bound);
    }
    bool Done() const { return done_; }

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// The program's own caption tables, as the entry point hands them to the update mode.
std::wstring ProgramCaption(std::wstring_view form, std::wstring_view name) {
    return ui::GetCaption(form, name);
}

UpdateModeOptions AtServer(const test::LoopbackServer& server, const std::wstring& programFolder) {
    UpdateModeOptions options;
    options.caption = ProgramCaption;
    options.check.host = L"127.0.0.1";
    options.check.port = server.Port();
    options.programFolder = programFolder;
    return options;
}

// Whether the file shows up within the bound. Used both ways: for a program
// that must start, and for one that must not (then the bound is waited out).
bool AppearsWithin(const std::wstring& path, std::chrono::milliseconds bound) {
    return test::WaitUntil([&] { return test::FileExists(path); }, bound);
}

using test::StandInInstance;

class UpdateModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* name : {kMainFormClass, kAboutFormClass, kSettingsFormClass})
            ASSERT_EQ(FindWindowW(name, nullptr), nullptr) << "a window of an instance is still open";
        test::DeleteSettingsKey();
    }
    void TearDown() override {
        for (HWND window; (window = FindWindowW(kMainFormClass, nullptr)) != nullptr;) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            if (!test::WaitUntil([&] { return !IsWindow(window); }, 10s)) break;
        }
        test::DeleteSettingsKey();
    }
};

TEST_F(UpdateModeTest, ClosesAboutThenProgressThenMainWindow) {
    // Created in the program's own order, main window first; closed in the other.
    StandInInstance instance({kMainFormClass, kAboutFormClass, kSettingsFormClass}, true);
    ASSERT_TRUE(instance.Ready());
    CloseRunningInstance(5000);
    EXPECT_EQ(instance.Closed(), (std::vector<std::wstring>{kAboutFormClass, kSettingsFormClass, kMainFormClass}));
}

TEST_F(UpdateModeTest, MissingWindowsAreSkipped) {
    {
        StandInInstance instance({kMainFormClass}, true);
        ASSERT_TRUE(instance.Ready());
        CloseRunningInstance(5000);
        EXPECT_EQ(instance.Closed(), std::vector<std::wstring>{kMainFormClass});
    }
    {
        StandInInstance instance({kSettingsFormClass, kAboutFormClass}, true);
        ASSERT_TRUE(instance.Ready());
        CloseRunningInstance(5000);
        EXPECT_EQ(instance.Closed(), (std::vector<std::wstring>{kAboutFormClass, kSettingsFormClass}));
    }
    CloseRunningInstance(5000); // nothing to close at all
}

TEST_F(UpdateModeTest, AWindowThatDoesNotAnswerCannotHoldTheModeUp) {
    // The About window's thread has stopped handling messages; the other two
    // windows live on a thread that answers.
    StandInInstance hung({kAboutFormClass}, false);
    StandInInstance answering({kMainFormClass, kSettingsFormClass}, true);
    ASSERT_TRUE(hung.Ready() && answering.Ready());
    const auto start = std::chrono::steady_clock::now();
    std::atomic<bool> returned{false};
    std::thread closer([&] {
        CloseRunningInstance(500);
        returned = true;
    });
    const bool inTime = test::WaitUntil([&] { return returned.load(); }, 30s);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    hung.Release();
    closer.join();
    ASSERT_TRUE(inTime) << "the close requests kept waiting for a window that does not answer";
    std::printf("hung window: the close requests returned after %.2f s\n", seconds);
    EXPECT_GE(seconds, 0.4) << "the bound was not waited for";
    EXPECT_EQ(hung.ClosedCount(), 0u);
    // After giving up on the About window it went on with the others, in order.
    EXPECT_EQ(answering.Closed(), (std::vector<std::wstring>{kSettingsFormClass, kMainFormClass}));
}

TEST_F(UpdateModeTest, PromptTextsComeFromTheCaptionTable) {
    EXPECT_EQ(UpdatePromptTitle(ProgramCaption), kPromptTitle);
    EXPECT_EQ(UpdatePromptText(ProgramCaption), kPromptText);
    EXPECT_EQ(UpdatePromptTitle({}), L"") << "no lookup handed down: no texts, and no crash";
}

// ---------------------------------------------------------------------------
// Against a real instance of the program.

struct RunningInstance {
    test::Process process;
    HWND main = nullptr;
    HWND about = nullptr;
    HWND progress = nullptr;
};

// Starts the built program and waits for its three windows.
void StartInstance(RunningInstance& instance) {
    const std::wstring program = test::BuiltProgramPath();
    ASSERT_TRUE(test::FileExists(program)) << "VELANTRIX_EXE not found";
    instance.process = test::Process(program, L"");
    ASSERT_TRUE(instance.process.Started());
    const DWORD id = instance.process.Id();
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            instance.main = test::FindProcessWindow(id, kMainFormClass);
            instance.about = test::FindProcessWindow(id, kAboutFormClass);
            instance.progress = test::FindProcessWindow(id, kSettingsFormClass);
            return instance.main && instance.about && instance.progress && IsWindowVisible(instance.main);
        },
        30s))
        << "the instance's windows did not appear";
}

// Shows the instance's About and progress windows, so that closing them (which
// hides them) can be seen from outside.
void ShowSecondaryWindows(const RunningInstance& instance) {
    ShowWindow(instance.about, SW_SHOWNOACTIVATE);
    ShowWindow(instance.progress, SW_SHOWNOACTIVATE);
    ASSERT_TRUE(
        test::WaitUntil([&] { return IsWindowVisible(instance.about) && IsWindowVisible(instance.progress); }, 10s));
}

void ExpectThePrompt(HWND prompt) {
    EXPECT_EQ(GetWindow(prompt, GW_OWNER), nullptr) << "the prompt has an owner";
    EXPECT_EQ(GetParent(prompt), nullptr);
    EXPECT_EQ(WindowText(prompt), kPromptTitle);
    wchar_t text[1024] = {};
    GetDlgItemTextW(prompt, 0xFFFF, text, 1024);
    EXPECT_EQ(std::wstring(text), kPromptText);
    // MB_YESNO: Yes and No, nothing else; Yes is the default button.
    for (int button : {IDYES, IDNO}) {
        const HWND control = GetDlgItem(prompt, button);
        EXPECT_TRUE(control && IsWindowVisible(control)) << "button " << button;
    }
    for (int button : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE}) {
        const HWND control = GetDlgItem(prompt, button);
        EXPECT_FALSE(control && IsWindowVisible(control)) << "button " << button;
    }
    // The default button: drawn as the default, and holding the focus.
    const HWND yes = GetDlgItem(prompt, IDYES);
    const HWND no = GetDlgItem(prompt, IDNO);
    EXPECT_EQ(GetWindowLongW(yes, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongW(no, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(prompt, nullptr), &thread));
    EXPECT_EQ(thread.hwndFocus, yes);
    // MB_ICONINFORMATION: the system's information icon, and no other flag
    // (no MB_TOPMOST, no MB_SYSTEMMODAL) that would make the box stay on top.
    HICON shown = nullptr;
    for (HWND child = GetWindow(prompt, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            shown = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(shown, LoadIconW(nullptr, IDI_INFORMATION));
    EXPECT_NE(shown, LoadIconW(nullptr, IDI_QUESTION));
    EXPECT_EQ(GetWindowLongW(prompt, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(UpdateModeTest, AnUpdateClosesTheInstanceThenAsksAndNoStartsNothing) {
    // The order of the close requests is seen with the stand-in windows above:
    // from outside, a real instance's secondary windows vanish with its main
    // window, which owns them, and Wine passes no window events between processes.
    RunningInstance instance;
    ASSERT_NO_FATAL_FAILURE(StartInstance(instance));
    ASSERT_NO_FATAL_FAILURE(ShowSecondaryWindows(instance));
    test::TemporaryFolder folder;
    const std::wstring updater = folder.Path() + kUpdaterFileName;
    ASSERT_TRUE(test::CopyFileTo(test::HelperProgramPath(), updater));
    test::LoopbackServer server(test::Answer(test::Response("200 OK", "TOLVEN|1")));

    ModeRun run(AtServer(server, folder.Path()));
    HWND prompt = nullptr;
    ASSERT_TRUE(test::WaitUntil([&] { return (prompt = OwnPrompt()) != nullptr; }, 60s)) << "no prompt";
    // The instance was closed before the question was asked.
    EXPECT_FALSE(IsWindow(instance.main)) << "the main window was still open when the prompt appeared";
    EXPECT_FALSE(IsWindow(instance.about));
    EXPECT_FALSE(IsWindow(instance.progress));
    const auto code = instance.process.WaitForExit(20s);
    EXPECT_TRUE(code) << "the instance did not end";
    if (code) {
        EXPECT_EQ(*code, 0u) << "the instance did not end by itself";
    }

    ExpectThePrompt(prompt);
    EXPECT_FALSE(run.Done()) << "the mode must wait for the answer";
    Answer(prompt, IDNO);
    ASSERT_TRUE(run.WaitDone(10s));
    EXPECT_FALSE(IsWindow(prompt));
    EXPECT_FALSE(AppearsWithin(test::RunRecordOf(updater), 2s)) << "No started the updater";
    EXPECT_EQ(FindWindowW(kMainFormClass, nullptr), nullptr) << "a window of the program is open after No";
    server.Stop();
    EXPECT_EQ(server.Connections().size(), 1u);
}

TEST_F(UpdateModeTest, YesStartsTheUpdaterFromTheProgramFolder) {
    RunningInstance instance;
    ASSERT_NO_FATAL_FAILURE(StartInstance(instance));
    test::TemporaryFolder folder;
    const std::wstring updater = folder.Path() + kUpdaterFileName;
    ASSERT_TRUE(test::CopyFileTo(test::HelperProgramPath(), updater));
    test::LoopbackServer server(test::Answer(test::Response("200 OK", "<p>TOLVEN|1</p>")));

    ModeRun run(AtServer(server, folder.Path()));
    HWND prompt = nullptr;
    ASSERT_TRUE(test::WaitUntil([&] { return (prompt = OwnPrompt()) != nullptr; }, 60s)) << "no prompt";
    EXPECT_TRUE(instance.process.WaitForExit(20s)) << "the instance did not end";
    Answer(prompt, IDYES);
    ASSERT_TRUE(run.WaitDone(10s));
    ASSERT_TRUE(AppearsWithin(test::RunRecordOf(updater), 20s)) << "the updater did not start";
    const std::wstring commandLine = test::ReadTextFile(test::RunRecordOf(updater));
    const std::vector<std::wstring> arguments = SplitCommandLine(commandLine);
    ASSERT_FALSE(arguments.empty());
    EXPECT_EQ(CompareStringOrdinal(arguments[0].c_str(), -1, updater.c_str(), -1, TRUE), CSTR_EQUAL)
        << test::Narrow(commandLine);
    EXPECT_EQ(arguments.size(), 1u) << "the updater gets no parameters";
}

TEST_F(UpdateModeTest, YesStartsTheRealUpdater) {
    RunningInstance instance;
    ASSERT_NO_FATAL_FAILURE(StartInstance(instance));
    test::TemporaryFolder folder;
    ASSERT_TRUE(
        test::CopyFileTo(test::WindowsPathFromEnvironment("VELANTRIX_UPDATER_EXE"), folder.Path() + kUpdaterFileName));
    test::LoopbackServer server(test::Answer(test::Response("200 OK", "<p>TOLVEN|1</p>")));

    ModeRun run(AtServer(server, folder.Path()));
    HWND prompt = nullptr;
    ASSERT_TRUE(test::WaitUntil([&] { return (prompt = OwnPrompt()) != nullptr; }, 60s)) << "no prompt";
    EXPECT_TRUE(instance.process.WaitForExit(20s)) << "the instance did not end";
    Answer(prompt, IDYES);
    ASSERT_TRUE(run.WaitDone(10s));
    HWND updaterWindow = nullptr;
    ASSERT_TRUE(
        test::WaitUntil([&] { return (updaterWindow = FindWindowW(L"TVXUpdateForm", nullptr)) != nullptr; }, 30s))
        << "the updater's window did not open";
    DWORD updaterProcess = 0;
    GetWindowThreadProcessId(updaterWindow, &updaterProcess);
    const UniqueKernelHandle handle(OpenProcess(SYNCHRONIZE, FALSE, updaterProcess));
    PostMessageW(updaterWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(handle.get(), 60000), WAIT_OBJECT_0) << "the updater did not end";
}

TEST_F(UpdateModeTest, NoUpdateLeavesTheInstanceAloneAndAsksNothing) {
    RunningInstance instance;
    ASSERT_NO_FATAL_FAILURE(StartInstance(instance));
    ASSERT_NO_FATAL_FAILURE(ShowSecondaryWindows(instance));
    test::TemporaryFolder folder;
    const std::wstring updater = folder.Path() + kUpdaterFileName;
    ASSERT_TRUE(test::CopyFileTo(test::HelperProgramPath(), updater));
    struct Case {
        const char* name;
        std::string response;
    };
    const Case cases[] = {
        {"0", test::Response("200 OK", "TOLVEN|0")},
        {"2", test::Response("200 OK", "TOLVEN|2")},
        {"-1 (no token)", test::Response("200 OK", "no news")},
        {"-1 (404)", test::Response("404 Not Found", "TOLVEN|1")},
    };
    for (const Case& answer : cases) {
        SCOPED_TRACE(answer.name);
        test::LoopbackServer server(test::Answer(answer.response));
        {
            ModeRun run(AtServer(server, folder.Path()));
            EXPECT_TRUE(run.WaitDone(60s)) << "the mode did not end";
            EXPECT_EQ(OwnPrompt(), nullptr) << "a prompt appeared";
        }
        server.Stop();
        EXPECT_EQ(server.Connections().size(), 1u) << "the check was not made";
        EXPECT_TRUE(IsWindowVisible(instance.main));
        EXPECT_TRUE(IsWindowVisible(instance.about)) << "the About window was closed";
        EXPECT_TRUE(IsWindowVisible(instance.progress)) << "the progress window was closed";
        EXPECT_FALSE(instance.process.WaitForExit(0ms)) << "the instance ended";
    }
    // Nothing answers at all.
    {
        UpdateModeOptions options;
        options.caption = ProgramCaption;
        options.check.host = L"127.0.0.1";
        options.check.port = test::UnusedLoopbackPort();
        ASSERT_NE(options.check.port, 0);
        options.programFolder = folder.Path();
        ModeRun run(options);
        EXPECT_TRUE(run.WaitDone(60s));
        EXPECT_EQ(OwnPrompt(), nullptr);
    }
    EXPECT_TRUE(IsWindowVisible(instance.main));
    EXPECT_FALSE(test::FileExists(test::RunRecordOf(updater))) << "the updater was started";
}

// ---------------------------------------------------------------------------
// "/checkupdate" end to end. The real program has no setting for the server,
// so it asks the vendor's host; this sandbox has no network, so the name does
// not resolve and the check gives -1, the same as any server that cannot be
// reached.

// Runs the program with "/checkupdate" and watches it until it ends: it must
// show no window of its own. Returns the seconds it took, or -1 if it did not end.
double RunCheckUpdate(bool& showedWindow, std::chrono::seconds bound) {
    test::Process process(test::BuiltProgramPath(), L"/checkupdate");
    EXPECT_TRUE(process.Started());
    const auto start = std::chrono::steady_clock::now();
    showedWindow = false;
    const bool ended = test::WaitUntil(
        [&] {
            for (const wchar_t* name : {kMainFormClass, kAboutFormClass, kSettingsFormClass, kPromptClass})
                if (test::FindProcessWindow(process.Id(), name)) showedWindow = true;
            return process.WaitForExit(0ms).has_value();
        },
        bound);
    if (!ended) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(UpdateModeTest, CheckUpdateWithNoServerReachableEndsWithoutAWindow) {
    // The bound: the check's resolve, connect, send and receive waits of ten
    // seconds each, if every one ran out, plus the start of the process.
    bool showedWindow = false;
    const double seconds = RunCheckUpdate(showedWindow, 60s);
    ASSERT_GE(seconds, 0) << "the update-mode process did not end within 60 s";
    std::printf("\"/checkupdate\" with no server reachable ended after %.2f s\n", seconds);
    EXPECT_FALSE(showedWindow);
    EXPECT_EQ(FindWindowW(kMainFormClass, nullptr), nullptr);
}

TEST_F(UpdateModeTest, CheckUpdateWithNoUpdateBringsTheRunningInstanceToTheFront) {
    RunningInstance instance;
    ASSERT_NO_FATAL_FAILURE(StartInstance(instance));
    ShowWindow(instance.main, SW_MINIMIZE);
    ASSERT_TRUE(test::WaitUntil([&] { return IsIconic(instance.main) != FALSE; }, 10s));

    bool showedWindow = false;
    const double seconds = RunCheckUpdate(showedWindow, 60s);
    ASSERT_GE(seconds, 0) << "the update-mode process did not end within 60 s";
    EXPECT_FALSE(showedWindow);
    EXPECT_TRUE(test::WaitUntil([&] { return !IsIconic(instance.main); }, 10s)) << "not restored";
    EXPECT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == instance.main; }, 10s))
        << "not brought to the front";
    EXPECT_TRUE(IsWindowVisible(instance.main));
    EXPECT_FALSE(instance.process.WaitForExit(0ms)) << "the instance was closed";
    EXPECT_EQ(FindWindowExW(nullptr, instance.main, kMainFormClass, nullptr), nullptr) << "a second main window";
}

} // namespace
} // namespace vx
