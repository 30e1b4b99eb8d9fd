// The setup program of this build (dist/VelantrixSetup-<version>[-x64].exe)
// and its uninstaller, run for real in the test prefix: the files, shortcuts
// and registry values they leave, the program they install, and the promise
// of the uninstaller that the system values are as they were before the
// first optimise. Windows of the setup are driven as a user would, and their
// pages photographed into the artifacts.
#include "core/Constants.h"
#include "core/CustomRegistry.h"
#include "engine/TweakRuns.h"
#include "system/WindowsVersion.h"
#include "tests/support/EngineState.h"
#include "tests/support/Screenshot.h"
#include "tests/support/StandInInstance.h"
#include "tests/support/TestSupport.h"
#include "toolkit/Png.h"
#include "ui/Captions.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace vx {
namespace {

using namespace vx::test;

constexpr wchar_t kEnglishTitle[] = L"Velantrix - Make your games and internet run faster";
constexpr DWORD kStopped = 2; // the setup's exit code when it stopped with nothing changed

std::wstring DefaultFolder() {
    return ShellFolder(CSIDL_PROGRAM_FILES) + L"\\TOLVEN\\Velantrix";
}
std::wstring MenuFolder() {
    return ShellFolder(CSIDL_COMMON_PROGRAMS) + L"\\Velantrix";
}
std::wstring DesktopShortcut() {
    return ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Velantrix.lnk";
}

bool FolderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveFolder(const std::wstring& path) {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path), ignored);
}

// Where a shortcut leads, read through the shell's own link object.
std::wstring ShortcutTarget(const std::wstring& link) {
    IShellLinkW* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shellLink))))
        return {};
    std::wstring target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t path[MAX_PATH]{};
        if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
            SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
            target = path;
        file->Release();
    }
    shellLink->Release();
    return target;
}

std::optional<RegValue> UninstallValue(const wchar_t* name) {
    return ReadRegRaw(HKEY_LOCAL_MACHINE, kUninstallKey, name, kOwnView64);
}

bool UninstallKeyExists() {
    UniqueRegKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey).substr(1).c_str(), 0,
                         KEY_READ | (kOwnView64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY), key.put()) == ERROR_SUCCESS;
}

bool SettingsKeyExists() {
    UniqueRegKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\TOLVEN\\Velantrix", 0, KEY_READ | KEY_WOW64_32KEY,
                         key.put()) == ERROR_SUCCESS;
}

std::optional<DWORD> RunToEnd(const std::wstring& program, const std::wstring& arguments) {
    Process process(program, arguments);
    return process.WaitForExit(120s);
}

std::optional<DWORD> InstallSilently(const std::wstring& arguments = L"") {
    return RunToEnd(SetupPath(), arguments.empty() ? L"/S" : L"/S " + arguments);
}

// The uninstall that waits and gives the real result, as the README gives it:
// a copy of the uninstaller, outside the folder it removes, run for that folder.
class UninstallerCopy {
public:
    explicit UninstallerCopy(const std::wstring& installFolder) : folder_(installFolder) {
        copied_ = CopyFileTo(installFolder + L"\\Uninstall.exe", Path());
    }
    bool Copied() const { return copied_; }
    std::wstring Path() const { return temporary_.Path() + L"Uninstall.exe"; }
    // _?= comes last and unquoted.
    std::wstring Arguments(const std::wstring& options) const {
        return (options.empty() ? L"" : options + L" ") + L"_?=" + folder_;
    }
    std::optional<DWORD> RunSilently() const { return RunToEnd(Path(), Arguments(L"/S")); }

private:
    TemporaryFolder temporary_;
    std::wstring folder_;
    bool copied_ = false;
};

std::optional<DWORD> UninstallSilently(const std::wstring& folder = DefaultFolder()) {
    UninstallerCopy uninstaller(folder);
    if (!uninstaller.Copied()) return std::nullopt;
    return uninstaller.RunSilently();
}

// The optimise run's registry work with what the restore mode will find:
// the detected edition and the stored connection type.
void OptimiseAsTheProgram() {
    RunOptimise(
        {.versionCode = ConvertWindowsVersion(WindowsItemForVersion(DetectWindowsVersion())), .speedSetting = 1});
}

// The 34 locations of a snapshot.
Snapshot LocationsOf(const Snapshot& all) {
    Snapshot locations;
    for (const auto& [key, value] : all)
        if (key.starts_with(kLocationPrefix)) locations[key] = value;
    return locations;
}

// The main window of a program started from the installed folder, once shown.
HWND WaitForMainWindow(const Process& program) {
    HWND main = nullptr;
    WaitUntil(
        [&] {
            main = FindProcessWindow(program.Id(), kMainFormClass);
            return main && IsWindowVisible(main);
        },
        30s);
    return main;
}

void CloseProgram(Process& program, HWND main) {
    if (main) PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(15s), 0u);
}

bool HasHangul(std::wstring_view text) {
    for (wchar_t c : text)
        if (c >= 0xAC00 && c <= 0xD7A3) return true;
    return false;
}

// Everything an installation leaves, gone; and the system values cleared.
void RemoveEveryTrace() {
    for (HWND window; (window = FindWindowW(kMainFormClass, nullptr)) != nullptr;) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        if (!WaitUntil([&] { return !IsWindow(window); }, 10s)) break;
    }
    RemoveFolder(DefaultFolder());
    RemoveFolder(MenuFolder());
    DeleteFileW(DesktopShortcut().c_str());
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey, kOwnView64);
    ClearEngineState();
}

class InstallerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitialize(nullptr); }
    static void TearDownTestSuite() { CoUninitialize(); }
    void SetUp() override {
        ASSERT_FALSE(SetupPath().empty()) << "VELANTRIX_SETUP names no setup program";
        ASSERT_TRUE(FileExists(SetupPath())) << Narrow(SetupPath());
        RemoveEveryTrace();
    }
    void TearDown() override { RemoveEveryTrace(); }

    // Files, shortcuts and Add/Remove Programs entry of an installation into the folder.
    static void ExpectInstalledInto(const std::wstring& folder, bool korean) {
        for (const wchar_t* file :
             {L"Velantrix.exe", L"VelantrixUpdate.exe", L"Velantrix.chm", L"License.rtf", L"Uninstall.exe"})
            EXPECT_TRUE(FileExists(folder + L"\\" + file)) << Narrow(file);
        const std::wstring help = korean ? L"Velantrix \uB3C4\uC6C0\uB9D0.lnk" : L"Velantrix Help.lnk";
        const std::wstring remove = korean ? L"Velantrix \uC81C\uAC70.lnk" : L"Uninstall Velantrix.lnk";
        EXPECT_EQ(ShortcutTarget(MenuFolder() + L"\\Velantrix.lnk"), folder + L"\\Velantrix.exe");
        EXPECT_EQ(ShortcutTarget(MenuFolder() + L"\\" + help), folder + L"\\Velantrix.chm");
        EXPECT_EQ(ShortcutTarget(MenuFolder() + L"\\" + remove), folder + L"\\Uninstall.exe");
        EXPECT_EQ(ShortcutTarget(DesktopShortcut()), folder + L"\\Velantrix.exe") << "the desktop shortcut";

        const std::wstring quoted = L"\"" + folder + L"\\Uninstall.exe\"";
        EXPECT_EQ(UninstallValue(L"DisplayName"), Sz(L"Velantrix"));
        EXPECT_EQ(UninstallValue(L"DisplayVersion"), Sz(kVersionText));
        EXPECT_EQ(UninstallValue(L"Publisher"), Sz(L"TOLVEN"));
        EXPECT_EQ(UninstallValue(L"DisplayIcon"), Sz(L"\"" + folder + L"\\Velantrix.exe\",0"));
        EXPECT_EQ(UninstallValue(L"InstallLocation"), Sz(folder));
        EXPECT_EQ(UninstallValue(L"UninstallString"), Sz(quoted));
        EXPECT_EQ(UninstallValue(L"QuietUninstallString"), Sz(quoted + L" /S"));
        EXPECT_EQ(UninstallValue(L"URLInfoAbout"), Sz(kVendorHomeUrl));
        EXPECT_EQ(UninstallValue(L"HelpLink"), Sz(kVendorSupportUrl));
        EXPECT_EQ(UninstallValue(L"NoModify"), Dword(1));
        EXPECT_EQ(UninstallValue(L"NoRepair"), Dword(1));
        // The folder's size in KiB: the program alone is more than a hundred.
        const auto size = UninstallValue(L"EstimatedSize");
        ASSERT_TRUE(size && size->type == REG_DWORD) << Describe(size);
        const DWORD kib = ReadRegInteger(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize", 0, kOwnView64);
        const auto exeBytes = std::filesystem::file_size(std::filesystem::path(folder + L"\\Velantrix.exe"));
        EXPECT_GE(kib, exeBytes / 1024);
        EXPECT_LE(kib, exeBytes / 1024 + 2048);
    }

    // Nothing of the installation in the folder is left: files, shortcuts, keys.
    static void ExpectNothingLeft(const std::wstring& folder) {
        EXPECT_FALSE(FolderExists(folder)) << Narrow(folder);
        EXPECT_FALSE(FolderExists(MenuFolder()));
        EXPECT_FALSE(FileExists(DesktopShortcut()));
        EXPECT_FALSE(UninstallKeyExists());
    }
};

TEST_F(InstallerTest, SilentInstallIntoTheDefaultFolderInTheInterfaceLanguage) {
    ASSERT_EQ(InstallSilently(), 0u);
    ExpectInstalledInto(DefaultFolder(), false);
    EXPECT_EQ(ReadSetting(L"Language"), Sz(L"english")); // the prefix's interface is English
    EXPECT_EQ(ReadSetting(L"Updated"), std::nullopt) << "a first installation is no update";

    Process program(DefaultFolder() + L"\\Velantrix.exe", L"");
    const HWND main = WaitForMainWindow(program);
    ASSERT_NE(main, nullptr) << "the installed program showed its main window";
    EXPECT_EQ(WindowText(main), kEnglishTitle);
    CloseProgram(program, main);
}

TEST_F(InstallerTest, SilentInstallIntoAChosenFolderInKorean) {
    TemporaryFolder parent;
    const std::wstring folder = parent.Path() + L"My Games\\Velantrix";
    // /D= comes last and unquoted, blanks and all.
    ASSERT_EQ(InstallSilently(L"/LANGUAGE=korean /D=" + folder), 0u);
    ExpectInstalledInto(folder, true);
    EXPECT_FALSE(FolderExists(DefaultFolder()));
    EXPECT_EQ(ReadSetting(L"Language"), Sz(L"korean"));

    const std::wstring koreanTitle = ui::GetCaption(L"VXMainForm", L"VXMainForm");
    EXPECT_TRUE(HasHangul(koreanTitle));
    Process program(folder + L"\\Velantrix.exe", L"");
    const HWND main = WaitForMainWindow(program);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowText(main), koreanTitle);
    CloseProgram(program, main);

    EXPECT_EQ(UninstallSilently(folder), 0u);
    ExpectNothingLeft(folder);
    EXPECT_TRUE(FolderExists(parent.Path() + L"My Games")) << "a folder the setup did not make was removed";
    RemoveFolder(parent.Path() + L"My Games");
}

TEST_F(InstallerTest, AnInstallOverAnInstallationIsAnUpdate) {
    ASSERT_EQ(InstallSilently(L"/LANGUAGE=english"), 0u);
    EXPECT_EQ(ReadSetting(L"Updated"), std::nullopt);
    ASSERT_EQ(InstallSilently(L"/LANGUAGE=korean"), 0u);
    EXPECT_EQ(ReadSetting(L"Updated"), Dword(1));
    EXPECT_EQ(ReadSetting(L"Language"), Sz(L"korean"));
    EXPECT_EQ(ReadSetting(L"UpdatedDate"), std::nullopt);

    // The next start of the program records the update.
    Process program(DefaultFolder() + L"\\Velantrix.exe", L"");
    const HWND main = WaitForMainWindow(program);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ReadSetting(L"Updated"), Dword(0));
    const auto updated = ReadSetting(L"UpdatedDate");
    ASSERT_TRUE(updated && updated->type == REG_SZ) << Describe(updated);
    CloseProgram(program, main);

    // The updater's file is moved aside before the new one is written (Windows
    // will not write over the running updater) and the old copy is removed.
    const std::wstring updater = DefaultFolder() + L"\\VelantrixUpdate.exe";
    const std::wstring movedAside = DefaultFolder() + L"\\VelantrixUpdate.old";
    EXPECT_TRUE(FileExists(updater));
    EXPECT_FALSE(FileExists(movedAside));
    // One that Windows could only mark for removal at its next start goes with the uninstall.
    ASSERT_TRUE(CopyFileW(updater.c_str(), movedAside.c_str(), TRUE));
    EXPECT_EQ(UninstallSilently(), 0u);
    ExpectNothingLeft(DefaultFolder());
}

TEST_F(InstallerTest, UninstallPutsEveryValueTheSystemHadBackAndLeavesNothing) {
    Seed();
    PutLocation(4, Sz(L"38")); // a put-back location of another type than the tuned one
    PutLocation(3, Qword(5));
    const Snapshot before = LocationsOf(TakeSnapshot());
    ASSERT_EQ(InstallSilently(), 0u);

    // A real optimise through the window of the program (its quick build, with short progress steps).
    {
        Process program(WindowsPathFromEnvironment("VELANTRIX_QUICK_EXE"), L"");
        const HWND main = WaitForMainWindow(program);
        ASSERT_NE(main, nullptr);
        const HWND go = FindChild(main, L"Button", L"&Optimize now");
        ASSERT_NE(go, nullptr);
        PostMessageW(go, BM_CLICK, 0, 0);
        const HWND offer = WaitForProcessMessageBox(program.Id(), main, 90s);
        ASSERT_NE(offer, nullptr) << "the restart offer";
        AnswerMessageBox(offer, IDNO);
        CloseProgram(program, main);
    }
    ASSERT_TRUE(RestoreAvailable());
    ASSERT_EQ(ReadLocation(16), Dword(4)) << "the optimise tuned the system";

    const auto started = GetTickCount64();
    EXPECT_EQ(UninstallSilently(), 0u);
    std::printf("silent uninstall with restore: %llu ms\n",
                static_cast<unsigned long long>(GetTickCount64() - started));
    EXPECT_EQ(LocationsOf(TakeSnapshot()), before);
    EXPECT_FALSE(SettingsKeyExists()) << "the settings key, backups and originals included, is gone";
    ExpectNothingLeft(DefaultFolder());
    EXPECT_FALSE(FolderExists(ShellFolder(CSIDL_PROGRAM_FILES) + L"\\TOLVEN"));
}

TEST_F(InstallerTest, UninstallClosesARunningProgramFirst) {
    Seed();
    const Snapshot before = LocationsOf(TakeSnapshot());
    ASSERT_EQ(InstallSilently(), 0u);
    OptimiseAsTheProgram();
    Process program(DefaultFolder() + L"\\Velantrix.exe", L"");
    ASSERT_NE(WaitForMainWindow(program), nullptr);

    EXPECT_EQ(UninstallSilently(), 0u);
    EXPECT_EQ(program.WaitForExit(10s), 0u) << "the program was closed";
    EXPECT_EQ(LocationsOf(TakeSnapshot()), before);
    EXPECT_FALSE(SettingsKeyExists());
    ExpectNothingLeft(DefaultFolder());
}

TEST_F(InstallerTest, AProgramThatWillNotCloseStopsSetupAndUninstallWithNothingChanged) {
    Seed();
    ASSERT_EQ(InstallSilently(), 0u);
    OptimiseAsTheProgram();
    const Snapshot tuned = TakeSnapshot();
    {
        StandInInstance instance({kMainFormClass}, true);
        ASSERT_TRUE(instance.Ready());
        EXPECT_EQ(InstallSilently(), kStopped);
        EXPECT_EQ(ReadSetting(L"Updated"), std::nullopt) << "the stopped setup recorded an update";
        EXPECT_EQ(UninstallSilently(), kStopped);
        EXPECT_GE(instance.ClosedCount(), 2u) << "both were asked to close it";
    }
    EXPECT_EQ(TakeSnapshot(), tuned);
    ExpectInstalledInto(DefaultFolder(), false);

    // Once it is gone the removal goes through.
    EXPECT_EQ(UninstallSilently(), 0u);
    ExpectNothingLeft(DefaultFolder());
}

TEST_F(InstallerTest, AFailedRestoreStopsTheUninstallWithNothingRemoved) {
    Seed();
    ASSERT_EQ(InstallSilently(), 0u);
    OptimiseAsTheProgram();
    // Entry 34 (below P3\Parameters) had a value; its key cannot be made again below a volatile parent.
    UnwritableKey p3(L"\\System\\CurrentControlSet\\Services\\P3");
    ASSERT_TRUE(p3.Made());
    EXPECT_EQ(UninstallSilently(), kStopped);
    EXPECT_TRUE(RestoreAvailable()) << "the backup is kept for a later restore";
    EXPECT_FALSE(ReadOriginals().empty());
    ExpectInstalledInto(DefaultFolder(), false);
}

TEST_F(InstallerTest, TheUninstallerRunInPlaceWaitsAndLeavesOnlyItselfForTheRestart) {
    ASSERT_EQ(InstallSilently(), 0u);
    const std::wstring folder = DefaultFolder();
    // Windows cannot remove a program while it runs: the uninstaller and its folder go at the next start.
    EXPECT_EQ(RunToEnd(folder + L"\\Uninstall.exe", L"/S _?=" + folder), 0u);
    EXPECT_FALSE(FileExists(folder + L"\\Velantrix.exe"));
    EXPECT_FALSE(UninstallKeyExists());
    EXPECT_FALSE(FolderExists(MenuFolder()));
    EXPECT_TRUE(FileExists(folder + L"\\Uninstall.exe"));
    const auto renames = ReadRegRaw(HKEY_LOCAL_MACHINE, L"\\System\\CurrentControlSet\\Control\\Session Manager",
                                    L"PendingFileRenameOperations", false);
    ASSERT_TRUE(renames.has_value());
    const std::wstring text(reinterpret_cast<const wchar_t*>(renames->data.data()), renames->data.size() / 2);
    EXPECT_NE(text.find(folder + L"\\Uninstall.exe"), std::wstring::npos);
}

// --- Pages, as a user sees them ------------------------------------------------

// The setup's window, its current page and its buttons.
class SetupWindow {
public:
    explicit SetupWindow(const Process& process) : processId_(process.Id()) {
        WaitUntil(
            [&] {
                window_ = FindProcessWindow(processId_, L"#32770");
                return window_ && IsWindowVisible(window_);
            },
            30s);
    }
    HWND Handle() const { return window_; }
    HWND Page() const { return FindWindowExW(window_, nullptr, L"#32770", nullptr); }
    // Waits for a page other than `previous` with its Next button enabled.
    HWND WaitForPage(HWND previous, std::chrono::milliseconds timeout = 60s) const {
        HWND page = nullptr;
        WaitUntil(
            [&] {
                page = Page();
                return page && page != previous && IsWindowVisible(page) && IsWindowEnabled(GetDlgItem(window_, 1));
            },
            timeout);
        return page;
    }
    std::wstring Heading() const { return WindowText(GetDlgItem(window_, 1037)); }
    std::wstring NextText() const { return WindowText(GetDlgItem(window_, 1)); }
    void Next() const { PostMessageW(window_, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0); }
    void Shoot(const std::wstring& name) const {
        // The page paints itself once it is shown; give it the moment a screen needs.
        PumpUntil([] { return false; }, 300ms);
        SaveWindowArtifact(window_, name);
    }

private:
    DWORD processId_;
    HWND window_ = nullptr;
};

// A check box or radio button of the page with a text that contains the given one.
HWND ButtonWithText(HWND root, std::wstring_view part) {
    for (HWND child : Descendants(root))
        if (IsOfClass(child, L"Button") && WindowText(child).find(part) != std::wstring::npos) return child;
    return nullptr;
}

// --- Display scale -------------------------------------------------------------

// What the screen shows of a window's client area once the window has painted and the picture stays.
ScreenImage PaintedClient(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &ignored);
    ScreenImage last = CaptureClient(window);
    for (int i = 0; i < 40; ++i) {
        PumpUntil([] { return false; }, 50ms);
        ScreenImage now = CaptureClient(window);
        if (now == last) break;
        last = std::move(now);
    }
    return last;
}

// A control that shows its whole text, grown, paints nothing but its ground in the part it gained (where
// its parent and the controls above it leave that part in sight).
bool ShowsWholeText(HWND control, bool wraps) {
    const HWND parent = GetParent(control);
    RECT own{};
    GetWindowRect(control, &own);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&own), 2);
    RECT visible{};
    GetClientRect(parent, &visible);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int grownWidth = wraps ? width : width + 200;
    const int grownHeight = wraps ? height + 60 : height;
    std::vector<RECT> above; // in the control's client coordinates
    for (HWND sibling = GetWindow(control, GW_HWNDPREV); sibling; sibling = GetWindow(sibling, GW_HWNDPREV)) {
        RECT rect{};
        if (!IsWindowVisible(sibling) || !GetWindowRect(sibling, &rect)) continue;
        MapWindowPoints(nullptr, control, reinterpret_cast<POINT*>(&rect), 2);
        above.push_back(rect);
    }
    SetWindowPos(control, nullptr, 0, 0, grownWidth, grownHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const ScreenImage grown = PaintedClient(control);
    SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);

    std::optional<COLORREF> ground;
    const int right = std::min<int>(grownWidth, visible.right - own.left);
    const int bottom = std::min<int>(grownHeight, visible.bottom - own.top);
    for (int y = wraps ? height : 0; y < bottom; ++y)
        for (int x = wraps ? 0 : width; x < right; ++x) {
            if (std::any_of(above.begin(), above.end(), [&](const RECT& r) { return PtInRect(&r, POINT{x, y}); }))
                continue;
            const COLORREF pixel = grown.ClientAt(x, y);
            if (!ground) ground = pixel;
            if (pixel != *ground) return false;
        }
    return true;
}

// The texts of a setup window and its page that are cut: each visible static text, check box and radio
// button lies inside its parent, and shows its whole text (grown down where its lines wrap, else to the
// right, it paints nothing but its ground in the part it gained).
std::vector<std::string> CutTexts(HWND window) {
    std::vector<std::string> cut;
    for (HWND control : Descendants(window)) {
        if (!IsWindowVisible(control) || WindowText(control).empty()) continue;
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        bool wraps = false;
        if (IsOfClass(control, L"Static")) {
            const LONG type = style & SS_TYPEMASK;
            if (type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) continue; // pictures, frames
            wraps = type <= SS_RIGHT;
        } else if (IsOfClass(control, L"Button")) {
            const LONG type = style & BS_TYPEMASK;
            if (type != BS_CHECKBOX && type != BS_AUTOCHECKBOX && type != BS_RADIOBUTTON && type != BS_AUTORADIOBUTTON)
                continue; // push buttons centre their texts, group boxes draw a frame
            // Check boxes centre their text in their height: they grow to the right, as their text stays on
            // one line on these pages.
        } else {
            continue; // the licence and the folder scroll
        }
        RECT rect{};
        RECT parent{};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
        GetClientRect(GetParent(control), &parent);
        RECT inside{};
        IntersectRect(&inside, &rect, &parent);
        if (!EqualRect(&inside, &rect) || !ShowsWholeText(control, wraps)) cut.push_back(Narrow(WindowText(control)));
    }
    return cut;
}

// The pixels of a bitmap, in the order a screen picture holds them.
ScreenImage PixelsOf(HBITMAP bitmap) {
    BITMAP size{};
    ScreenImage image;
    if (!GetObjectW(bitmap, sizeof size, &size)) return image;
    image.width = size.bmWidth;
    image.height = size.bmHeight;
    image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    BITMAPINFO info = ui::TopDown32BitInfo(image.width, image.height);
    const WindowDc screen(nullptr);
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(image.height), image.pixels.data(), &info,
                  DIB_RGB_COLORS) != image.height)
        return {};
    for (std::uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFF;
    return image;
}

// Velantrix's side picture drawn for a display scale (100, 125, 150 or 200 per cent).
UniqueBitmap LoadSideArt(int scale) {
    const std::wstring path =
        WindowsPathFromEnvironment("VELANTRIX_INSTALLER_ART") + L"\\Welcome@" + std::to_wstring(scale) + L".bmp";
    return UniqueBitmap(static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

// The smallest of the setup's drawings that covers a picture of this size, else the largest.
int CoveringScale(int width, int height) {
    for (int scale : {100, 125, 150})
        if ((164 * scale + 50) / 100 >= width && (314 * scale + 50) / 100 >= height) return scale;
    return 200;
}

// The page's side picture is the smallest drawing that covers its control, made for `lowestScale` per cent
// or more: as it is when it fits exactly, else its middle reduced to the control's size with a filter that
// averages.
void ExpectSidePicture(HWND page, int lowestScale) {
    HWND control = nullptr;
    for (HWND child : Descendants(page))
        if (IsOfClass(child, L"Static") && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            control = child;
    ASSERT_NE(control, nullptr) << "the page has no picture";
    RECT client{};
    GetClientRect(control, &client);
    const int width = client.right;
    const int height = client.bottom;
    const int scale = CoveringScale(width, height);
    const int artWidth = (164 * scale + 50) / 100;
    const int artHeight = (314 * scale + 50) / 100;
    std::printf("side picture %dx%d, from the drawing for %d %% (%dx%d)\n", width, height, scale, artWidth, artHeight);
    EXPECT_GE(scale, lowestScale);

    const UniqueBitmap art = LoadSideArt(scale);
    ASSERT_TRUE(art) << "no drawing for " << scale << " %";
    ScreenImage expected;
    if (artWidth == width && artHeight == height) {
        expected = PixelsOf(art.get());
    } else {
        // The part with the control's proportions, from the middle of the drawing.
        const bool wider = artWidth * height > artHeight * width;
        const int partWidth = wider ? width * artHeight / height : artWidth;
        const int partHeight = wider ? artHeight : height * artWidth / width;
        const WindowDc screen(nullptr);
        const UniqueOwnedDc from(CreateCompatibleDC(screen.get()));
        const UniqueOwnedDc to(CreateCompatibleDC(screen.get()));
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        const UniqueBitmap reduced(CreateDIBSection(to.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        {
            const SelectedObject source(from.get(), art.get());
            const SelectedObject target(to.get(), reduced.get());
            SetStretchBltMode(to.get(), HALFTONE);
            SetBrushOrgEx(to.get(), 0, 0, nullptr);
            StretchBlt(to.get(), 0, 0, width, height, from.get(), (artWidth - partWidth) / 2,
                       (artHeight - partHeight) / 2, partWidth, partHeight, SRCCOPY);
        }
        expected = PixelsOf(reduced.get());
    }
    const ScreenImage shown = PaintedClient(control);
    ASSERT_EQ(shown.width, expected.width);
    ASSERT_EQ(shown.height, expected.height);
    int different = 0;
    for (size_t i = 0; i < shown.pixels.size(); ++i) different += shown.pixels[i] != expected.pixels[i];
    EXPECT_EQ(different, 0) << "pixels of the side picture that are not the drawing for " << scale << " %";
}

void WalkTheSetupPages(const std::wstring& language, const std::wstring& licenceHeading,
                       const std::wstring& startText) {
    Process setup(SetupPath(), L"/LANGUAGE=" + language);
    SetupWindow window(setup);
    ASSERT_NE(window.Handle(), nullptr) << "the setup window";
    const wchar_t* pages[] = {L"welcome", L"licence", L"folder", L"components", L"progress", L"finish"};
    HWND page = nullptr;
    for (const wchar_t* name : pages) {
        SCOPED_TRACE(Narrow(name));
        page = window.WaitForPage(page);
        ASSERT_NE(page, nullptr);
        window.Shoot(L"setup-" + language + L"-" + name + L".png");
        EXPECT_EQ(CutTexts(window.Handle()), std::vector<std::string>{});
        if (std::wstring(name) == L"welcome" || std::wstring(name) == L"finish") ExpectSidePicture(page, 100);
        if (std::wstring(name) == L"licence") {
            EXPECT_EQ(window.Heading(), licenceHeading);
        }
        if (std::wstring(name) == L"components") {
            const HWND tree = FindWindowExW(page, nullptr, WC_TREEVIEWW, nullptr);
            EXPECT_NE(tree, nullptr) << "the components list";
        }
        if (std::wstring(name) == L"finish") {
            const HWND start = ButtonWithText(page, startText);
            ASSERT_NE(start, nullptr) << "the \"Start Velantrix\" box";
            EXPECT_EQ(SendMessageW(start, BM_GETCHECK, 0, 0), BST_CHECKED);
        }
        window.Next();
    }
    EXPECT_EQ(setup.WaitForExit(20s), 0u);
    // "Start Velantrix" was ticked: the program comes up.
    const HWND main = WaitForWindow(kMainFormClass, 30s);
    ASSERT_NE(main, nullptr) << "the finish page started the program";
    PostMessageW(main, WM_CLOSE, 0, 0);
    WaitUntil([&] { return !IsWindow(main); }, 10s);
}

TEST_F(InstallerTest, SetupPagesInEnglish) {
    WalkTheSetupPages(L"english", L"License Agreement", L"Start Velantrix");
    ExpectInstalledInto(DefaultFolder(), false);
    EXPECT_EQ(ReadSetting(L"Language"), Sz(L"english"));
}

TEST_F(InstallerTest, SetupPagesInKorean) {
    WalkTheSetupPages(L"korean", L"\uC0AC\uC6A9\uAD8C \uACC4\uC57D", L"Velantrix \uC2E4\uD589");
    ExpectInstalledInto(DefaultFolder(), true);
    EXPECT_EQ(ReadSetting(L"Language"), Sz(L"korean"));
}

// The manifest a program is started with.
std::string ManifestOf(const std::wstring& program) {
    std::string manifest;
    const HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return manifest;
    if (const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST))
        manifest.assign(static_cast<const char*>(LockResource(LoadResource(module, resource))),
                        SizeofResource(module, resource));
    FreeLibrary(module);
    return manifest;
}

// The setup's first two pages at 144 dpi, photographed and whole; then the setup is cancelled.
void CheckFirstSetupPagesAt144Dpi(const std::wstring& language) {
    Process setup(SetupPath(), L"/LANGUAGE=" + language);
    SetupWindow window(setup);
    ASSERT_NE(window.Handle(), nullptr);
    const HWND welcome = window.WaitForPage(nullptr);
    ASSERT_NE(welcome, nullptr);
    window.Shoot(L"setup-" + language + L"-welcome-144dpi.png");
    EXPECT_EQ(CutTexts(window.Handle()), std::vector<std::string>{});
    ExpectSidePicture(welcome, 150);
    window.Next();
    const HWND licence = window.WaitForPage(welcome);
    ASSERT_NE(licence, nullptr);
    window.Shoot(L"setup-" + language + L"-licence-144dpi.png");
    EXPECT_EQ(CutTexts(window.Handle()), std::vector<std::string>{});

    // A text given less room than it needs is found (the setup is cancelled next).
    HWND longest = nullptr;
    for (HWND child : Descendants(licence))
        if (IsOfClass(child, L"Static") && (!longest || WindowText(child).size() > WindowText(longest).size()))
            longest = child;
    ASSERT_NE(longest, nullptr);
    RECT box{};
    GetClientRect(longest, &box);
    SetWindowPos(longest, nullptr, 0, 0, box.right, box.bottom / 2, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(CutTexts(licence), std::vector<std::string>{Narrow(WindowText(longest))});

    PostMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    const HWND quit = WaitForProcessMessageBox(setup.Id(), window.Handle(), 20s);
    ASSERT_NE(quit, nullptr) << "the setup asks before it quits";
    AnswerMessageBox(quit, IDYES);
    EXPECT_EQ(setup.WaitForExit(20s), 1u);
}

TEST_F(InstallerTest, PagesAreWholeAt144DpiWithTheirPictureMadeForTheirSize) {
    ASSERT_EQ(InstallSilently(L"/LANGUAGE=korean"), 0u);
    // Windows lays out the pages of both at the screen's scale instead of stretching them as a picture.
    for (const std::wstring& program : {SetupPath(), DefaultFolder() + L"\\Uninstall.exe"}) {
        const std::string manifest = ManifestOf(program);
        EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos) << Narrow(program) << ": " << manifest;
        EXPECT_NE(manifest.find(R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")"), std::string::npos);
        EXPECT_NE(manifest.find(R"(level="requireAdministrator")"), std::string::npos);
    }
    PrefixDpi scale(144);
    for (const wchar_t* language : {L"english", L"korean"}) {
        SCOPED_TRACE(Narrow(language));
        CheckFirstSetupPagesAt144Dpi(language);
    }
    UninstallerCopy uninstaller(DefaultFolder());
    Process removal(uninstaller.Path(), uninstaller.Arguments(L""));
    SetupWindow window(removal);
    ASSERT_NE(window.Handle(), nullptr);
    HWND page = window.WaitForPage(nullptr);
    ASSERT_NE(page, nullptr);
    window.Shoot(L"uninstall-korean-confirm-144dpi.png");
    EXPECT_EQ(CutTexts(window.Handle()), std::vector<std::string>{});
    window.Next();
    page = window.WaitForPage(page); // the progress page, complete
    ASSERT_NE(page, nullptr);
    window.Next();
    page = window.WaitForPage(page);
    ASSERT_NE(page, nullptr);
    window.Shoot(L"uninstall-korean-finish-144dpi.png");
    ExpectSidePicture(page, 150);
    EXPECT_EQ(CutTexts(window.Handle()), std::vector<std::string>{});
    window.Next();
    EXPECT_EQ(removal.WaitForExit(20s), 0u);
    ExpectNothingLeft(DefaultFolder());
}

// Walks the setup from its first page to the start of the installation.
HWND PressOnToInstall(const SetupWindow& window) {
    HWND page = nullptr;
    for (int i = 0; i < 4; ++i) { // welcome, licence, folder, components
        page = window.WaitForPage(page);
        if (!page) return nullptr;
        window.Next();
    }
    return page;
}

TEST_F(InstallerTest, SetupOffersRetryWhileTheProgramStaysAndInstallsOnceItIsGone) {
    auto instance = std::make_unique<StandInInstance>(std::vector<std::wstring>{kMainFormClass}, true);
    ASSERT_TRUE(instance->Ready());
    Process setup(SetupPath(), L"/LANGUAGE=english");
    SetupWindow window(setup);
    ASSERT_NE(window.Handle(), nullptr);
    const HWND components = PressOnToInstall(window);
    ASSERT_NE(components, nullptr);

    HWND box = WaitForProcessMessageBox(setup.Id(), window.Handle(), 40s);
    ASSERT_NE(box, nullptr) << "the setup said that Velantrix is still running";
    EXPECT_NE(WindowText(GetDlgItem(box, 0xFFFF)).find(L"Velantrix is running and did not close"), std::wstring::npos);
    EXPECT_NE(GetDlgItem(box, IDRETRY), nullptr);
    EXPECT_NE(GetDlgItem(box, IDCANCEL), nullptr);
    PumpUntil([] { return false; }, 300ms);
    SaveWindowArtifact(box, L"setup-english-still-running.png");
    EXPECT_FALSE(FolderExists(DefaultFolder())) << "files were placed before the program was closed";

    instance.reset(); // the program is gone now
    AnswerMessageBox(box, IDRETRY);
    const HWND progress = window.WaitForPage(components);
    ASSERT_NE(progress, nullptr) << "the installation went on";
    window.Next();
    const HWND finish = window.WaitForPage(progress);
    ASSERT_NE(finish, nullptr);
    const HWND start = ButtonWithText(finish, L"Start Velantrix");
    ASSERT_NE(start, nullptr);
    SendMessageW(start, BM_SETCHECK, BST_UNCHECKED, 0);
    window.Next();
    EXPECT_EQ(setup.WaitForExit(20s), 0u);
    ExpectInstalledInto(DefaultFolder(), false);
    EXPECT_EQ(FindWindowW(kMainFormClass, nullptr), nullptr) << "the program started though unticked";
}

TEST_F(InstallerTest, SetupCancelledWhileTheProgramStaysChangesNothing) {
    StandInInstance instance({kMainFormClass}, true);
    ASSERT_TRUE(instance.Ready());
    Process setup(SetupPath(), L"/LANGUAGE=korean");
    SetupWindow window(setup);
    ASSERT_NE(window.Handle(), nullptr);
    ASSERT_NE(PressOnToInstall(window), nullptr);
    const HWND box = WaitForProcessMessageBox(setup.Id(), window.Handle(), 40s);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(HasHangul(WindowText(GetDlgItem(box, 0xFFFF))));
    PumpUntil([] { return false; }, 300ms);
    SaveWindowArtifact(box, L"setup-korean-still-running.png");
    AnswerMessageBox(box, IDCANCEL);
    // The progress page says that the setup stopped; closing it ends the setup.
    PumpUntil([] { return false; }, 500ms);
    window.Shoot(L"setup-korean-stopped.png");
    PostMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(setup.WaitForExit(20s), kStopped);
    EXPECT_FALSE(FolderExists(DefaultFolder()));
    EXPECT_FALSE(UninstallKeyExists());
    EXPECT_FALSE(SettingsKeyExists());
    EXPECT_FALSE(FolderExists(MenuFolder()));
}

// The interactive removal up to its question, photographed; then the given answer.
struct Removal {
    std::wstring question;
    bool restartOffered = false;
    std::optional<DWORD> exitCode;
};

Removal RemoveInteractively(const std::wstring& language, int answer, const std::wstring& shot) {
    Removal result;
    UninstallerCopy uninstaller(DefaultFolder());
    Process process(uninstaller.Path(), uninstaller.Arguments(L"/LANGUAGE=" + language));
    SetupWindow window(process);
    if (!window.Handle()) return result;
    HWND page = window.WaitForPage(nullptr); // the confirmation
    window.Shoot(L"uninstall-" + language + L"-confirm.png");
    window.Next();
    // The question comes while the progress page shows; its details follow the answer.
    const HWND question = WaitForProcessMessageBox(process.Id(), window.Handle(), 30s);
    if (!question) return result;
    result.question = WindowText(GetDlgItem(question, 0xFFFF));
    PumpUntil([] { return false; }, 300ms);
    SaveWindowArtifact(question, shot);
    AnswerMessageBox(question, answer);
    if (answer == IDNO) {
        // It says that the backups stay for a reinstallation.
        const HWND kept = WaitForProcessMessageBox(process.Id(), window.Handle(), 30s);
        if (kept) {
            SaveWindowArtifact(kept, L"uninstall-" + language + L"-settings-kept.png");
            AnswerMessageBox(kept, IDOK);
        }
    }
    page = window.WaitForPage(page); // the progress page, complete
    if (page) {
        window.Shoot(L"uninstall-" + language + L"-progress.png");
        window.Next();
    }
    page = window.WaitForPage(page); // the finish page
    if (page) {
        window.Shoot(L"uninstall-" + language + L"-finish.png");
        // A restart is offered after a restore: "Reboot now" first, "later" second, which must be chosen.
        std::vector<HWND> radios;
        for (HWND child : Descendants(page))
            if (IsOfClass(child, L"Button") && (GetWindowLongW(child, GWL_STYLE) & 0x0F) == BS_AUTORADIOBUTTON)
                radios.push_back(child);
        result.restartOffered = radios.size() == 2;
        if (!radios.empty() && SendMessageW(radios.front(), BM_GETCHECK, 0, 0) == BST_CHECKED) {
            process.Kill(); // never let a test restart the prefix
            return result;
        }
        window.Next();
    }
    result.exitCode = process.WaitForExit(30s);
    return result;
}

TEST_F(InstallerTest, UninstallerAskedInEnglishAndAnsweredNoKeepsTheBackups) {
    ASSERT_EQ(InstallSilently(L"/LANGUAGE=english"), 0u);
    Seed();
    OptimiseAsTheProgram();
    const Snapshot tuned = LocationsOf(TakeSnapshot());
    const Removal removal = RemoveInteractively(L"english", IDNO, L"uninstall-english-question.png");
    EXPECT_NE(removal.question.find(L"Do you want to put your original settings back"), std::wstring::npos)
        << Narrow(removal.question);
    EXPECT_EQ(removal.exitCode, 0u);
    EXPECT_FALSE(removal.restartOffered) << "nothing was restored";
    ExpectNothingLeft(DefaultFolder());
    EXPECT_EQ(LocationsOf(TakeSnapshot()), tuned) << "No keeps the tuning";
    EXPECT_TRUE(RestoreAvailable()) << "and the backups, for a reinstallation";
    EXPECT_FALSE(ReadOriginals().empty());

    // Installing again brings the Restore button back.
    ASSERT_EQ(InstallSilently(), 0u);
    Process program(DefaultFolder() + L"\\Velantrix.exe", L"");
    const HWND main = WaitForMainWindow(program);
    ASSERT_NE(main, nullptr);
    const HWND restore = FindChild(main, L"Button", L"&Restore");
    ASSERT_NE(restore, nullptr);
    EXPECT_TRUE(IsWindowEnabled(restore));
    CloseProgram(program, main);
}

TEST_F(InstallerTest, UninstallerAskedInKoreanAndAnsweredYesRestores) {
    ASSERT_EQ(InstallSilently(L"/LANGUAGE=korean"), 0u);
    Seed();
    const Snapshot before = LocationsOf(TakeSnapshot());
    OptimiseAsTheProgram();
    const Removal removal = RemoveInteractively(L"korean", IDYES, L"uninstall-korean-question.png");
    EXPECT_TRUE(HasHangul(removal.question)) << "the question is in Korean";
    EXPECT_TRUE(removal.restartOffered) << "the restored values need a restart";
    EXPECT_EQ(removal.exitCode, 0u);
    EXPECT_EQ(LocationsOf(TakeSnapshot()), before);
    EXPECT_FALSE(SettingsKeyExists());
    ExpectNothingLeft(DefaultFolder());
}

} // namespace
} // namespace vx
