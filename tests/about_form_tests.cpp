// The About window, in process: a real TVXAboutForm owned by a plain toolkit
// window standing in for the main window, on the test prefix's display, with
// the caption tables and pictures of the program linked into this test
// program. Key presses go through the toolkit's message loop; the licence
// document is handed to the real shell, with the prefix's .rtf association
// pointed at a stand-in program.
#include "ui/AboutForm.h"

#include "core/CommandLine.h"
#include "core/Constants.h"
#include "core/CustomRegistry.h"
#include "core/Handles.h"
#include "system/Shell.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WholeTexts.h"
#include "ui/Captions.h"
#include "ui/NativeHandCursor.h"
#include "toolkit/Application.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

namespace vx::ui {

static void PrintTo(const Bounds& b, std::ostream* os) {
    *os << "{" << b.left << ", " << b.top << ", " << b.width << " x " << b.height << "}";
}

namespace {

using namespace vx::test;
using namespace std::chrono_literals;

constexpr wchar_t kMessageBoxClass[] = L"#32770";
const std::wstring kVersionSuffix = std::wstring(kVersionText) + L")";

// ---------------------------------------------------------------------------
// Helpers

void SetLanguage(const wchar_t* language) {
    WriteRegString(kSettingsRoot, kSettingsKey, L"Language", language, false);
}

// A window's place in its parent's client area.
Bounds BoundsInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return Bounds{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

RECT Rect(int left, int top, int width, int height) {
    return RECT{left, top, left + width, top + height};
}

POINT CenterOf(const Bounds& b) {
    return POINT{b.left + b.width / 2, b.top + b.height / 2};
}

LPARAM PointParam(POINT p) {
    return MAKELPARAM(p.x, p.y);
}

void PostKey(HWND target, WORD key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(target, WM_KEYDOWN, key, 1 | scan);
    PostMessageW(target, WM_KEYUP, key, 1 | scan | (1u << 30) | (1u << 31));
}

// Moves the real pointer to a point of a window's client area, as the mouse does.
void MoveMouseTo(HWND window, POINT point) {
    ClientToScreen(window, &point);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(point.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = MulDiv(point.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
}

// Moves the mouse to POINT of WINDOW and pumps until CONDITION holds. On a busy
// machine the X server's report of an earlier pointer position can reach Wine
// after a later move and put the cursor back there; the move is then made
// again, as a hand resting on the mouse would.
bool MoveMouseAndPumpUntil(HWND window, POINT point, const std::function<bool()>& condition) {
    POINT target = point;
    ClientToScreen(window, &target);
    MoveMouseTo(window, point);
    return PumpUntil(
        [&] {
            POINT cursor{};
            if (GetCursorPos(&cursor) && (cursor.x != target.x || cursor.y != target.y)) MoveMouseTo(window, point);
            return condition();
        },
        5s);
}

// The prefix's .rtf association pointed at a copy of the stand-in program for
// the life of the object; the stand-in records its command line beside itself.
class RtfViewerStandIn {
public:
    RtfViewerStandIn() : program_(folder_.Path() + L"RtfViewer.exe") {
        if (!CopyFileTo(HelperProgramPath(), program_)) return;
        UniqueRegKey extension;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, L".rtf", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, extension.put(),
                            nullptr) != ERROR_SUCCESS)
            return;
        wchar_t old[256] = {};
        DWORD size = sizeof(old);
        hadDefault_ = RegQueryValueExW(extension.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old),
                                       &size) == ERROR_SUCCESS;
        oldDefault_ = old;
        SetDefault(extension.get(), kProgId);
        UniqueRegKey command;
        const std::wstring commandKey = std::wstring(kProgId) + L"\\shell\\open\\command";
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, commandKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            command.put(), nullptr) != ERROR_SUCCESS)
            return;
        SetDefault(command.get(), L"\"" + program_ + L"\" \"%1\"");
        ready_ = true;
    }
    ~RtfViewerStandIn() {
        UniqueRegKey extension;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L".rtf", 0, KEY_ALL_ACCESS, extension.put()) == ERROR_SUCCESS) {
            if (hadDefault_) SetDefault(extension.get(), oldDefault_);
            else RegDeleteValueW(extension.get(), nullptr);
        }
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    }
    RtfViewerStandIn(const RtfViewerStandIn&) = delete;
    RtfViewerStandIn& operator=(const RtfViewerStandIn&) = delete;

    bool Ready() const { return ready_; }
    std::wstring RecordPath() const { return RunRecordOf(program_); }
    // The command line the stand-in was started with, once it has run.
    std::wstring WaitForRecord() const {
        std::wstring record;
        PumpUntil([&] { return !(record = ReadTextFile(RecordPath())).empty(); }, 20s);
        return record;
    }

private:
    static constexpr wchar_t kProgId[] = L"VelantrixAboutTest.RtfDocument";
    static void SetDefault(HKEY key, const std::wstring& value) {
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    TemporaryFolder folder_;
    std::wstring program_;
    bool ready_ = false;
    bool hadDefault_ = false;
    std::wstring oldDefault_;
};

// Requests to the shell, caught instead of carried out for the life of the object.
struct ShellRequest {
    std::wstring verb;
    std::wstring file;
    bool hasParameters = false;
};

class ShellRecorder {
public:
    ShellRecorder() {
        requests_.clear();
        SetShellExecuteFunction(&Record);
    }
    ~ShellRecorder() { SetShellExecuteFunction(nullptr); }
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;
    const std::vector<ShellRequest>& Requests() const { return requests_; }

private:
    static HINSTANCE WINAPI Record(HWND, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                                   const wchar_t*, INT) {
        requests_.push_back({verb ? verb : L"", file ? file : L"", parameters != nullptr});
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
    }
    static inline std::vector<ShellRequest> requests_;
};

// ---------------------------------------------------------------------------
// The window under test, owned by a stand-in main window made once for the
// whole program (closing a main window ends the message loop).

Form& MainWindow() {
    static Form* main = [] {
        auto* form =
            new Form({L"VXAboutTestMain", 764, 500, FormBorder::SingleWithMinimize, FormPosition::ScreenCenter});
        form->Create(nullptr, true);
        return form;
    }();
    return *main;
}

class AboutFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InstallNativeHandCursor();
        Form& main = MainWindow();
        SetWindowPos(main.Handle(), nullptr, 60, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        main.Show();
    }

    void SetUp() override {
        DeleteSettingsKey();
        // The real pointer stays off every window unless a test puts it there.
        SetCursorPos(0, 0);
        about_ = std::make_unique<TVXAboutForm>();
        ASSERT_TRUE(about_->Create(MainWindow().Handle(), false));
    }

    void TearDown() override {
        about_.reset();
        DeleteSettingsKey();
    }

    // Shows the window modelessly and waits until it is painted and active.
    void ShowAndSettle() {
        about_->Show();
        ASSERT_TRUE(PumpUntil([&] { return about_->Visible() && GetActiveWindow() == about_->Handle(); }, 10s));
        RedrawWindow(about_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ProcessMessages();
    }

    // Saves a screenshot of the shown window as an artifact and hands it back.
    ScreenImage Screenshot(const wchar_t* fileName) {
        SetWindowPos(about_->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        RedrawWindow(about_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ProcessMessages();
        ScreenImage shot = CaptureWindow(about_->Handle());
        EXPECT_TRUE(SavePng(shot, ArtifactsFolder() + fileName)) << "could not write the screenshot";
        return shot;
    }

    std::unique_ptr<TVXAboutForm> about_;
};

// ---------------------------------------------------------------------------
// The version line

TEST(VersionLine, AppendsTheVersionAndTheClosingParenthesisOnce) {
    EXPECT_EQ(VersionLine(L"Velantrix 3  (Version : "), L"Velantrix 3  (Version : 3.12.7.2015)");
    EXPECT_EQ(VersionLine(L""), L"3.12.7.2015)");
    // A text kept from an earlier showing (no caption table) does not grow.
    EXPECT_EQ(VersionLine(L"Velantrix 3  (Version : 3.12.7.2015)"), L"Velantrix 3  (Version : 3.12.7.2015)");
    EXPECT_EQ(VersionLine(L"3.12.7.2015"), L"3.12.7.20153.12.7.2015)");
}

// ---------------------------------------------------------------------------
// Showing: texts, focus, keys, closing

TEST_F(AboutFormTest, EveryShowingReadsTheVersionOnceAndFocusesTheCloseButton) {
    const std::wstring expected = L"Velantrix 3  (Version : 3.12.7.2015)";
    for (int showing = 1; showing <= 3; ++showing) {
        SCOPED_TRACE(showing);
        std::wstring version, title;
        HWND focus = nullptr;
        const ModalResult result = ModalDriver::Run(*about_, {[&] {
            version = about_->VersionLabel.Caption();
            title = WindowText(about_->Handle());
            focus = GetFocus();
            about_->CloseButton.Click();
            return true;
        }});
        EXPECT_EQ(result, ModalResult::Ok);
        EXPECT_EQ(version, expected);
        EXPECT_EQ(title, L"About Velantrix");
        EXPECT_EQ(focus, about_->CloseButton.Handle());
        // Closing only hides the window; it stays for the next showing.
        EXPECT_TRUE(IsWindow(about_->Handle()));
        EXPECT_FALSE(about_->Visible());
    }
}

TEST_F(AboutFormTest, EnterClosesWithOkAndEscapeDoesNot) {
    bool openAfterEscape = false;
    const ModalResult result =
        ModalDriver::Run(*about_, {
                                      [&] {
                                          PostKey(GetFocus(), VK_ESCAPE);
                                          return true;
                                      },
                                      [&] {
                                          openAfterEscape =
                                              about_->Visible() && about_->GetModalResult() == ModalResult::None;
                                          PostKey(GetFocus(), VK_RETURN);
                                          return true;
                                      },
                                  });
    EXPECT_TRUE(openAfterEscape);
    EXPECT_EQ(result, ModalResult::Ok);
    EXPECT_FALSE(about_->Visible());
}

TEST_F(AboutFormTest, EnterRightAfterOpeningCloses) {
    const ModalResult result = ModalDriver::Run(*about_, {[&] {
        PostKey(GetFocus(), VK_RETURN);
        return true;
    }});
    EXPECT_EQ(result, ModalResult::Ok);
}

TEST_F(AboutFormTest, TabWalksCloseButtonMemoLicenceLinkAndHelpButtonAndEscapeOnThemDoesNothing) {
    std::vector<HWND> visited;
    std::vector<ModalDriver::Step> steps;
    for (int i = 0; i < 5; ++i) {
        steps.push_back([&] {
            visited.push_back(GetFocus());
            if (GetFocus() != about_->LicensedMemo.Handle()) PostKey(GetFocus(), VK_ESCAPE);
            return true;
        });
        steps.push_back([&] {
            EXPECT_TRUE(about_->Visible());
            EXPECT_EQ(about_->GetModalResult(), ModalResult::None);
            PostKey(GetFocus(), VK_TAB);
            return true;
        });
    }
    steps.push_back([&] {
        about_->SetModalResult(ModalResult::Ok);
        return true;
    });
    EXPECT_EQ(ModalDriver::Run(*about_, steps), ModalResult::Ok);
    const std::vector<HWND> expected{about_->CloseButton.Handle(), about_->LicensedMemo.Handle(),
                                     about_->LicenseAgreementLabel.AccessibleWindow(), about_->HelpButton.Handle(),
                                     about_->CloseButton.Handle()};
    EXPECT_NE(expected[2], nullptr);
    EXPECT_EQ(visited, expected);
}

TEST_F(AboutFormTest, EscapeInTheMemoLeavesTheWindowAndItsControlsAlone) {
    const HWND panel = about_->AboutPanel.Handle();
    const HWND memo = about_->LicensedMemo.Handle();
    const ModalResult result = ModalDriver::Run(*about_, {
                                                             [&] {
                                                                 SetFocus(memo);
                                                                 return true;
                                                             },
                                                             [&] {
                                                                 EXPECT_EQ(GetFocus(), memo);
                                                                 PostKey(memo, VK_ESCAPE);
                                                                 return true;
                                                             },
                                                             [&] {
                                                                 about_->SetModalResult(ModalResult::Ok);
                                                                 return true;
                                                             },
                                                         });
    EXPECT_EQ(result, ModalResult::Ok);
    EXPECT_TRUE(IsWindow(panel)) << "Escape in the memo destroyed the panel";
    EXPECT_TRUE(IsWindow(memo));
}

TEST_F(AboutFormTest, TheCloseBoxEndsTheShowingAndTheWindowOpensAgain) {
    EXPECT_EQ(ModalDriver::Run(*about_, {[&] {
                  PostMessageW(about_->Handle(), WM_CLOSE, 0, 0);
                  return true;
              }}),
              ModalResult::Cancel);
    EXPECT_TRUE(IsWindow(about_->Handle()));
    EXPECT_EQ(ModalDriver::Run(*about_, {[&] {
                  PostMessageW(about_->CloseButton.Handle(), BM_CLICK, 0, 0);
                  return true;
              }}),
              ModalResult::Ok);
}

TEST_F(AboutFormTest, WithoutACaptionTableTheVersionIsStillAppendedOnce) {
    SetLanguage(L"nosuchlanguage");
    for (int showing = 1; showing <= 2; ++showing) {
        SCOPED_TRACE(showing);
        std::wstring version, title;
        ModalDriver::Run(*about_, {[&] {
            version = about_->VersionLabel.Caption();
            title = WindowText(about_->Handle());
            about_->CloseButton.Click();
            return true;
        }});
        EXPECT_EQ(version, kVersionSuffix);
        EXPECT_EQ(title, L"");
    }
    // Back to a table: the texts are set afresh.
    SetLanguage(L"english");
    std::wstring version;
    ModalDriver::Run(*about_, {[&] {
        version = about_->VersionLabel.Caption();
        about_->CloseButton.Click();
        return true;
    }});
    EXPECT_EQ(version, L"Velantrix 3  (Version : 3.12.7.2015)");
}

TEST_F(AboutFormTest, IsCentredOnTheMainWindowAtEveryShowing) {
    const HWND main = MainWindow().Handle();
    const POINT places[] = {{60, 40}, {230, 180}};
    for (const POINT place : places) {
        SCOPED_TRACE(place.x);
        SetWindowPos(main, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        RECT mainRect{}, aboutRect{};
        ModalDriver::Run(*about_, {[&] {
            GetWindowRect(main, &mainRect);
            GetWindowRect(about_->Handle(), &aboutRect);
            about_->CloseButton.Click();
            return true;
        }});
        EXPECT_NEAR((aboutRect.left + aboutRect.right) / 2.0, (mainRect.left + mainRect.right) / 2.0, 1.0);
        EXPECT_NEAR((aboutRect.top + aboutRect.bottom) / 2.0, (mainRect.top + mainRect.bottom) / 2.0, 1.0);
    }
    SetWindowPos(main, nullptr, 60, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// ---------------------------------------------------------------------------
// Help and licence

TEST_F(AboutFormTest, HelpButtonHandsAMadeUpF1PressToTheMainWindowsHandler) {
    std::vector<MSG> calls;
    bool handledOnEntry = true;
    about_->SetHelpKeyHandler([&](const MSG& message, bool& handled) {
        calls.push_back(message);
        handledOnEntry = handled;
    });
    bool openAfterHelp = false;
    const ModalResult result =
        ModalDriver::Run(*about_, {
                                      [&] {
                                          PostMessageW(about_->HelpButton.Handle(), BM_CLICK, 0, 0);
                                          return true;
                                      },
                                      [&] {
                                          if (calls.empty()) return false;
                                          openAfterHelp = about_->Visible();
                                          about_->CloseButton.Click();
                                          return true;
                                      },
                                  });
    EXPECT_EQ(result, ModalResult::Ok);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(calls[0].wParam, static_cast<WPARAM>(VK_F1));
    EXPECT_FALSE(handledOnEntry);
    // The Help button has no modal result: the window stays open.
    EXPECT_TRUE(openAfterHelp);
}

TEST_F(AboutFormTest, HelpButtonWithoutAHandlerDoesNothing) {
    EXPECT_EQ(ModalDriver::Run(*about_, {[&] {
                                             about_->HelpButton.Click();
                                             return true;
                                         },
                                         [&] {
                                             EXPECT_TRUE(about_->Visible());
                                             about_->CloseButton.Click();
                                             return true;
                                         }}),
              ModalResult::Ok);
}

// Clicks the licence link the way the mouse does: down and up over it on the panel.
void ClickLicenceLink(TVXAboutForm& about) {
    const LPARAM at = PointParam(CenterOf(about.LicenseAgreementLabel.GetBounds()));
    PostMessageW(about.AboutPanel.Handle(), WM_MOUSEMOVE, 0, at);
    PostMessageW(about.AboutPanel.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(about.AboutPanel.Handle(), WM_LBUTTONUP, 0, at);
}

TEST_F(AboutFormTest, LicenceLinkHandsTheProgramFoldersDocumentToTheShellEvenWhenItIsMissing) {
    const std::wstring document = ProgramFolder() + kLicenseFileName;
    ASSERT_FALSE(FileExists(document)) << "this test program's folder must hold no licence document";
    // Windows drops a request for a missing document without a trace, so the
    // request is caught on its way to the shell.
    ShellRecorder shell;
    ShowAndSettle();

    ClickLicenceLink(*about_);
    ASSERT_TRUE(PumpUntil([&] { return !shell.Requests().empty(); }, 5s));
    ASSERT_EQ(shell.Requests().size(), 1u);
    const ShellRequest& request = shell.Requests()[0];
    EXPECT_EQ(request.verb, L"open");
    EXPECT_EQ(request.file, document);
    EXPECT_FALSE(request.hasParameters);
    // No message of the window's own, and it stays open.
    EXPECT_EQ(FindProcessWindow(GetCurrentProcessId(), kMessageBoxClass), nullptr);
    EXPECT_TRUE(about_->Visible());
}

TEST_F(AboutFormTest, LicenceLinkOpensAnExistingDocument) {
    const std::wstring document = ProgramFolder() + kLicenseFileName;
    const HANDLE file = CreateFileW(document.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "{\\rtf1 terms}", 13, &written, nullptr);
    CloseHandle(file);
    RtfViewerStandIn viewer;
    ShowAndSettle();
    ClickLicenceLink(*about_);
    const std::vector<std::wstring> arguments = SplitCommandLine(viewer.WaitForRecord());
    DeleteFileW(document.c_str());
    ASSERT_TRUE(viewer.Ready());
    ASSERT_EQ(arguments.size(), 2u);
    EXPECT_EQ(CompareStringOrdinal(arguments[1].c_str(), -1, document.c_str(), -1, TRUE), CSTR_EQUAL);
}

TEST_F(AboutFormTest, LicenceLinkIsUnderlinedOnlyWhileTheMouseIsOverItAndShowsTheHand) {
    ShowAndSettle();
    Label& link = about_->LicenseAgreementLabel;
    const HWND panel = about_->AboutPanel.Handle();
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    EXPECT_FALSE(link.Font().Underline());

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_TRUE(MoveMouseAndPumpUntil(panel, CenterOf(link.GetBounds()),
                                          [&] { return link.Font().Underline() && GetCursor() == hand; }));
        EXPECT_TRUE(link.Font().Underline());
        EXPECT_EQ(GetCursor(), hand);
        EXPECT_EQ(link.Font().TextColor(), Color::Rgb(0, 102, 204));
        EXPECT_FALSE(link.Font().Bold());

        // Onto the empty panel beside it.
        EXPECT_TRUE(MoveMouseAndPumpUntil(panel, POINT{20, 250}, [&] { return !link.Font().Underline(); }));
        EXPECT_EQ(link.Font().TextColor(), Color::Rgb(0, 102, 204));
        EXPECT_FALSE(link.Font().Bold());
    }
}

// ---------------------------------------------------------------------------
// Layout, fonts, colours and screenshots

TEST_F(AboutFormTest, WindowHasTheLayoutsFrameClientAreaAndClass) {
    ShowAndSettle();
    const HWND window = about_->Handle();
    EXPECT_EQ(ClassOf(window), kAboutFormClass);
    EXPECT_EQ(GetWindow(window, GW_OWNER), MainWindow().Handle());
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right, 700);
    EXPECT_EQ(client.bottom, 441);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    // CloseButton is the default button.
    EXPECT_EQ(LOWORD(SendMessageW(window, DM_GETDEFID, 0, 0)), about_->CloseButton.ControlId());
    EXPECT_TRUE(GetWindowLongW(about_->CloseButton.Handle(), GWL_STYLE) & BS_DEFPUSHBUTTON);
}

TEST_F(AboutFormTest, ControlsLieWhereTheLayoutPutsThem) {
    ShowAndSettle();
    // Windows: the panel and the buttons on the window, the memo on the panel.
    EXPECT_EQ(GetParent(about_->AboutPanel.Handle()), about_->Handle());
    EXPECT_EQ(BoundsInParent(about_->AboutPanel.Handle()), Bounds(0, 0, 700, 386));
    EXPECT_EQ(GetParent(about_->CloseButton.Handle()), about_->Handle());
    EXPECT_EQ(BoundsInParent(about_->CloseButton.Handle()), Bounds(608, 403, 79, 25));
    EXPECT_EQ(BoundsInParent(about_->HelpButton.Handle()), Bounds(14, 403, 79, 25));
    EXPECT_EQ(GetParent(about_->LicensedMemo.Handle()), about_->AboutPanel.Handle());
    EXPECT_EQ(BoundsInParent(about_->LicensedMemo.Handle()), Bounds(72, 136, 556, 73));

    // Windowless controls, with their parents.
    struct Placed {
        Control& control;
        ControlHost& parent;
        int left, top, width, height; // 0 x 0: sized to its text
    };
    TVXAboutForm& a = *about_;
    const Placed table[] = {
        {a.AboutBevel, a, 0, 386, 700, 5},
        {a.LargeIcon, a.AboutPanel, 372, 130, 256, 256},
        {a.VersionLabel, a.AboutPanel, 72, 82, 0, 0},
        {a.CopyrightLabel, a.AboutPanel, 72, 101, 0, 0},
        {a.LicenseAgreementLabel, a.AboutPanel, 72, 287, 0, 0},
        {a.CopyrightWarningLabel, a.AboutPanel, 81, 306, 556, 70},
        {a.BannerImage, a.AboutPanel, 0, 0, 700, 60},
        {a.BannerLabel, a.AboutPanel, 48, 18, 0, 0},
    };
    for (const Placed& p : table) {
        SCOPED_TRACE(Narrow(p.control.Name()));
        EXPECT_EQ(&p.control.Parent(), &p.parent);
        EXPECT_EQ(p.control.Left(), p.left);
        EXPECT_EQ(p.control.Top(), p.top);
        if (p.width) {
            EXPECT_EQ(p.control.Width(), p.width);
            EXPECT_EQ(p.control.Height(), p.height);
        } else {
            EXPECT_GT(p.control.Width(), 20);
            EXPECT_GT(p.control.Height(), 5);
        }
    }
    // The warning keeps its size whatever its text needs.
    EXPECT_EQ(a.CopyrightWarningLabel.Caption().empty(), false);
    EXPECT_FALSE(a.CopyrightWarningLabel.AutoSize());
}

TEST_F(AboutFormTest, MemoIsAReadOnlyWrappingTextBoxWithAVerticalScrollBar) {
    ShowAndSettle();
    const HWND memo = about_->LicensedMemo.Handle();
    EXPECT_EQ(ClassOf(memo), L"Edit");
    const LONG style = GetWindowLongW(memo, GWL_STYLE);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_FALSE(style & (WS_HSCROLL | ES_AUTOHSCROLL));
    EXPECT_TRUE(WindowText(memo).starts_with(L"All artwork and all source code of Velantrix"));
    // The long paragraph wraps into many lines.
    EXPECT_GT(SendMessageW(memo, EM_GETLINECOUNT, 0, 0), 4);
    // Typing changes nothing.
    const std::wstring before = WindowText(memo);
    SetFocus(memo);
    PostMessageW(memo, WM_CHAR, L'x', 1);
    ProcessMessages();
    EXPECT_EQ(WindowText(memo), before);
}

TEST_F(AboutFormTest, FontsFollowTheWindowFontAndKeepTheirStyleAndColour) {
    ShowAndSettle();
    TVXAboutForm& a = *about_;
    const Font& window = a.Font();
    EXPECT_LE(window.Size(), 9);
    const int dpi = ScreenPixelsPerInch();
    struct Own {
        Label& label;
        int pixelHeight;
        bool bold;
        Color color;
    };
    const Own own[] = {
        {a.VersionLabel, 13, true, Color::System(COLOR_WINDOWTEXT)},
        {a.LicenseAgreementLabel, 11, false, Color::Rgb(0, 102, 204)},
        {a.BannerLabel, 16, true, Color::Rgb(255, 255, 255)},
    };
    for (const Own& o : own) {
        SCOPED_TRACE(Narrow(o.label.Name()));
        EXPECT_FALSE(o.label.ParentFont());
        const Font& font = o.label.EffectiveFont();
        EXPECT_EQ(font.Name(), window.Name());
        const int points = std::max(PointsFromPixels(o.pixelHeight, dpi), window.Size());
        EXPECT_EQ(font.Size(), points);
        EXPECT_EQ(font.Bold(), o.bold);
        EXPECT_FALSE(font.Underline());
        EXPECT_EQ(font.TextColor(), o.color);
    }
    // The others show the window font.
    for (Control* c : std::initializer_list<Control*>{&a.CopyrightLabel, &a.CopyrightWarningLabel, &a.LicensedMemo,
                                                      &a.CloseButton, &a.HelpButton}) {
        SCOPED_TRACE(Narrow(c->Name()));
        EXPECT_TRUE(c->ParentFont());
        EXPECT_EQ(c->EffectiveFont().Name(), window.Name());
        EXPECT_EQ(c->EffectiveFont().Size(), window.Size());
    }
}

TEST_F(AboutFormTest, EnglishScreenshotShowsThePanelBannerLinkAndMemoColours) {
    ShowAndSettle();
    const ScreenImage shot = Screenshot(L"about-english.png");
    ASSERT_FALSE(shot.Empty());
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    // The panel's own background above the line, the window's below it.
    EXPECT_EQ(shot.ClientAt(40, 250), window);
    EXPECT_EQ(shot.ClientAt(300, 420), face);
    // The banner: dark blue with the white label on it.
    const COLORREF banner = shot.ClientAt(690, 55);
    EXPECT_GT(GetBValue(banner), GetRValue(banner));
    EXPECT_LT(GetRValue(banner) + GetGValue(banner) + GetBValue(banner), 3 * 140);
    const Bounds b = about_->BannerLabel.GetBounds();
    EXPECT_GT(shot.CountInClient(b.Rect(), RGB(255, 255, 255)), 20);
    // The link in its blue.
    const Bounds l = about_->LicenseAgreementLabel.GetBounds();
    EXPECT_GT(shot.CountInClient(l.Rect(), RGB(0, 102, 204)), 20);
    // The memo on the panel's background, not on a read-only box's grey.
    const RECT memo = Rect(74, 138, 530, 69);
    const int area = (memo.right - memo.left) * (memo.bottom - memo.top);
    EXPECT_GT(shot.CountInClient(memo, window), area / 2);
    if (window != face) {
        EXPECT_LT(shot.CountInClient(memo, face), area / 20);
    }
}

TEST_F(AboutFormTest, KoreanTableGivesKoreanTextsAndTheVersion) {
    SetLanguage(L"KOREAN");
    ShowAndSettle();
    Screenshot(L"about-korean.png");
    EXPECT_EQ(WindowText(about_->Handle()), GetCaption(L"VXAboutForm", L"VXAboutForm"));
    EXPECT_NE(WindowText(about_->Handle()), L"About Velantrix");
    EXPECT_EQ(about_->VersionLabel.Caption(), GetCaption(L"VXAboutForm", L"VersionLabel") + kVersionSuffix);
    EXPECT_EQ(about_->CloseButton.Caption(), GetCaption(L"VXAboutForm", L"CloseButton"));
    EXPECT_NE(about_->CloseButton.Caption(), L"&Close");
}

// Texts that lie over the pictures (the legal warning over the graphics card,
// the heading over the banner) stand out from every pixel under their letters.
TEST_F(AboutFormTest, TextsOverThePicturesKeepAContrastOfAtLeastFourAndAHalf) {
    for (const wchar_t* language : {L"english", L"korean"}) {
        SCOPED_TRACE(Narrow(language));
        SetLanguage(language);
        ShowAndSettle();
        TVXAboutForm& a = *about_;
        bool warningChecked = false;
        for (const Picture* picture : {&a.LargeIcon, &a.BannerImage}) {
            for (const auto& [label, ink] : LabelsOverPicture(a.AboutPanel, picture->GetBounds().Rect())) {
                SCOPED_TRACE(Narrow(label->Name()));
                EXPECT_GT(ink.inkPixels, 50) << "the label shows letters";
                EXPECT_GE(ink.lowest, 4.5)
                    << ink.inkPixels << " letter pixels, " << ink.inkOverPicture << " of them over the picture";
                if (label == &a.CopyrightWarningLabel) warningChecked = ink.inkOverPicture > 100;
            }
        }
        EXPECT_TRUE(warningChecked) << "the warning's letters lie over the card's picture";
        about_->Hide();
    }
}

TEST_F(AboutFormTest, EveryLabelShowsItsWholeTextInEnglishAndKorean) {
    for (const wchar_t* language : {L"english", L"korean"}) {
        SCOPED_TRACE(Narrow(language));
        SetLanguage(language);
        ShowAndSettle();
        ASSERT_EQ(LabelsOf(*about_).size(), 5u);
        for (const CutText& cut : CutTexts(*about_))
            ADD_FAILURE() << Narrow(cut.label) << " cuts its text: " << cut.pixels << " pixels more in a wider box";
        about_->Hide();
    }
    // The check sees a label too narrow for its text.
    ShowAndSettle();
    Bounds narrow = about_->VersionLabel.GetBounds();
    narrow.width /= 2;
    about_->VersionLabel.SetBounds(narrow);
    const std::vector<CutText> cut = CutTexts(*about_);
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].label, L"VersionLabel");
}

} // namespace
} // namespace vx::ui
