// Libraries planted beside the shipped programs, as an attacker who can write
// one file into the folder a program is started from (Downloads) would plant
// them. Each planted library records any load in a file beside itself; Wine is
// told to take every planted name from the program's folder first, as Windows
// does for libraries outside its known set. The program must run as before
// without ever loading one of them.
//
// Each program is one entry of kPlantedPrograms: its path, the files shipped
// beside it, and what it is made to do while the planted libraries lie there.
#include "core/Constants.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestSupport.h"
#include "updater/UpdaterTexts.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace vx {
namespace {

using namespace vx::test;

// Every library a program here imports or is known to load, and those Windows
// loads for such programs (themes, the shell, codecs, the help viewer, the
// updater's signature check).
const std::vector<std::wstring> kPlantedNames = {
    L"winmm.dll",   L"winhttp.dll", L"windowscodecs.dll", L"msimg32.dll", L"version.dll",
    L"uxtheme.dll", L"propsys.dll", L"comctl32.dll",      L"dwmapi.dll",  L"cryptbase.dll",
    L"hhctrl.ocx",  L"crypt32.dll", L"wintrust.dll",
};

// Names that Wine's own builtin versions of Windows' known libraries import:
// its user32 imports version.dll, and reads the program's version information
// through it when the first window is made. On Windows a known library's
// imports come from the system folder; under Wine they follow the override like
// any other load, before a program's first instruction, and a planted copy
// (which exports nothing) then ends the program at its first window
// ("unimplemented function version.dll.GetFileVersionInfoSizeW"). Such a load is
// Wine's, not the program's: these names are never planted beside the programs
// under test. The baseline program below shows which names the platform loads
// on this host; only these may be among them.
const std::set<std::wstring> kPlatformImportsUnderWine = {L"version.dll"};

// Names the NSIS setup stub loads from its own folder under Wine, before the
// first instruction of the stub or of the setup script runs, so that nothing
// the script says can prevent it. The stub imports comctl32; its manifest
// (XPStyle on) takes version 6 from the side-by-side store, not from the
// folder, but Wine's comctl32, while it starts, loads uxtheme by bare name
// with the program's folder first. The stub then restricts the search to the
// system folder and loads uxtheme from there itself, so the planted copy,
// which exports nothing, is let go again and the setup goes on. Every other
// name must stay unloaded.
const std::set<std::wstring> kSetupStubLoadsUnderWine = {L"uxtheme.dll"};

constexpr wchar_t kHelpWindowClass[] = L"HH Parent";
constexpr wchar_t kMessageBoxClass[] = L"#32770";

std::wstring OverrideName(const std::wstring& fileName) {
    const std::wstring suffix = L".dll";
    if (fileName.size() > suffix.size() &&
        fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) == 0)
        return fileName.substr(0, fileName.size() - suffix.size());
    return fileName;
}

// Wine takes each planted name from the program's folder first, for programs of
// that file name, while the object lives: the per-program form of
// WINEDLLOVERRIDES (which a process started from here would not pass on).
class FolderFirst {
public:
    FolderFirst(const std::wstring& programFileName, const std::vector<std::wstring>& names)
        : key_(L"Software\\Wine\\AppDefaults\\" + programFileName + L"\\DllOverrides") {
        UniqueRegKey overrides;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, overrides.put(),
                            nullptr) != ERROR_SUCCESS)
            return;
        set_ = true;
        constexpr wchar_t kOrder[] = L"native,builtin";
        for (const std::wstring& name : names)
            set_ = set_ && RegSetValueExW(overrides.get(), OverrideName(name).c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(kOrder), sizeof(kOrder)) == ERROR_SUCCESS;
    }
    ~FolderFirst() { DeleteKeyTree(HKEY_CURRENT_USER, key_.substr(0, key_.find_last_of(L'\\'))); }
    FolderFirst(const FolderFirst&) = delete;
    FolderFirst& operator=(const FolderFirst&) = delete;

    bool Set() const { return set_; }

private:
    std::wstring key_;
    bool set_ = false;
};

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

bool StartsWithFolder(const std::wstring& path, const std::wstring& folder) {
    return path.size() >= folder.size() &&
           CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool InSystemFolder(const std::wstring& path) {
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    return length > 0 && StartsWithFolder(path, std::wstring(system, length) + L"\\");
}

// A throwaway folder holding a copy of a program, the files shipped beside it
// and the planted libraries.
class PlantedFolder {
public:
    PlantedFolder(const std::wstring& program, const std::vector<std::wstring>& companions,
                  const std::vector<std::wstring>& names)
        : names_(names) {
        const std::wstring fileName = program.substr(program.find_last_of(L'\\') + 1);
        program_ = folder_.Path() + fileName;
        folderFirst_ = std::make_unique<FolderFirst>(fileName, names);
        ready_ = folderFirst_->Set();
        ready_ = ready_ && CopyFileTo(program, program_);
        for (const std::wstring& companion : companions)
            ready_ = ready_ && CopyFileTo(FolderOf(program) + companion, folder_.Path() + companion);
        for (const std::wstring& name : names)
            ready_ = ready_ && CopyFileTo(TestFolder() + L"PlantedLibrary.dll", folder_.Path() + name);
    }

    bool Ready() const { return ready_; }
    const std::wstring& Program() const { return program_; }
    const std::wstring& Path() const { return folder_.Path(); }

    // The planted names whose library some process loaded.
    std::vector<std::wstring> Loaded() const {
        std::vector<std::wstring> loaded;
        for (const std::wstring& name : names_)
            if (FileExists(RunRecordOf(folder_.Path() + name))) loaded.push_back(name);
        return loaded;
    }

private:
    TemporaryFolder folder_;
    std::unique_ptr<FolderFirst> folderFirst_;
    std::vector<std::wstring> names_;
    std::wstring program_;
    bool ready_ = false;
};

std::string Listed(const std::vector<std::wstring>& names) {
    std::string text;
    for (const std::wstring& name : names) text += (text.empty() ? "" : ", ") + Narrow(name);
    return text.empty() ? "none" : text;
}

// What the platform loads from the folder while it resolves the imports of a
// program that imports only Windows' known libraries: nothing a program can
// prevent, so those names are not planted beside the programs under test.
struct PlatformLoads {
    std::set<std::wstring> names; // never planted
    std::string failure;          // why the baseline could not show them; empty when it did
};

PlatformLoads NamesThePlatformLoadsFirst() {
    const std::wstring baseline = TestFolder() + L"KnownImportsProgram.exe";
    PlantedFolder folder(baseline, {}, kPlantedNames);
    if (!folder.Ready()) return {{}, "the baseline program's folder could not be made"};
    Process process(folder.Program(), L"");
    if (!process.Started()) return {{}, "the baseline program did not start"};
    // Its records are complete only once it has run to its end.
    const std::optional<DWORD> exitCode = process.WaitForExit(60s);
    if (!exitCode) return {{}, "the baseline program did not end within 60 s"};
    if (*exitCode != 0) return {{}, "the baseline program ended with exit code " + std::to_string(*exitCode)};
    const std::vector<std::wstring> loaded = folder.Loaded();
    std::printf("Loaded by the platform itself before any program code: %s\n", Listed(loaded).c_str());
    for (const std::wstring& name : loaded)
        EXPECT_TRUE(kPlatformImportsUnderWine.count(name)) << Narrow(name) << " is loaded by the platform itself";
    PlatformLoads loads{kPlatformImportsUnderWine, {}};
    loads.names.insert(loaded.begin(), loaded.end());
    return loads;
}

const PlatformLoads& ThePlatformLoads() {
    static const PlatformLoads loads = NamesThePlatformLoadsFirst();
    return loads;
}

// ---------------------------------------------------------------------------
// Velantrix.exe: its main window, the click sound (the About entry plays it),
// the help viewer (F1) and an update check ("/checkupdate" from the same folder).

void ClickAt(HWND window, POINT at) {
    const LPARAM position = MAKELPARAM(at.x, at.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, position);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, position);
    PostMessageW(window, WM_LBUTTONUP, 0, position);
}

void ExpectFromTheSystemFolder(DWORD processId, const wchar_t* fileName) {
    std::wstring path;
    EXPECT_TRUE(WaitUntil([&] { return !(path = LoadedModulePath(processId, fileName)).empty(); }, 10s))
        << Narrow(fileName) << " was never loaded";
    EXPECT_TRUE(InSystemFolder(path)) << Narrow(path);
}

// Nothing the process holds comes from its folder but the program itself.
void ExpectNoModuleFromTheFolder(DWORD processId, const PlantedFolder& folder) {
    const std::vector<std::wstring> modules = ModulesOf(processId);
    EXPECT_FALSE(modules.empty()) << "the module list could not be read";
    for (const std::wstring& module : modules) {
        if (!StartsWithFolder(module, folder.Path())) continue;
        EXPECT_EQ(CompareStringOrdinal(module.c_str(), -1, folder.Program().c_str(), -1, TRUE), CSTR_EQUAL)
            << Narrow(module) << " was loaded from the program's folder";
    }
}

void ExerciseVelantrix(const PlantedFolder& folder) {
    DeleteSettingsKey();
    Process program(folder.Program(), L"");
    ASSERT_TRUE(program.Started());
    HWND main = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (main = FindProcessWindow(program.Id(), kMainFormClass)) != nullptr; }, 60s))
        << "no main window";
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 20s));

    // The About entry plays the click and opens the About window.
    ClickAt(main, POINT{713, 71});
    HWND about = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] { return (about = FindProcessWindow(program.Id(), kAboutFormClass)) && IsWindowVisible(about); }, 20s))
        << "the About window did not open";
    ExpectFromTheSystemFolder(program.Id(), L"winmm.dll");
    if (about) PostMessageW(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }, 10s));

    // F1 opens the help viewer.
    PostMessageW(main, WM_KEYDOWN, VK_F1, 1);
    PostMessageW(main, WM_KEYUP, VK_F1, 1 | (1u << 30) | (1u << 31));
    HWND help = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (help = FindWindowW(kHelpWindowClass, nullptr)) != nullptr; }, 20s))
        << "the help viewer did not open";
    ExpectFromTheSystemFolder(program.Id(), L"hhctrl.ocx");
    if (help) PostMessageW(help, WM_CLOSE, 0, 0);

    // An update check from the same folder: the vendor's host does not resolve
    // here, so it ends with no window and hands back to the running instance.
    Process check(folder.Program(), kCheckUpdateArgument);
    ASSERT_TRUE(check.Started());
    bool showedWindow = false;
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (const wchar_t* name : {kMainFormClass, kAboutFormClass, kSettingsFormClass, kMessageBoxClass})
                if (FindProcessWindow(check.Id(), name)) showedWindow = true;
            return check.WaitForExit(0ms).has_value();
        },
        60s))
        << "the update check did not end";
    EXPECT_FALSE(showedWindow);
    EXPECT_FALSE(program.WaitForExit(0ms)) << "the instance ended";

    ExpectNoModuleFromTheFolder(program.Id(), folder);

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "the program did not end";
    while (HWND left = FindWindowW(kHelpWindowClass, nullptr)) {
        SendMessageW(left, WM_CLOSE, 0, 0);
        if (!WaitUntil([&] { return !IsWindow(left); }, 5s)) break;
    }
    DeleteSettingsKey();
}

// ---------------------------------------------------------------------------
// VelantrixUpdate.exe (the build that takes its server from the command line):
// it fetches the release information from a loopback server, verifies its
// signature with CryptoAPI and finds that it already has the latest version.

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::wstring UpdaterUnderTestPath() {
    return WindowsPathFromEnvironment("VELANTRIX_UPDATER_TEST_EXE");
}

void ExerciseUpdater(const PlantedFolder& folder) {
    using namespace vx::updater;
    DeleteSettingsKey();
    // This version's release information, signed as the release script signs it.
    const std::wstring dist = WindowsPathFromEnvironment("VELANTRIX_TEST_KEYS") + L"\\dist\\";
    const std::string release = ReadBytes(dist + L"release.txt");
    const std::string signature = ReadBytes(dist + L"release.txt.sig");
    ASSERT_FALSE(release.empty());
    ASSERT_FALSE(signature.empty());
    LoopbackServer server([&](Connection& connection) {
        const std::string& request = connection.Received();
        const std::size_t start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        if (path == "/downloads/velantrix/release.txt") connection.Send(Response("200 OK", release));
        else if (path == "/downloads/velantrix/release.txt.sig") connection.Send(Response("200 OK", signature));
        else connection.Send(Response("404 Not Found", "not here"));
    });
    ASSERT_NE(server.Port(), 0);

    Process updater(folder.Program(), L"/server=127.0.0.1:" + std::to_wstring(server.Port()) + L" /timeout=20000");
    ASSERT_TRUE(updater.Started());
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            window = FindProcessWindow(updater.Id(), kUpdaterFormClass);
            return window && IsWindowVisible(window) && GetDlgItem(window, kStatusLabelId);
        },
        60s))
        << "the updater's window did not open";
    const std::wstring upToDate(OutcomeText(Language::English, UpdateOutcome::UpToDate));
    std::wstring status;
    EXPECT_TRUE(WaitUntil([&] { return (status = WindowText(GetDlgItem(window, kStatusLabelId))) == upToDate; }, 60s))
        << "status: " << Narrow(status);
    ExpectFromTheSystemFolder(updater.Id(), L"winhttp.dll");
    ExpectFromTheSystemFolder(updater.Id(), L"crypt32.dll");
    ExpectNoModuleFromTheFolder(updater.Id(), folder);

    const HWND close = GetDlgItem(window, kCloseButtonId);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(kCloseButtonId, BN_CLICKED), reinterpret_cast<LPARAM>(close));
    EXPECT_TRUE(updater.WaitForExit(20s).has_value()) << "the updater did not end";
    server.Stop();
    DeleteSettingsKey();
}

// ---------------------------------------------------------------------------
// The setup program of this build, started silently from the planted folder:
// it installs the program into a folder of its own.

void ExerciseSetup(const PlantedFolder& folder) {
    DeleteSettingsKey();
    TemporaryFolder target;
    const std::wstring installFolder = target.Path() + L"Velantrix";
    Process setup(folder.Program(), L"/S /D=" + installFolder);
    ASSERT_TRUE(setup.Started());
    const std::optional<DWORD> exitCode = setup.WaitForExit(120s);
    EXPECT_EQ(exitCode, std::optional<DWORD>(0)) << "the setup did not install";
    EXPECT_TRUE(FileExists(installFolder + L"\\Velantrix.exe")) << "the program was not installed";
    EXPECT_TRUE(FileExists(installFolder + L"\\" + kUpdaterFileName)) << "the updater was not installed";

    // Removed again by its own uninstaller, run for its folder (it waits), and whatever it left.
    if (FileExists(installFolder + L"\\Uninstall.exe")) {
        Process uninstall(installFolder + L"\\Uninstall.exe", L"/S _?=" + installFolder);
        EXPECT_EQ(uninstall.WaitForExit(120s), std::optional<DWORD>(0)) << "the uninstaller failed";
    }
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(ShellFolder(CSIDL_COMMON_PROGRAMS) + L"\\Velantrix"), ignored);
    DeleteFileW((ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Velantrix.lnk").c_str());
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey, kOwnView64);
    DeleteSettingsKey();
}

struct PlantedProgram {
    const char* name;
    std::function<std::wstring()> path;   // empty when this build has none
    std::vector<std::wstring> companions; // shipped beside it
    std::function<void(const PlantedFolder&)> exercise;
    std::set<std::wstring> loadedByThePlatform = {}; // may still load; see where each set is defined
};

// Names the program in a failure message, not its bytes.
void PrintTo(const PlantedProgram& program, std::ostream* out) {
    *out << program.name;
}

const std::vector<PlantedProgram> kPlantedPrograms = {
    {"Velantrix.exe", BuiltProgramPath, {kHelpFileName, kLicenseFileName}, ExerciseVelantrix},
    {"VelantrixUpdate.exe", UpdaterUnderTestPath, {}, ExerciseUpdater},
    {"VelantrixSetup.exe", SetupPath, {}, ExerciseSetup, kSetupStubLoadsUnderWine},
};

class LibraryPlanting : public testing::TestWithParam<PlantedProgram> {};

TEST_P(LibraryPlanting, NoPlantedLibraryEverLoadsAndTheProgramWorksAsBefore) {
    const PlantedProgram& target = GetParam();
    const std::wstring program = target.path();
    if (program.empty()) GTEST_SKIP() << "this build made no " << target.name;
    // Without the baseline no load can be told from the platform's own: nothing is planted then.
    const PlatformLoads& platform = ThePlatformLoads();
    ASSERT_TRUE(platform.failure.empty()) << platform.failure
                                          << ", so which libraries the platform loads by itself is unknown";
    std::vector<std::wstring> names;
    for (const std::wstring& name : kPlantedNames)
        if (!platform.names.count(name)) names.push_back(name);
    ASSERT_GE(names.size(), kPlantedNames.size() - kPlatformImportsUnderWine.size());
    PlantedFolder folder(program, target.companions, names);
    ASSERT_TRUE(folder.Ready()) << "the program or its files could not be copied";

    target.exercise(folder);

    std::vector<std::wstring> loaded;
    std::vector<std::wstring> tolerated;
    for (const std::wstring& name : folder.Loaded())
        (target.loadedByThePlatform.count(name) ? tolerated : loaded).push_back(name);
    if (!tolerated.empty())
        std::printf("%s: loaded by the platform before any of its code: %s\n", target.name, Listed(tolerated).c_str());
    EXPECT_TRUE(loaded.empty()) << target.name << " loaded planted libraries: " << Listed(loaded);
}

INSTANTIATE_TEST_SUITE_P(ShippedPrograms, LibraryPlanting, testing::ValuesIn(kPlantedPrograms),
                         [](const testing::TestParamInfo<PlantedProgram>& param) {
                             std::string name = param.param.name;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// The planted library itself: a program that loads it by bare name from its
// folder leaves the record, so the tests above can see a load.
TEST(LibraryPlanting, APlantedLibraryThatLoadsLeavesItsRecord) {
    PlantedFolder folder(TestFolder() + L"KnownImportsProgram.exe", {}, {L"vxplanted.dll"});
    ASSERT_TRUE(folder.Ready());
    const UniqueModule module(LoadLibraryExW((folder.Path() + L"vxplanted.dll").c_str(), nullptr, 0));
    ASSERT_NE(module.get(), nullptr);
    EXPECT_EQ(folder.Loaded(), std::vector<std::wstring>{L"vxplanted.dll"});
}

} // namespace
} // namespace vx
