// The real program (its quick-steps build) driven from this process as a user
// would drive it: the lists, the buttons, the progress window, the message
// boxes; the registry read back afterwards and compared with what the engine
// alone gives for the same choices.
#include "core/Constants.h"
#include "core/CustomRegistry.h"
#include "engine/TweakRuns.h"
#include "system/WindowsVersion.h"
#include "tests/support/EngineState.h"
#include "tests/support/Reader.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

namespace vx::test {
namespace {

std::wstring QuickProgram() {
    return WindowsPathFromEnvironment("VELANTRIX_QUICK_EXE");
}

// A drop-down list of the main window, known by its first item.
HWND ListStartingWith(HWND root, std::wstring_view firstItem) {
    for (HWND child : Descendants(root)) {
        if (!IsOfClass(child, L"ComboBox")) continue;
        wchar_t text[256]{};
        if (SendMessageW(child, CB_GETLBTEXTLEN, 0, 0) < 255)
            SendMessageW(child, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        if (firstItem == text) return child;
    }
    return nullptr;
}

// What a reader hears in a window: the names of its windowless controls' windows, by role.
struct ReaderTexts {
    std::vector<std::wstring> links;
    std::vector<std::wstring> buttons; // pictures that act on a click
    std::set<std::wstring> texts;
    int unnamedOrOther = 0; // a window with no object, an empty name or another role
};

ReaderTexts ReadGraphicWindows(HWND root) {
    ReaderTexts seen;
    for (HWND window : GraphicWindows(root)) {
        const ReaderView view = ReaderSees(window);
        if (!view.found || view.name.empty()) ++seen.unnamedOrOther;
        else if (view.role == kRoleLink) seen.links.push_back(view.name);
        else if (view.role == kRolePushButton) seen.buttons.push_back(view.name);
        else if (view.role == kRoleStaticText) seen.texts.insert(view.name);
        else ++seen.unnamedOrOther;
    }
    return seen;
}

// The texts a reader must hear for the main window, in one language.
struct MainWindowNames {
    std::wstring windows, processor, connection, speed;
    std::vector<std::wstring> buttons; // Optimize now, Restore, Check for updates
    std::vector<std::wstring> links;
    std::vector<std::wstring> pictures;
    std::vector<std::wstring> someTexts;
};

const MainWindowNames kEnglishNames{
    L"Operating System", L"Processor", L"Internet Type", L"Speed Setting",
    {L"Optimize now", L"Restore", L"Check for updates ..."},
    {L"Help with Velantrix", L"Contact tech support", L"Click to visit our website", L"About Velantrix"},
    {L"Help", L"Home", L"Support", L"About"},
    {L"Operating System", L"Processor", L"Boost", L"Maximum Boost"}};

const MainWindowNames kKoreanNames{
    L"운영 체제", L"프로세서", L"인터넷 타입",
    L"속도 설정",
    {L"지금 최적화(O)", L"초기화(R)", L"업데이트 체크(C) ..."},
    {L"Velantrix 도움말", L"기술 지원 연락", L"웹사이트 방문",
     L"Velantrix 정보"},
    {L"도움말", L"홈페이지", L"지원", L"정보"},
    {L"운영 체제", L"빠르게", L"매우 빠르게"}};

struct Choices {
    int windowsItem;
    int internetType;
    int speedSetting;
    int processorType = 0;
};

// One running quick program and its controls.
class RunningProgram {
public:
    RunningProgram() : process_(QuickProgram(), L"") {
        // Made hidden, with its controls, and shown once it is complete.
        WaitUntil(
            [&] {
                main_ = FindProcessWindow(process_.Id(), kMainFormClass);
                return main_ && IsWindowVisible(main_);
            },
            30s);
        if (!main_) return;
        windows_ = ListStartingWith(main_, L"  Microsoft \u00AE Windows 10");
        processors_ = ListStartingWith(main_, L"  Intel \u00AE Processor");
        connections_ = ListStartingWith(main_, L"  Cable | DSL | Wi-Fi");
        for (HWND child : Descendants(main_))
            if (ClassOf(child) == TRACKBAR_CLASSW) speed_ = child;
        go_ = FindChild(main_, L"Button", L"&Optimize now");
        restore_ = FindChild(main_, L"Button", L"&Restore");
    }
    ~RunningProgram() {
        if (!process_.WaitForExit(0ms)) {
            if (main_ && IsWindow(main_)) PostMessageW(main_, WM_CLOSE, 0, 0);
            if (!process_.WaitForExit(10s)) process_.Kill();
        }
    }

    bool Ready() const { return main_ && windows_ && processors_ && connections_ && speed_ && go_ && restore_; }
    HWND Main() const { return main_; }
    HWND RestoreButton() const { return restore_; }
    HWND WindowsList() const { return windows_; }
    HWND ProcessorList() const { return processors_; }
    HWND ConnectionList() const { return connections_; }
    HWND Speed() const { return speed_; }
    HWND Go() const { return go_; }

    // Every control of the window as a reader hears it.
    void ExpectReaderHears(const MainWindowNames& names) {
        if (!ReadersReach(main_)) return;
        const struct {
            HWND window;
            const std::wstring& name;
            long role;
        } controls[] = {{windows_, names.windows, kRoleComboBox},
                        {processors_, names.processor, kRoleComboBox},
                        {connections_, names.connection, kRoleComboBox},
                        {speed_, names.speed, kRoleSlider}};
        for (const auto& control : controls) {
            const ReaderView view = ReaderSees(control.window);
            EXPECT_TRUE(view.found);
            EXPECT_EQ(view.name, control.name);
            EXPECT_EQ(view.role, control.role) << Narrow(control.name);
        }
        const ReaderTexts seen = ReadGraphicWindows(main_);
        EXPECT_EQ(seen.links, names.links) << "the links, in the tab order";
        EXPECT_EQ(seen.buttons, names.pictures) << "the navigation pictures, and no decorative one";
        for (const std::wstring& text : names.someTexts) EXPECT_TRUE(seen.texts.contains(text)) << Narrow(text);
        EXPECT_EQ(seen.unnamedOrOther, 0);
        std::vector<std::wstring> buttons;
        for (HWND child : Descendants(main_))
            if (IsOfClass(child, L"Button") && ReaderSees(child).role == kRolePushButton)
                buttons.push_back(ReaderSees(child).name);
        std::vector<std::wstring> expected = names.buttons;
        std::ranges::sort(buttons);
        std::ranges::sort(expected);
        EXPECT_EQ(buttons, expected);
    }
    Process& Program() { return process_; }

    // Chooses through the lists and the slider, each followed by the notification a user's choice sends.
    void Choose(const Choices& choices) {
        Select(windows_, choices.windowsItem);
        Select(processors_, choices.processorType);
        Select(connections_, choices.internetType);
        SendMessageW(speed_, TBM_SETPOS, TRUE, choices.speedSetting);
        SendMessageW(GetParent(speed_), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(speed_));
    }
    int WindowsItem() const { return static_cast<int>(SendMessageW(windows_, CB_GETCURSEL, 0, 0)); }

    void Press(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
    void PressGo() { Press(go_); }
    void PressRestore() { Press(restore_); }

    HWND WaitForProgressWindow() {
        HWND progress = nullptr;
        WaitUntil(
            [&] {
                progress = FindProcessWindow(process_.Id(), kSettingsFormClass);
                return progress && IsWindowVisible(progress);
            },
            20s);
        return progress;
    }

private:
    static void Select(HWND list, int item) {
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }

    Process process_;
    HWND main_ = nullptr;
    HWND windows_ = nullptr;
    HWND processors_ = nullptr;
    HWND connections_ = nullptr;
    HWND speed_ = nullptr;
    HWND go_ = nullptr;
    HWND restore_ = nullptr;
};

// The tuned locations only, without the settings key.
Snapshot Locations(const Snapshot& all) {
    Snapshot locations;
    for (const auto& [key, value] : all)
        if (key.starts_with(kLocationPrefix)) locations.emplace(key, value);
    return locations;
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(QuickProgram().empty()) << "VELANTRIX_QUICK_EXE is not set";
        ClearEngineState();
        Seed();
        seeded_ = TakeSnapshot();
    }
    void TearDown() override { ClearEngineState(); }

    // What the engine alone makes of the seeded registry for these choices: after
    // the optimise, and after the restore that follows it.
    struct Expected {
        Snapshot optimised;
        Snapshot restored;
    };
    Expected EngineCycle(const Choices& choices) {
        ClearEngineState();
        Seed();
        const int versionCode = ConvertWindowsVersion(choices.windowsItem);
        RunOptimise({.versionCode = versionCode,
                     .internetType = choices.internetType,
                     .processorType = choices.processorType,
                     .speedSetting = choices.speedSetting});
        Expected expected{TakeSnapshot(), {}};
        RestoreTweaks(versionCode, choices.internetType);
        expected.restored = TakeSnapshot();
        ClearEngineState();
        Seed();
        return expected;
    }

    // Optimise, answering No to the restart offer, with every check of the way there.
    void OptimiseThroughTheWindow(RunningProgram& program, const Choices& choices, const wchar_t* shot = nullptr) {
        program.Choose(choices);
        NameChangeHook announcements(program.Program().Id());
        program.PressGo();
        const HWND progress = program.WaitForProgressWindow();
        ASSERT_NE(progress, nullptr) << "the progress window appeared";
        ExpectProgressHeard(progress, announcements, L"Optimizing the computer's gaming and internet settings",
                            L"Finding modem information.");
        EXPECT_FALSE(IsWindowEnabled(program.Main())) << "the main window is disabled during the steps";
        RECT main{}, box{};
        GetWindowRect(program.Main(), &main);
        GetWindowRect(progress, &box);
        EXPECT_NEAR((box.left + box.right) / 2, (main.left + main.right) / 2, 2) << "centred over the main window";
        EXPECT_NEAR((box.top + box.bottom) / 2, (main.top + main.bottom) / 2, 2);
        if (shot) SaveWindowArtifact(progress, shot);

        const HWND offer = WaitForOwnedMessageBox(program.Main(), 60s);
        ASSERT_NE(offer, nullptr) << "the restart offer appeared";
        EXPECT_EQ(WindowText(offer), WindowText(program.Main()));
        EXPECT_EQ(WindowText(GetDlgItem(offer, 0xFFFF)),
                  L"The changes to the computer's gaming and internet performance settings have finished.\r\n\r\n"
                  L"You will need to restart Windows for the changes to become active.\r\n\r\n"
                  L"Click Yes to restart the computer now, or click No to restart later.");
        EXPECT_NE(GetDlgItem(offer, IDYES), nullptr);
        EXPECT_NE(GetDlgItem(offer, IDNO), nullptr);
        EXPECT_EQ(GetWindowLongW(GetDlgItem(offer, IDNO), GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON)
            << "No is the default answer";
        EXPECT_FALSE(IsWindowVisible(progress)) << "the progress window closed before the offer";
        AnswerMessageBox(offer, IDNO);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(program.Main()) != FALSE; }, 5s));
        EXPECT_TRUE(IsWindowEnabled(program.RestoreButton()));
    }

    void RestoreThroughTheWindow(RunningProgram& program) {
        program.PressRestore();
        const HWND question = WaitForOwnedMessageBox(program.Main(), 10s);
        ASSERT_NE(question, nullptr);
        AnswerMessageBox(question, IDOK);
        ASSERT_NE(program.WaitForProgressWindow(), nullptr);
        const HWND offer = WaitForOwnedMessageBox(program.Main(), 60s);
        ASSERT_NE(offer, nullptr);
        AnswerMessageBox(offer, IDNO);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(program.Main()) != FALSE; }, 5s));
        EXPECT_FALSE(IsWindowEnabled(program.RestoreButton()));
    }

    // The heading, the bar and every step's text reach a reader; a step's new text is announced.
    static void ExpectProgressHeard(HWND progress, NameChangeHook& announcements, const std::wstring& heading,
                                    const std::wstring& firstFrame) {
        const std::vector<HWND> labels = GraphicWindows(progress);
        ASSERT_EQ(labels.size(), 2u) << "the heading and the step line";
        const bool reader = ReadersReach(progress);
        if (reader) {
            const ReaderView headingView = ReaderSees(labels[0]);
            EXPECT_EQ(headingView.name, heading);
            EXPECT_EQ(headingView.role, kRoleStaticText);
            EXPECT_EQ(ReaderSees(labels[1]).role, kRoleStaticText);
        }
        // Every frame of a step is announced; the name read when the event arrives is a frame's text.
        const std::vector<std::wstring> heard = announcements.WaitForAnnouncements(labels[1], 3, 30s);
        ASSERT_GE(heard.size(), 3u) << "the step line's changes reach a reader";
        EXPECT_TRUE(heard[0].starts_with(firstFrame.substr(0, 3))) << Narrow(heard[0]);
        for (const std::wstring& name : heard) EXPECT_TRUE(name.ends_with(L".")) << Narrow(name);
        if (!reader) return;
        const ReaderView bar = ReaderSees(FindChild(progress, PROGRESS_CLASSW, L""));
        EXPECT_EQ(bar.name, heading);
        EXPECT_EQ(bar.role, kRoleProgressBar);
    }

    Snapshot seeded_;
};

TEST_F(EndToEnd, OptimiseThenCancelThenRestoreLeavesTheRegistryAsItWas) {
    RunningProgram program;
    ASSERT_TRUE(program.Ready());
    SaveWindowArtifact(program.Main(), L"main-window-english.png");
    const Choices choices{program.WindowsItem(), 0, 0, 0};
    const Expected expected = EngineCycle(choices);

    OptimiseThroughTheWindow(program, choices, L"progress-window-run.png");
    const Snapshot optimised = TakeSnapshot();
    EXPECT_EQ(optimised, expected.optimised);
    EXPECT_EQ(ReadSetting(L"Restore"), Dword(1));
    EXPECT_EQ(ReadSetting(L"InternetType"), Dword(0));
    EXPECT_EQ(ReadSetting(L"SpeedSetting"), Dword(0));

    // Cancel in the confirmation changes nothing.
    program.PressRestore();
    const HWND question = WaitForOwnedMessageBox(program.Main(), 10s);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(question, 0xFFFF)),
              L"This will restore all changes made to the computer's gaming and internet settings to their "
              L"original recommended values.\r\n\r\nClick OK to continue.");
    EXPECT_NE(GetDlgItem(question, IDCANCEL), nullptr);
    AnswerMessageBox(question, IDCANCEL);
    EXPECT_EQ(TakeSnapshot(), optimised);
    EXPECT_TRUE(IsWindowEnabled(program.Main()));
    EXPECT_FALSE(IsWindowVisible(FindProcessWindow(program.Program().Id(), kSettingsFormClass)));

    RestoreThroughTheWindow(program);
    EXPECT_EQ(TakeSnapshot(), expected.restored);
    // Every value that existed before is back; the nine backed-up ones that did not
    // exist now hold their defaults, everything else that did not exist is gone.
    Snapshot restored = Locations(TakeSnapshot());
    for (const auto& [key, value] : Locations(seeded_)) {
        if (!value) continue;
        EXPECT_EQ(restored[key], value) << Narrow(key);
    }
    EXPECT_FALSE(ReadSetting(L"Restore").has_value());
}

TEST_F(EndToEnd, DialUpOnServer2000AtMaximumBoostWritesWhatTheEngineWrites) {
    RunningProgram program;
    ASSERT_TRUE(program.Ready());
    const Choices choices{8 /* Windows Server 2000 */, 2 /* dial-up */, 1 /* Maximum Boost */, 2};
    const Expected expected = EngineCycle(choices);
    OptimiseThroughTheWindow(program, choices);
    EXPECT_EQ(TakeSnapshot(), expected.optimised);
    EXPECT_EQ(ReadSetting(L"InternetType"), Dword(2));
    EXPECT_EQ(ReadSetting(L"ProcessorType"), Dword(2));
    EXPECT_EQ(ReadSetting(L"SpeedSetting"), Dword(1));
    RestoreThroughTheWindow(program);
    EXPECT_EQ(TakeSnapshot(), expected.restored);
}

TEST_F(EndToEnd, AClosedWindowEndsARunBeforeAnyTunedValueChanges) {
    {
        RunningProgram program;
        ASSERT_TRUE(program.Ready());
        program.Choose({program.WindowsItem(), 0, 1, 0});
        program.PressGo();
        ASSERT_NE(program.WaitForProgressWindow(), nullptr);
        PostMessageW(program.Main(), WM_CLOSE, 0, 0);
        EXPECT_EQ(program.Program().WaitForExit(30s), std::optional<DWORD>(0));
    }
    EXPECT_EQ(Locations(TakeSnapshot()), Locations(seeded_));
    EXPECT_FALSE(ReadSetting(L"Restore").has_value()) << "no backup, so no restore";

    // The next start runs both as usual; a restore closed half-way leaves the optimised values.
    RunningProgram program;
    ASSERT_TRUE(program.Ready());
    const Choices choices{program.WindowsItem(), 0, 0, 0};
    OptimiseThroughTheWindow(program, choices);
    const Snapshot optimised = TakeSnapshot();
    program.PressRestore();
    const HWND question = WaitForOwnedMessageBox(program.Main(), 10s);
    ASSERT_NE(question, nullptr);
    AnswerMessageBox(question, IDOK);
    ASSERT_NE(program.WaitForProgressWindow(), nullptr);
    PostMessageW(program.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.Program().WaitForExit(30s), std::optional<DWORD>(0));
    EXPECT_EQ(TakeSnapshot(), optimised) << "nothing of the restore was done";

    // And the start after that restores as usual.
    RunningProgram again;
    ASSERT_TRUE(again.Ready());
    EXPECT_TRUE(IsWindowEnabled(again.RestoreButton())) << "the backup is still there";
    RestoreThroughTheWindow(again);
    const Snapshot restored = TakeSnapshot();
    EXPECT_EQ(restored, EngineCycle(choices).restored);
}

TEST_F(EndToEnd, OptimizeFromTheCommandLineLeavesWhatTheWindowLeavesWithoutItsSteps) {
    const Choices choices{7 /* Windows Server 2003 */, 6 /* LAN */, 1 /* Maximum Boost */, 1 /* AMD */};
    Snapshot throughTheWindow;
    {
        RunningProgram program;
        ASSERT_TRUE(program.Ready());
        OptimiseThroughTheWindow(program, choices);
        throughTheWindow = TakeSnapshot();
    }
    ClearEngineState();
    Seed();
    // The real program, whose progress steps alone would take the better part of a minute.
    const ModeRun run = RunMode(L"/optimize /windows=server2003 /Connection=LAN /speed=MAX /processor=amd", 30s);
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(0));
    EXPECT_EQ(TakeSnapshot(), throughTheWindow);
}

TEST_F(EndToEnd, KoreanMainWindow) {
    WriteRegString(kSettingsRoot, kSettingsKey, L"Language", L"korean", false);
    RunningProgram program;
    ASSERT_NE(program.Main(), nullptr);
    EXPECT_EQ(WindowText(program.Main()), L"Velantrix - \uB2F9\uC2E0\uC758 \uAC8C\uC784\uACFC \uC778\uD130\uB137\uC744 "
                                          L"\uBE60\uB974\uAC8C!");
    const HWND go = FindChild(program.Main(), L"Button", L"\uC9C0\uAE08 \uCD5C\uC801\uD654(&O)");
    ASSERT_NE(go, nullptr);
    SaveWindowArtifact(program.Main(), L"main-window-korean.png");

    // The progress window and the restart offer speak Korean too.
    program.ExpectReaderHears(kKoreanNames);
    NameChangeHook announcements(program.Program().Id());
    program.Press(go);
    const HWND progress = program.WaitForProgressWindow();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(WindowText(progress), L"\uAC8C\uC784 \uBC0F \uC778\uD130\uB137 \uC124\uC815");
    ExpectProgressHeard(progress, announcements,
                        L"\uAC8C\uC784 \uBC0F \uC778\uD130\uB137 \uC124\uC815\uC744 \uCD5C\uC801\uD654\uD558\uB294 \uC911",
                        L"\uBAA8\uB380 \uC815\uBCF4\uB97C \uAC80\uC0C9\uD558\uB294 \uC911.");
    SaveWindowArtifact(progress, L"progress-window-korean.png");
    const HWND offer = WaitForOwnedMessageBox(program.Main(), 60s);
    ASSERT_NE(offer, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(offer, 0xFFFF)).substr(0, 5), L"\uAC8C\uC784 \uBC0F ");
    AnswerMessageBox(offer, IDNO);
}

// The About window as a reader hears it, and Tab reaching its link.
void ExpectAboutHeard(HWND about) {
    const std::vector<HWND> windows = GraphicWindows(about);
    const auto link = std::find_if(windows.begin(), windows.end(), [](HWND w) {
        return WindowText(w) == L"Click to view the end-user license terms";
    });
    ASSERT_NE(link, windows.end());
    EXPECT_TRUE(TabTo(about, *link)) << "Tab reaches the licence link";
    if (!ReadersReach(about)) return;
    EXPECT_EQ(ReaderSees(*link).role, kRoleLink);
    const ReaderTexts seen = ReadGraphicWindows(about);
    EXPECT_EQ(seen.links, std::vector<std::wstring>{L"Click to view the end-user license terms"});
    EXPECT_TRUE(seen.buttons.empty()) << "the banner and the large picture are left out";
    EXPECT_TRUE(seen.texts.contains(L"More information about this software"));
    EXPECT_TRUE(seen.texts.contains(L"Velantrix 3  (Version : 3.12.7.2015)"));
    EXPECT_EQ(seen.unnamedOrOther, 0);
    for (const auto& [caption, name] : {std::pair{L"&Close", L"Close"}, std::pair{L"&Help", L"Help"}}) {
        const ReaderView view = ReaderSees(FindChild(about, L"Button", caption));
        EXPECT_EQ(view.name, name);
        EXPECT_EQ(view.role, kRolePushButton);
    }
}

TEST_F(EndToEnd, NamedForAReaderAndEveryLinkAndPictureByTheKeyboard) {
    BrowserStandIn browser;
    RunningProgram program;
    ASSERT_TRUE(program.Ready());
    program.ExpectReaderHears(kEnglishNames);
    const HWND main = program.Main();
    SetForegroundWindow(main);
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindowOf(main) == program.Go(); }, 5s)) << "the focus starts on Go";

    // One round of Tab: the layout's controls (Restore is disabled), then the links and the pictures.
    std::vector<HWND> round;
    for (int i = 0; i < 14; ++i) {
        const HWND before = FocusedWindowOf(main);
        PressKey(VK_TAB);
        WaitUntil([&] { return FocusedWindowOf(main) != before; }, 2s);
        round.push_back(FocusedWindowOf(main));
    }
    EXPECT_EQ(round.back(), program.Go()) << "back at the start after one round";
    const std::vector<HWND> expectedStart{program.WindowsList(), program.ProcessorList(), program.ConnectionList(),
                                          program.Speed()};
    EXPECT_EQ(std::vector<HWND>(round.begin(), round.begin() + 4), expectedStart);
    if (ReadersReach(main)) {
        EXPECT_EQ(ReaderSees(round[4]).name, L"Check for updates ...");
    }
    std::vector<std::wstring> graphicNames;
    std::vector<HWND> graphic;
    for (HWND window : round)
        if (IsOfClass(window, L"TVXGraphic")) {
            graphic.push_back(window);
            graphicNames.push_back(WindowText(window)); // the name it gives a reader
        }
    std::vector<std::wstring> expectedNames = kEnglishNames.links;
    expectedNames.insert(expectedNames.end(), kEnglishNames.pictures.begin(), kEnglishNames.pictures.end());
    ASSERT_EQ(graphicNames, expectedNames);
    EXPECT_EQ(round[12], graphic.back()) << "the links and pictures come last";

    const auto activate = [&](HWND target, WORD key) {
        SetForegroundWindow(main);
        ASSERT_TRUE(TabTo(main, target)) << Narrow(WindowText(target));
        PressKey(key);
    };
    const auto expectAbout = [&](const char* what) {
        HWND about = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                about = FindProcessWindow(program.Program().Id(), kAboutFormClass);
                return about && IsWindowVisible(about);
            },
            10s))
            << what;
        ExpectAboutHeard(about);
        // The window has no cancel button: Tab back to its Close button, and Enter closes it.
        EXPECT_TRUE(TabTo(about, FindChild(about, L"Button", L"&Close")));
        PressKey(VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }, 5s)) << "Enter closes the About window";
    };
    const auto expectBrowser = [&](const wchar_t* url) {
        EXPECT_EQ(BrowserStandIn::WaitForRecord(20s), std::wstring(url) + L"\n");
        BrowserStandIn::ClearRecord();
    };

    activate(graphic[0], VK_RETURN); // Help with Velantrix
    HWND help = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (help = FindWindowW(L"HH Parent", nullptr)) != nullptr; }, 10s));
    if (help) SendMessageW(help, WM_CLOSE, 0, 0);
    activate(graphic[1], VK_RETURN);
    expectBrowser(kVendorSupportUrl);
    activate(graphic[2], VK_RETURN);
    expectBrowser(kVendorHomeUrl);
    activate(graphic[3], VK_RETURN);
    expectAbout("About Velantrix opens the About window");
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(main) == graphic[3]; }, 5s)) << "the focus comes back";
    activate(graphic[4], VK_RETURN); // the help picture opens its menu
    HWND menu = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, 5s));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 5s));
    activate(graphic[5], VK_SPACE);
    expectBrowser(kVendorHomeUrl);
    activate(graphic[6], VK_RETURN);
    expectBrowser(kVendorSupportUrl);
    activate(graphic[7], VK_SPACE);
    expectAbout("the About picture opens the About window");
}

} // namespace
} // namespace vx::test
