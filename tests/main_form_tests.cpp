// The main window in this process, on a real window under the test display:
// what FormCreate selects from the settings key, the last-update line, the
// help key, the help menu's place and the hover underlining.
#include "core/Constants.h"
#include "core/CustomRegistry.h"
#include "core/StoredDate.h"
#include "system/WindowsVersion.h"
#include "tests/support/EngineState.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WholeTexts.h"
#include "ui/ProgramWindows.h"
#include "toolkit/Application.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace vx::ui {
namespace {

using namespace vx::test;

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettingsKey();
        savedProcessorName_ = ReadRegRaw(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, false);
    }
    void TearDown() override {
        windows_.reset();
        DeleteSettingsKey();
        if (savedProcessorName_)
            WriteRegRaw(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, *savedProcessorName_, false);
        for (HWND help = FindWindowW(L"HH Parent", nullptr); help; help = FindWindowW(L"HH Parent", nullptr)) {
            DestroyWindow(help);
            SendMessageW(help, WM_CLOSE, 0, 0);
            if (IsWindow(help)) break;
        }
    }

    static void SetSetting(const wchar_t* name, int value) {
        WriteRegInteger(kSettingsRoot, kSettingsKey, name, value, false);
    }
    static void SetSetting(const wchar_t* name, const std::wstring& value) {
        WriteRegString(kSettingsRoot, kSettingsKey, name, value, false);
    }
    static void SetProcessorName(const std::wstring& name) {
        WriteRegString(HKEY_LOCAL_MACHINE, kProcessorKey, kProcessorNameValue, name, false);
    }

    // The three windows as start-up makes them; the main window is shown.
    TVXMainForm& Open() {
        windows_.reset();
        windows_ = OpenProgramWindows();
        EXPECT_TRUE(windows_->main.Handle());
        return windows_->main;
    }

    std::unique_ptr<ProgramWindows> windows_;
    std::optional<RegValue> savedProcessorName_;
};

TEST_F(MainWindow, StoredChoicesAreSelectedAndTheProcessorMakerIsDetectedOnlyWhenNoneIsStored) {
    SetSetting(L"InternetType", 3);
    SetProcessorName(L"AMD Ryzen 7 5800X 8-Core Processor");
    {
        TVXMainForm& main = Open();
        EXPECT_EQ(main.ModemCombo.ItemIndex(), 3);
        EXPECT_EQ(main.ProcessorCombo.ItemIndex(), 1) << "no ProcessorType: the maker is detected";
        EXPECT_EQ(main.WindowsCombo.ItemIndex(), WindowsItemForVersion(DetectWindowsVersion()));
        EXPECT_EQ(main.SpeedTrackBar.Position(), 0);
        EXPECT_FALSE(main.RestoreButton.Enabled()) << "no Restore value";
    }
    SetSetting(L"ProcessorType", 1);
    SetProcessorName(L"Genuine Intel(R) CPU");
    SetSetting(L"Restore", 1);
    TVXMainForm& main = Open();
    EXPECT_EQ(main.ProcessorCombo.ItemIndex(), 1) << "a stored maker wins over the processor's name";
    EXPECT_TRUE(main.RestoreButton.Enabled());
    EXPECT_EQ(main.WindowsCombo.ItemText(0), L"  Microsoft \u00AE Windows 10");
    // Own fonts keep their style and colour through the window set-up.
    EXPECT_TRUE(main.NavLabel2.Font().Bold());
    EXPECT_EQ(main.NavLabel2.Font().Height(), 13);
    EXPECT_EQ(main.NavLabel2.Font().TextColor().Value(), RGB(128, 128, 128));
    EXPECT_TRUE(main.GoButton.Font().Bold());
    EXPECT_TRUE(main.OSVersionLabel.ParentFont()) << "window-font labels follow the window";
    EXPECT_EQ(main.FasterLabel.Left() + main.FasterLabel.Width(), 307);
    EXPECT_EQ(main.ModemCombo.ItemCount(), 9);
}

TEST_F(MainWindow, StoredNumbersOutsideTheListsSelectNothingAndTheSliderKeepsItsRange) {
    SetSetting(L"InternetType", 12);
    SetSetting(L"ProcessorType", 5);
    SetSetting(L"SpeedSetting", 5);
    {
        TVXMainForm& main = Open();
        EXPECT_EQ(main.ModemCombo.ItemIndex(), -1);
        EXPECT_EQ(main.ProcessorCombo.ItemIndex(), -1);
        EXPECT_EQ(main.SpeedTrackBar.Position(), 1);
        EXPECT_EQ(SendMessageW(main.SpeedTrackBar.Handle(), TBM_GETPOS, 0, 0), 1) << "the slider's window agrees";
    }
    SetSetting(L"SpeedSetting", -3);
    EXPECT_EQ(Open().SpeedTrackBar.Position(), 0);
}

TEST_F(MainWindow, LastUpdateLineTakesTheUpdateDateThenTheInstallationDateThenNothing) {
    const std::wstring installed = L"1451606400"; // 1 January 2016, midnight
    const std::wstring updated = L"1454284800";   // 1 February 2016, midnight
    SetSetting(L"InstalledDate", installed);
    SetSetting(L"UpdatedDate", updated);
    EXPECT_EQ(Open().SoftwareLastUpdateLabel.Caption(), L"Last updated : " + FormatStoredDate(updated));

    DeleteRegValue(kSettingsRoot, kSettingsKey, L"UpdatedDate", false);
    EXPECT_EQ(Open().SoftwareLastUpdateLabel.Caption(), L"Last updated : " + FormatStoredDate(installed));

    SetSetting(L"UpdatedDate", L"not a date");
    SetSetting(L"InstalledDate", L"");
    TVXMainForm& main = Open();
    EXPECT_EQ(main.SoftwareLastUpdateLabel.Caption(), L"Last updated : ");
    EXPECT_EQ(main.VersionInstalledLabel.Caption(), L"Version installed : 3.12.7.2015");
    EXPECT_EQ(main.Title(), L"Velantrix - Make your games and internet run faster");
}

TEST_F(MainWindow, WithoutACaptionTableTheVersionLineIsTheVersionAlone) {
    SetSetting(L"Language", L"klingon");
    TVXMainForm& main = Open();
    EXPECT_EQ(main.VersionInstalledLabel.Caption(), L"3.12.7.2015");
    EXPECT_EQ(main.GoButton.Caption(), L"");
}

TEST(HelpMenu, OpensRightAlignedJustBelowTheHelpIcon) {
    const POINT at = HelpMenuPoint(RECT{100, 50, 870, 581}, SIZE{764, 500}, Bounds{672, 16, 78, 27});
    EXPECT_EQ(at.x, 856);
    EXPECT_EQ(at.y, 124);
}

// Runs inside the menu's own loop: notes where the menu stands, then closes it.
void CALLBACK RecordMenuAndCloseIt(HWND owner, UINT, UINT_PTR id, DWORD) {
    KillTimer(owner, id);
    if (HWND popup = FindWindowW(L"#32768", nullptr)) {
        RECT r{};
        GetWindowRect(popup, &r);
        SetPropW(owner, L"MenuRight", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(r.right)));
        SetPropW(owner, L"MenuTop", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(r.top)));
    }
    SendMessageW(owner, WM_CANCELMODE, 0, 0);
}

TEST_F(MainWindow, HelpMenuOpensUnderTheHelpIconOfTheRealWindow) {
    TVXMainForm& main = Open();
    RECT window{};
    GetWindowRect(main.Handle(), &window);
    POINT iconCorner{672 + 78, 16 + 27};
    ClientToScreen(main.Handle(), &iconCorner);
    const POINT at = HelpMenuPoint(window, SIZE{764, 500}, main.NavButton1.GetBounds());
    // One side frame to the right of the icon, one bottom frame below it.
    const int sideFrame = ((window.right - window.left) - 764) / 2;
    EXPECT_EQ(at.x, iconCorner.x + sideFrame);
    EXPECT_GT(at.y, iconCorner.y);
    EXPECT_LE(at.y, iconCorner.y + sideFrame + 1);

    // The menu itself: it opens when NavStatic1 is clicked, and closes again.
    PostMessageW(main.Handle(), WM_NULL, 0, 0);
    SetTimer(main.Handle(), 77, 300, &RecordMenuAndCloseIt);
    main.NavStatic1.Click();
    ASSERT_NE(GetPropW(main.Handle(), L"MenuRight"), nullptr) << "the pop-up menu opened";
    EXPECT_EQ(static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(main.Handle(), L"MenuRight"))), at.x);
    EXPECT_EQ(static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(main.Handle(), L"MenuTop"))), at.y);
    RemovePropW(main.Handle(), L"MenuRight");
    RemovePropW(main.Handle(), L"MenuTop");
}

TEST_F(MainWindow, PointingAtTheSupportPictureOrItsLabelUnderlinesTheLabel) {
    TVXMainForm& main = Open();
    auto pointAt = [&](int x, int y) {
        PostMessageW(main.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        ProcessMessages();
    };
    EXPECT_FALSE(main.NavStatic3.Font().Underline());
    pointAt(560, 70); // the globe at the picture's left edge
    EXPECT_TRUE(main.NavStatic3.Font().Underline());
    EXPECT_FALSE(main.NavStatic2.Font().Underline());
    pointAt(10, 300); // the plain background
    EXPECT_FALSE(main.NavStatic3.Font().Underline());
    pointAt(main.NavStatic3.Left() + 2, main.NavStatic3.Top() + 2);
    EXPECT_TRUE(main.NavStatic3.Font().Underline()) << "the label itself";
    EXPECT_TRUE(main.NavStatic3.Font().Bold()) << "other styles stay";
    pointAt(main.NavLabel2.Left() + 2, main.NavLabel2.Top() + 2);
    EXPECT_FALSE(main.NavStatic3.Font().Underline());
    EXPECT_FALSE(main.NavLabel2.Font().Underline()) << "the heading has no hover";
    pointAt(main.LinkLabel5.Left() + 2, main.LinkLabel5.Top() + 2);
    EXPECT_TRUE(main.LinkLabel5.Font().Underline());
    pointAt(10, 300);
    EXPECT_FALSE(main.LinkLabel5.Font().Underline());
}

TEST_F(MainWindow, TheAboutWindowOpensModallyFromItsPictureItsLabelAndItsLink) {
    TVXMainForm& main = Open();
    for (Control* entry : {static_cast<Control*>(&main.NavButton4), static_cast<Control*>(&main.NavStatic4),
                           static_cast<Control*>(&main.LinkLabel7)}) {
        SCOPED_TRACE(Narrow(entry->Name()));
        bool shown = false;
        const auto closeAbout = [] { PostMessageW(FindWindowW(kAboutFormClass, nullptr), WM_CLOSE, 0, 0); };
        // The click returns when the About window has closed.
        ModalDriver::Run([&] { entry->Click(); }, {[&] {
                             const HWND about = FindWindowW(kAboutFormClass, nullptr);
                             if (!about || !IsWindowVisible(about) || IsWindowEnabled(main.Handle())) return false;
                             shown = true;
                             closeAbout();
                             return true;
                         }},
                         closeAbout);
        EXPECT_TRUE(shown) << "shown, with the main window disabled";
        EXPECT_FALSE(IsWindowVisible(FindWindowW(kAboutFormClass, nullptr)));
        EXPECT_TRUE(IsWindowEnabled(main.Handle()));
    }
}

// Records the F1 key presses that reach a control's own window.
LRESULT CALLBACK CountF1(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR counter) {
    if (message == WM_KEYDOWN && wParam == VK_F1) ++*reinterpret_cast<int*>(counter);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

TEST_F(MainWindow, F1WithAnyModifiersOpensTheHelpAndStillReachesTheFocusedControl) {
    // The help file the program opens lies beside the program: here, beside this test.
    ASSERT_TRUE(CopyFileTo(FolderOf(BuiltProgramPath()) + kHelpFileName, TestFolder() + kHelpFileName));
    TVXMainForm& main = Open();
    int reached = 0;
    SetWindowSubclass(main.GoButton.Handle(), &CountF1, 1, reinterpret_cast<DWORD_PTR>(&reached));
    main.GoButton.SetFocus();
    SetForegroundWindow(main.Handle());
    ProcessMessages();
    for (const BYTE modifier : {BYTE(0), BYTE(VK_SHIFT), BYTE(VK_CONTROL)}) {
        SCOPED_TRACE(modifier);
        const int before = reached;
        // The key arrives as the focused control's message, with the modifier held in the
        // thread's keyboard state. (Injected input does not reach windows under the test display.)
        BYTE keyboard[256]{};
        GetKeyboardState(keyboard);
        if (modifier) keyboard[modifier] = 0x80;
        SetKeyboardState(keyboard);
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_F1, 1);
        PostMessageW(GetFocus(), WM_KEYUP, VK_F1, 0xC0000001);
        HWND help = nullptr;
        EXPECT_TRUE(PumpUntil(
            [&] {
                help = FindWindowW(L"HH Parent", nullptr);
                return help != nullptr && reached > before;
            },
            10s))
            << "help window " << help << ", key reached the button " << reached - before << " times, focus "
            << GetFocus() << " button " << main.GoButton.Handle() << " foreground " << GetForegroundWindow() << " main "
            << main.Handle();
        if (modifier) keyboard[modifier] = 0;
        SetKeyboardState(keyboard);
        if (help) SendMessageW(help, WM_CLOSE, 0, 0);
        WaitUntil([] { return FindWindowW(L"HH Parent", nullptr) == nullptr; }, 5s);
    }
    RemoveWindowSubclass(main.GoButton.Handle(), &CountF1, 1);
}

TEST_F(MainWindow, TheHelpKeyDoesNothingWhenNoWindowOfTheProgramIsVisible) {
    TVXMainForm& main = Open();
    main.Hide();
    MSG f1{main.Handle(), WM_KEYDOWN, VK_F1, 0, 0, {}};
    bool handled = false;
    main.ApplicationEventsShortCut(f1, handled);
    EXPECT_FALSE(handled);
    ProcessMessages();
    EXPECT_FALSE(WaitUntil([] { return FindWindowW(L"HH Parent", nullptr) != nullptr; }, 1500ms));
}

// Hangul in the place of Tahoma comes from a linked font, which the text's
// measurement alone does not see; the labels must show their whole text all the same.
TEST_F(MainWindow, EveryLabelShowsItsWholeTextInEnglishAndKorean) {
    for (const wchar_t* language : {L"english", L"korean"}) {
        SCOPED_TRACE(Narrow(language));
        SetSetting(L"Language", std::wstring(language));
        SetSetting(L"UpdatedDate", std::wstring(L"1454284800"));
        TVXMainForm& main = Open();
        SetForegroundWindow(main.Handle());
        ProcessMessages();
        ASSERT_GT(LabelsOf(main).size(), 15u);
        for (const CutText& cut : CutTexts(main))
            ADD_FAILURE() << Narrow(cut.label) << " cuts its text: " << cut.pixels << " pixels more in a wider box";
    }
}

} // namespace
} // namespace vx::ui
