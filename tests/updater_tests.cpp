// The updater, VelantrixUpdate.exe, driven from outside: a build of it with a
// throwaway release key talks to a loopback server that answers as the
// vendor's release folder. It must install a newer, correctly signed release
// and refuse everything else with one sentence, nothing run and nothing left.
#include "updater/CryptoHandles.h"
#include "updater/ReleaseManifest.h"
#include "updater/Signature.h"
#include "updater/UpdaterTexts.h"

#include "core/Constants.h"
#include "core/CustomRegistry.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vx {
namespace {

using namespace std::chrono_literals;
using namespace vx::updater;
using test::Narrow;

constexpr wchar_t kStandInKey[] = L"Software\\TOLVEN\\VelantrixTests\\InstallerStandIn";
constexpr char kReleaseFolder[] = "/downloads/velantrix/";
constexpr char kInstallerName[] = "VelantrixSetup-3.12.7.2016.exe";
constexpr std::string_view kBuild = sizeof(void*) == 8 ? "x64" : "x86";

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string Hex(const Sha256Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

std::optional<Sha256Digest> Sha256Of(const std::string& bytes) {
    const UniqueCryptProvider provider = AcquireAesProvider();
    UniqueCryptHash hash;
    if (!provider || !CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, hash.put())) return std::nullopt;
    if (!CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0))
        return std::nullopt;
    Sha256Digest digest{};
    DWORD size = static_cast<DWORD>(digest.size());
    if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest.data(), &size, 0)) return std::nullopt;
    return digest;
}

// Signs as "openssl dgst -sha256 -sign" does, with a private key blob the
// build made from the throwaway key ("release" or "other").
std::string Sign(const std::string& message, const wchar_t* keyName) {
    const std::string blob =
        ReadBytes(test::WindowsPathFromEnvironment("VELANTRIX_TEST_KEYS") + L"\\" + keyName + L".blob");
    const UniqueCryptProvider provider = AcquireAesProvider();
    UniqueCryptKey key;
    UniqueCryptHash hash;
    if (blob.empty() || !provider ||
        !CryptImportKey(provider.get(), reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size()), 0,
                        0, key.put()) ||
        !CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, hash.put()) ||
        !CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(message.data()), static_cast<DWORD>(message.size()),
                       0))
        return {};
    std::string signature(512, '\0');
    DWORD size = static_cast<DWORD>(signature.size());
    if (!CryptSignHashW(hash.get(), AT_KEYEXCHANGE, nullptr, 0, reinterpret_cast<BYTE*>(signature.data()), &size))
        return {};
    signature.resize(size);
    return std::string(signature.rbegin(), signature.rend());
}

std::string ReleaseText(std::string_view product, std::string_view version, std::string_view file, std::uint64_t size,
                        const std::string& sha256) {
    const std::string build(kBuild);
    return "product=" + std::string(product) + "\nversion=" + std::string(version) + "\n" + build + "=" +
           std::string(file) + "\n" + build + "-size=" + std::to_string(size) + "\n" + build + "-sha256=" + sha256 +
           "\n";
}

// What the server does for one path.
struct Reply {
    std::string response;    // sent as it stands
    bool silent = false;     // accepts, reads the request and never answers
    std::size_t trickle = 0; // sends the response in pieces of this size, 50 ms apart
};

// The vendor's release folder on loopback. Records every path asked for.
class ReleaseServer {
public:
    ReleaseServer() : server_([this](test::Connection& connection) { Serve(connection); }) {}
    ~ReleaseServer() { stop_ = true; }

    void Put(const std::string& name, Reply reply) { replies_[kReleaseFolder + name] = std::move(reply); }
    void PutFile(const std::string& name, const std::string& body) {
        Put(name, {test::Response("200 OK", body), false, 0});
    }
    WORD Port() const { return server_.Port(); }
    std::vector<std::string> Asked() {
        std::lock_guard lock(mutex_);
        return asked_;
    }
    bool WasAsked(const std::string& name) {
        const std::vector<std::string> asked = Asked();
        return std::find(asked.begin(), asked.end(), kReleaseFolder + name) != asked.end();
    }
    std::size_t BytesSent() {
        server_.Stop();
        std::size_t total = 0;
        for (const test::Connection& connection : server_.Connections()) total += connection.BytesSent();
        return total;
    }
    void Stop() {
        stop_ = true;
        server_.Stop();
    }

private:
    void Serve(test::Connection& connection) {
        const std::string& request = connection.Received();
        const std::size_t start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        {
            std::lock_guard lock(mutex_);
            asked_.push_back(path);
        }
        const auto found = replies_.find(path);
        if (found == replies_.end()) {
            connection.Send(test::Response("404 Not Found", "not here"));
            return;
        }
        const Reply& reply = found->second;
        if (reply.silent) {
            test::WaitUntil([&] { return stop_.load(); }, 60s);
            return;
        }
        if (reply.trickle == 0) {
            connection.Send(reply.response);
            return;
        }
        for (std::size_t at = 0; at < reply.response.size() && !stop_; at += reply.trickle) {
            if (!connection.Send(std::string_view(reply.response).substr(at, reply.trickle))) return;
            Sleep(50);
        }
    }

    std::map<std::string, Reply> replies_;
    std::mutex mutex_;
    std::vector<std::string> asked_;
    std::atomic<bool> stop_{false};
    test::LoopbackServer server_;
};

std::vector<std::wstring> DownloadFolders() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW data;
    const HANDLE search = FindFirstFileW((std::wstring(temp, length) + L"VelantrixUpdate-*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do found.push_back(data.cFileName);
    while (FindNextFileW(search, &data));
    FindClose(search);
    return found;
}

std::optional<std::wstring> StandInCommandLine() {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kStandInKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return std::nullopt;
    wchar_t text[2048] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegQueryValueExW(key.get(), L"CommandLine", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

std::optional<DWORD> StandInNumber(const wchar_t* name) {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kStandInKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return std::nullopt;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void SetStandInExitCode(DWORD code) {
    UniqueRegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kStandInKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key.get(), L"ExitCode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&code), sizeof code);
}

// Starts a copy of the updater under test in a program folder of its own and
// reads its window from outside.
class UpdaterRun : public ::testing::Test {
protected:
    void SetUp() override {
        test::DeleteSettingsKey();
        test::DeleteKeyTree(HKEY_CURRENT_USER, L"\\Software\\TOLVEN\\VelantrixTests");
        ASSERT_TRUE(DownloadFolders().empty()) << "a download folder was left by an earlier run";
        updater_ = folder_.Path() + kUpdaterFileName;
        ASSERT_TRUE(test::CopyFileTo(test::WindowsPathFromEnvironment("VELANTRIX_UPDATER_TEST_EXE"), updater_));
        installer_ = ReadBytes(test::WindowsPathFromEnvironment("VELANTRIX_INSTALLER_STAND_IN"));
        ASSERT_GT(installer_.size(), 1000u);
        const std::optional<Sha256Digest> digest = Sha256Of(installer_);
        ASSERT_TRUE(digest);
        installerSha_ = Hex(*digest);
    }
    void TearDown() override {
        if (window_ && IsWindow(window_)) PostMessageW(window_, WM_CLOSE, 0, 0);
        if (process_.Started()) process_.WaitForExit(20s);
        server_.Stop();
        test::DeleteSettingsKey();
        test::DeleteKeyTree(HKEY_CURRENT_USER, L"\\Software\\TOLVEN\\VelantrixTests");
    }

    // A well-formed, correctly signed release of version 3.12.7.2016.
    void PublishRelease(const std::string& text, const wchar_t* key = L"release") {
        server_.PutFile("release.txt", text);
        server_.PutFile("release.txt.sig", Sign(text, key));
    }
    std::string GoodRelease() const {
        return ReleaseText("velantrix", "3.12.7.2016", kInstallerName, installer_.size(), installerSha_);
    }

    void Start(DWORD timeoutMs = 20000) {
        process_ = test::Process(updater_, L"/server=127.0.0.1:" + std::to_wstring(server_.Port()) + L" /timeout=" +
                                               std::to_wstring(timeoutMs));
        ASSERT_TRUE(process_.Started());
        ASSERT_TRUE(test::WaitUntil(
            [&] {
                // Found while it is still being created, it has no controls yet: wait until it is shown.
                window_ = test::FindProcessWindow(process_.Id(), kUpdaterFormClass);
                return window_ && IsWindowVisible(window_) && GetDlgItem(window_, kProgressBarId);
            },
            30s))
            << "the updater's window did not open";
    }
    std::wstring Status() const { return test::WindowText(GetDlgItem(window_, kStatusLabelId)); }
    bool WaitForStatus(std::wstring_view text, std::chrono::milliseconds bound = 60s) const {
        return test::WaitUntil([&] { return Status() == text; }, bound);
    }
    // The outcome is shown, Close closes the window and the updater ends.
    void ExpectOutcome(UpdateOutcome outcome, Language language = Language::English) {
        ASSERT_TRUE(WaitForStatus(OutcomeText(language, outcome)))
            << "status: " << Narrow(Status()) << "\nwanted: " << Narrow(OutcomeText(language, outcome));
        const HWND close = GetDlgItem(window_, kCloseButtonId);
        EXPECT_EQ(test::WindowText(close), Text(language, UiText::Close));
        EXPECT_TRUE(IsWindowEnabled(close));
    }
    void CloseUpdater() {
        PostMessageW(window_, WM_COMMAND, MAKEWPARAM(kCloseButtonId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window_, kCloseButtonId)));
        EXPECT_TRUE(process_.WaitForExit(20s)) << "the updater did not end";
    }
    // Refused: nothing ran, nothing was recorded, nothing was left behind.
    void ExpectNothingChanged() {
        CloseUpdater();
        EXPECT_FALSE(StandInCommandLine()) << "the installer ran";
        EXPECT_FALSE(ReadRegBool(kSettingsRoot, kSettingsKey, L"Updated", false, false));
        EXPECT_TRUE(DownloadFolders().empty()) << "the download was left behind";
    }

    ReleaseServer server_;
    test::TemporaryFolder folder_;
    std::wstring updater_;
    std::string installer_;
    std::string installerSha_;
    test::Process process_;
    HWND window_ = nullptr;
};

TEST_F(UpdaterRun, InstallsAVerifiedNewerReleaseSilentlyIntoItsFolder) {
    PublishRelease(GoodRelease());
    server_.PutFile(kInstallerName, installer_);
    const auto started = std::chrono::steady_clock::now();
    Start();
    ExpectOutcome(UpdateOutcome::Updated);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("the whole update against the loopback server took %.2f s\n", seconds);
    RecordProperty("whole_update_seconds", std::to_string(seconds));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window_, kStartButtonId))) << "no offer to start Velantrix";
    EXPECT_EQ(SendMessageW(GetDlgItem(window_, kProgressBarId), PBM_GETPOS, 0, 0), 1000);
    test::SaveWindowArtifact(window_, L"updater-updated-english.png");

    const std::optional<std::wstring> commandLine = StandInCommandLine();
    ASSERT_TRUE(commandLine) << "the installer did not run";
    std::wstring folder = folder_.Path();
    folder.pop_back();
    const std::wstring expectedTail = L" /S /LANGUAGE=english /D=" + folder;
    EXPECT_TRUE(commandLine->ends_with(expectedTail)) << Narrow(*commandLine);
    EXPECT_EQ(commandLine->find(std::wstring(L"VelantrixUpdate-")) == std::wstring::npos, false)
        << "not run from the download folder: " << Narrow(*commandLine);
    EXPECT_TRUE(ReadRegBool(kSettingsRoot, kSettingsKey, L"Updated", false, false));
    EXPECT_EQ(StandInNumber(L"Writable"), 0u) << "the installer could be changed while it ran";
    EXPECT_EQ(StandInNumber(L"Deletable"), 0u) << "the installer could be deleted while it ran";
    // Only the release folder was asked, in order, and the installer once.
    const std::vector<std::string> asked = server_.Asked();
    const std::vector<std::string> expected{std::string(kReleaseFolder) + "release.txt",
                                            std::string(kReleaseFolder) + "release.txt.sig",
                                            std::string(kReleaseFolder) + kInstallerName};
    EXPECT_EQ(asked, expected);
    CloseUpdater();
    EXPECT_TRUE(DownloadFolders().empty()) << "the download was left behind";
}

TEST_F(UpdaterRun, WholeLoopWithTheRealSetupProgram) {
    // The real setup program, announcing 3.12.7.2016 and signed as a release
    // is: the updater installs it into its own folder, and the next start of
    // Velantrix records the update. With one byte changed it is refused.
    const std::string setup = ReadBytes(test::WindowsPathFromEnvironment("VELANTRIX_NEXT_SETUP"));
    ASSERT_GT(setup.size(), 100000u) << "no setup program of the next version was built";
    PublishRelease(ReleaseText("velantrix", "3.12.7.2016", kInstallerName, setup.size(), Hex(*Sha256Of(setup))));
    server_.PutFile(kInstallerName, setup);
    // Velantrix as this build's setup program installs it, with the updater under test in place of its own.
    std::wstring folder = folder_.Path();
    folder.pop_back();
    test::Process install(test::WindowsPathFromEnvironment("VELANTRIX_SETUP"), L"/S /D=" + folder);
    ASSERT_EQ(install.WaitForExit(120s), 0u) << "the current version did not install";
    ASSERT_TRUE(test::FileExists(updater_));
    ASSERT_TRUE(test::CopyFileTo(test::WindowsPathFromEnvironment("VELANTRIX_UPDATER_TEST_EXE"), updater_));
    std::string changed = setup;
    changed[changed.size() / 2] ^= 0x01;
    server_.PutFile(kInstallerName, changed);
    Start();
    ExpectOutcome(UpdateOutcome::BadInstaller);
    CloseUpdater();
    EXPECT_TRUE(DownloadFolders().empty()) << "the changed setup program was left behind";

    server_.PutFile(kInstallerName, setup);
    const auto started = std::chrono::steady_clock::now();
    Start();
    ASSERT_TRUE(WaitForStatus(OutcomeText(Language::English, UpdateOutcome::Updated), 180s)) << Narrow(Status());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("the whole loop with the real setup program took %.2f s\n", seconds);
    RecordProperty("whole_loop_seconds", std::to_string(seconds));
    EXPECT_TRUE(test::FileExists(folder_.Path() + kProgramFileName));
    EXPECT_TRUE(ReadRegBool(kSettingsRoot, kSettingsKey, L"Updated", false, false));
    CloseUpdater();
    EXPECT_TRUE(DownloadFolders().empty());

    test::Process program(folder_.Path() + kProgramFileName, L"");
    HWND mainWindow = nullptr;
    ASSERT_TRUE(test::WaitUntil(
        [&] { return (mainWindow = test::FindProcessWindow(program.Id(), kMainFormClass)) != nullptr; }, 60s));
    EXPECT_FALSE(ReadRegBool(kSettingsRoot, kSettingsKey, L"Updated", false, false));
    const std::wstring updatedDate = ReadRegString(kSettingsRoot, kSettingsKey, L"UpdatedDate", L"", false);
    EXPECT_FALSE(updatedDate.empty()) << "the next start recorded no update";
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(30s));
    // Removed in place (not from a copy of the uninstaller), so that the wait covers it.
    test::Process uninstall(folder_.Path() + L"Uninstall.exe", L"/S _?=" + folder);
    EXPECT_TRUE(uninstall.WaitForExit(120s));
}

TEST_F(UpdaterRun, SpeaksKoreanWhenTheProgramDoes) {
    WriteRegString(kSettingsRoot, kSettingsKey, L"Language", L"Korean", false);
    PublishRelease(GoodRelease());
    server_.PutFile(kInstallerName, installer_);
    Start();
    EXPECT_EQ(test::WindowText(window_), Text(Language::Korean, UiText::Title));
    ExpectOutcome(UpdateOutcome::Updated, Language::Korean);
    test::SaveWindowArtifact(window_, L"updater-updated-korean.png");
    const std::optional<std::wstring> commandLine = StandInCommandLine();
    ASSERT_TRUE(commandLine);
    EXPECT_NE(commandLine->find(L" /S /LANGUAGE=korean /D="), std::wstring::npos) << Narrow(*commandLine);
    CloseUpdater();
}

// At 150 % the window and every control are the layout's times 1.5, in the message font at that dpi.
TEST_F(UpdaterRun, AtOneFortyFourDpiTheWindowIsItsLayoutAtThatScale) {
    const test::PrefixDpi dpi(144);
    PublishRelease(GoodRelease());
    server_.PutFile(kInstallerName, installer_);
    Start();
    ExpectOutcome(UpdateOutcome::Updated);
    RECT client{};
    GetClientRect(window_, &client);
    EXPECT_EQ(client.right, 690);
    EXPECT_EQ(client.bottom, 225);
    const struct {
        int id;
        RECT layout;
    } lines[] = {{kStatusLabelId, {14, 14, 446, 62}},
                 {kProgressBarId, {14, 70, 446, 88}},
                 {kCloseButtonId, {326, 108, 446, 136}},
                 {kStartButtonId, {198, 108, 318, 136}}};
    for (const auto& line : lines) {
        SCOPED_TRACE(line.id);
        RECT place{};
        GetWindowRect(GetDlgItem(window_, line.id), &place);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, MulDiv(line.layout.left, 144, 96));
        EXPECT_EQ(place.top, MulDiv(line.layout.top, 144, 96));
        EXPECT_EQ(place.right, MulDiv(line.layout.right, 144, 96));
        EXPECT_EQ(place.bottom, MulDiv(line.layout.bottom, 144, 96));
    }
    test::SaveWindowArtifact(window_, L"updater-updated-english-144-dpi.png");
    CloseUpdater();
}

TEST_F(UpdaterRun, AFailingInstallerIsReportedAndItsDownloadRemoved) {
    SetStandInExitCode(2);
    PublishRelease(GoodRelease());
    server_.PutFile(kInstallerName, installer_);
    Start();
    ExpectOutcome(UpdateOutcome::InstallFailed);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window_, kStartButtonId)));
    test::SaveWindowArtifact(window_, L"updater-install-failed-english.png");
    EXPECT_TRUE(StandInCommandLine()) << "the installer did not run";
    CloseUpdater();
    EXPECT_TRUE(DownloadFolders().empty());
}

TEST_F(UpdaterRun, RefusesAnInstallerThatDiffersByOneByte) {
    std::string changed = installer_;
    changed[changed.size() / 2] ^= 0x01;
    PublishRelease(GoodRelease());
    server_.PutFile(kInstallerName, changed);
    Start();
    ExpectOutcome(UpdateOutcome::BadInstaller);
    test::SaveWindowArtifact(window_, L"updater-bad-installer-english.png");
    EXPECT_TRUE(server_.WasAsked(kInstallerName));
    ExpectNothingChanged();
}

TEST_F(UpdaterRun, RefusesReleaseInformationWithABadSignature) {
    const std::string good = GoodRelease();
    std::string changed = good;
    changed[changed.find("2016")] = '3'; // version 3.12.7.3016
    struct Case {
        const char* name;
        std::string text;
        std::string signature;
    };
    const std::string signature = Sign(good, L"release");
    ASSERT_EQ(signature.size(), kSignatureSize);
    const Case cases[] = {
        {"one byte of the manifest changed", changed, signature},
        {"signed with another key", good, Sign(good, L"other")},
        {"truncated signature", good, signature.substr(0, 255)},
        {"empty signature", good, ""},
        {"signature one byte long", good, signature + "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server_.PutFile("release.txt", c.text);
        server_.PutFile("release.txt.sig", c.signature);
        server_.PutFile(kInstallerName, installer_);
        Start();
        ExpectOutcome(UpdateOutcome::BadSignature);
        if (std::string(c.name) == "signed with another key")
            test::SaveWindowArtifact(window_, L"updater-bad-signature-english.png");
        EXPECT_FALSE(server_.WasAsked(kInstallerName)) << "an unverified manifest was followed";
        ExpectNothingChanged();
    }
}

TEST_F(UpdaterRun, RefusesSignedReleasesThatAreNotANewerVelantrix) {
    struct Case {
        const char* name;
        std::string text;
        UpdateOutcome outcome;
    };
    const std::uint64_t size = installer_.size();
    const Case cases[] = {
        {"another product", ReleaseText("tolvenclean", "3.12.7.2016", kInstallerName, size, installerSha_),
         UpdateOutcome::WrongProduct},
        {"the same version", ReleaseText("velantrix", VX_VERSION_STRING, kInstallerName, size, installerSha_),
         UpdateOutcome::UpToDate},
        {"an older version", ReleaseText("velantrix", "3.12.7.2014", kInstallerName, size, installerSha_),
         UpdateOutcome::UpToDate},
        {"an older major version", ReleaseText("velantrix", "2.99.99.9999", kInstallerName, size, installerSha_),
         UpdateOutcome::UpToDate},
        {"a file in another folder", ReleaseText("velantrix", "3.12.7.2016", "../setup.exe", size, installerSha_),
         UpdateOutcome::BadFileName},
        {"a file on another host",
         ReleaseText("velantrix", "3.12.7.2016", "http://evil.example/setup.exe", size, installerSha_),
         UpdateOutcome::BadFileName},
        {"a Windows path", ReleaseText("velantrix", "3.12.7.2016", "C:\\setup.exe", size, installerSha_),
         UpdateOutcome::BadFileName},
        {"no size", "product=velantrix\nversion=3.12.7.2016\n" + std::string(kBuild) + "=" + kInstallerName + "\n",
         UpdateOutcome::BadManifest},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PublishRelease(c.text);
        server_.PutFile(kInstallerName, installer_);
        Start();
        ExpectOutcome(c.outcome);
        if (c.outcome == UpdateOutcome::UpToDate) test::SaveWindowArtifact(window_, L"updater-up-to-date-english.png");
        EXPECT_FALSE(server_.WasAsked(kInstallerName));
        for (const std::string& asked : server_.Asked())
            EXPECT_EQ(asked.rfind(kReleaseFolder, 0), 0u) << "asked outside the release folder: " << asked;
        ExpectNothingChanged();
    }
}

TEST_F(UpdaterRun, AcceptsTheSignatureOfTheReleaseScript) {
    // scripts/release.sh signed this version's release information with the
    // throwaway key: the updater verifies it, reads it, and finds nothing newer.
    const std::wstring dist = test::WindowsPathFromEnvironment("VELANTRIX_TEST_KEYS") + L"\\dist\\";
    const std::string text = ReadBytes(dist + L"release.txt");
    ASSERT_NE(text.find("version=" VX_VERSION_STRING "\n"), std::string::npos) << text;
    server_.PutFile("release.txt", text);
    server_.PutFile("release.txt.sig", ReadBytes(dist + L"release.txt.sig"));
    Start();
    ExpectOutcome(UpdateOutcome::UpToDate);
    ExpectNothingChanged();
    // The same text signed by the other key is refused.
    server_.PutFile("release.txt.sig", Sign(text, L"other"));
    Start();
    ExpectOutcome(UpdateOutcome::BadSignature);
    ExpectNothingChanged();
}

TEST_F(UpdaterRun, StopsAnInstallerLongerThanItsSizeAtOneByteMore) {
    // Far more than the announced size: the updater reads one byte past it and hangs up.
    std::string longer = installer_ + std::string(32 * 1024 * 1024, 'x');
    PublishRelease(GoodRelease());
    server_.PutFile(kInstallerName, longer);
    Start();
    ExpectOutcome(UpdateOutcome::TooLarge);
    EXPECT_LT(server_.BytesSent(), longer.size()) << "the whole body was taken";
    ExpectNothingChanged();
}

TEST_F(UpdaterRun, EndsItsWaitForASilentServerWithinItsBound) {
    server_.Put("release.txt", {"", true, 0});
    const auto started = std::chrono::steady_clock::now();
    Start(2000);
    ExpectOutcome(UpdateOutcome::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);
    test::SaveWindowArtifact(window_, L"updater-timed-out-english.png");
    ExpectNothingChanged();
}

TEST_F(UpdaterRun, ReportsErrorAnswersOfTheServer) {
    struct Case {
        const char* name;
        const char* file;
        const char* status;
    };
    const Case cases[] = {{"manifest 404", "release.txt", "404 Not Found"},
                          {"manifest 500", "release.txt", "500 Internal Server Error"},
                          {"signature 404", "release.txt.sig", "404 Not Found"},
                          {"installer 500", kInstallerName, "500 Internal Server Error"},
                          {"manifest redirected", "release.txt", "302 Found"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PublishRelease(GoodRelease());
        server_.PutFile(kInstallerName, installer_);
        server_.Put(c.file, {test::Response(c.status, "error", "Location: http://127.0.0.1:1/x\r\n"), false, 0});
        Start();
        ExpectOutcome(UpdateOutcome::ServerError);
        ExpectNothingChanged();
    }
    // No server at all.
    server_.Stop();
    process_ = test::Process(updater_, L"/server=127.0.0.1:" + std::to_wstring(test::UnusedLoopbackPort()));
    ASSERT_TRUE(test::WaitUntil(
        [&] { return (window_ = test::FindProcessWindow(process_.Id(), kUpdaterFormClass)) != nullptr; }, 30s));
    ExpectOutcome(UpdateOutcome::NoConnection);
    test::SaveWindowArtifact(window_, L"updater-no-connection-english.png");
    ExpectNothingChanged();
}

TEST_F(UpdaterRun, TheShippedUpdaterTakesNoServerFromItsCommandLine) {
    PublishRelease(GoodRelease());
    server_.PutFile(kInstallerName, installer_);
    ASSERT_TRUE(test::CopyFileTo(test::WindowsPathFromEnvironment("VELANTRIX_UPDATER_EXE"), updater_));
    Start();
    // This sandbox reaches no vendor server (no name, or no answer within the
    // shipped bound): it ends there, never here.
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            return Status() == OutcomeText(Language::English, UpdateOutcome::NoConnection) ||
                   Status() == OutcomeText(Language::English, UpdateOutcome::TimedOut);
        },
        120s))
        << Narrow(Status());
    EXPECT_TRUE(server_.Asked().empty()) << "the shipped updater followed a command-line switch";
    ExpectNothingChanged();
}

TEST_F(UpdaterRun, CancelDuringTheDownloadRemovesItAndRunsNothing) {
    for (const Language language : {Language::English, Language::Korean}) {
        SCOPED_TRACE(language == Language::Korean ? "Korean" : "English");
        WriteRegString(kSettingsRoot, kSettingsKey, L"Language", language == Language::Korean ? L"korean" : L"english",
                       false);
        // A download long enough (several seconds) that Cancel finds it under way.
        const std::string padded = installer_ + std::string(2 * 1024 * 1024, '\0');
        PublishRelease(ReleaseText("velantrix", "3.12.7.2016", kInstallerName, padded.size(), Hex(*Sha256Of(padded))));
        server_.Put(kInstallerName, {test::Response("200 OK", padded), false, 16 * 1024});
        Start();
        const HWND bar = GetDlgItem(window_, kProgressBarId);
        ASSERT_TRUE(test::WaitUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) > 0; }, 30s))
            << "no progress shown; status: " << Narrow(Status());
        EXPECT_EQ(Status(), StepText(language, UpdateStep::Downloading));
        EXPECT_EQ(test::WindowText(GetDlgItem(window_, kCloseButtonId)), Text(language, UiText::Cancel));
        test::SaveWindowArtifact(window_, language == Language::Korean ? L"updater-progress-korean.png"
                                                                       : L"updater-progress-english.png");
        PostMessageW(window_, WM_COMMAND, MAKEWPARAM(kCloseButtonId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window_, kCloseButtonId)));
        ExpectOutcome(UpdateOutcome::Cancelled, language);
        if (language == Language::Korean) test::SaveWindowArtifact(window_, L"updater-cancelled-korean.png");
        ExpectNothingChanged();
    }
}

TEST(ReleaseSignature, VerifiesOnlyWithTheKeyAndSaysWhenItCannot) {
    const std::string der = ReadBytes(test::WindowsPathFromEnvironment("VELANTRIX_TEST_KEYS") + L"\\release.der");
    ASSERT_FALSE(der.empty());
    const std::span<const std::uint8_t> key(reinterpret_cast<const std::uint8_t*>(der.data()), der.size());
    const auto bytes = [](const std::string& text) {
        return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    };
    const std::string message = "product=velantrix\n";
    const std::string signature = Sign(message, L"release");
    EXPECT_EQ(VerifySignature(message, bytes(signature), key), SignatureCheck::Valid);
    EXPECT_EQ(VerifySignature(message + " ", bytes(signature), key), SignatureCheck::Invalid);
    EXPECT_EQ(VerifySignature(message, bytes(Sign(message, L"other")), key), SignatureCheck::Invalid);
    EXPECT_EQ(VerifySignature(message, bytes(signature.substr(1)), key), SignatureCheck::Invalid);
    // A key this system cannot read: it says so, and never counts the signature as good.
    const std::string broken = der.substr(0, der.size() / 2);
    EXPECT_EQ(VerifySignature(message, bytes(signature), bytes(broken)), SignatureCheck::CannotVerify);
}

TEST(UpdaterProgram, AsksForAdministratorRightsForItsOwnArchitecture) {
    for (const char* variable : {"VELANTRIX_UPDATER_EXE", "VELANTRIX_UPDATER_TEST_EXE"}) {
        SCOPED_TRACE(variable);
        const std::wstring path = test::WindowsPathFromEnvironment(variable);
        const HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr);
        const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
        ASSERT_NE(resource, nullptr);
        const char* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
        const std::string manifest(data, SizeofResource(module, resource));
        EXPECT_NE(manifest.find(R"(level="requireAdministrator")"), std::string::npos);
        EXPECT_NE(
            manifest.find(sizeof(void*) == 8 ? R"(processorArchitecture="amd64")" : R"(processorArchitecture="x86")"),
            std::string::npos);
        FreeLibrary(module);
    }
}

TEST(ReleaseManifest, ReadsOnlyWellFormedFieldsOfItsBuild) {
    const std::string sha(64, 'a');
    const ManifestReading good = ReadReleaseManifest(
        "product=velantrix\r\nversion=3.12.7.2016\r\nx86=a.exe\r\nx86-size=10\r\nx86-sha256=" + sha +
            "\r\nx64=b.exe\r\nx64-size=20\r\nx64-sha256=" + std::string(64, 'B') + "\r\n",
        "x64");
    ASSERT_EQ(good.problem, ManifestProblem::None);
    EXPECT_EQ(good.manifest.installer.fileName, "b.exe");
    EXPECT_EQ(good.manifest.installer.size, 20u);
    EXPECT_EQ(good.manifest.installer.sha256[0], 0xBB);
    EXPECT_EQ(good.manifest.version, (VersionNumber{3, 12, 7, 2016}));

    const std::string base = "product=velantrix\nversion=3.12.7.2016\nx86-size=10\nx86-sha256=" + sha + "\n";
    EXPECT_EQ(ReadReleaseManifest(base + "x86=a.exe\nx86=b.exe\n", "x86").problem, ManifestProblem::Malformed)
        << "a field given twice";
    EXPECT_EQ(ReadReleaseManifest(base + "x86=a.exe\n", "x64").problem, ManifestProblem::Malformed)
        << "no installer of the build";
    EXPECT_EQ(ReadReleaseManifest(base + "x86=..\n", "x86").problem, ManifestProblem::BadFileName);
    EXPECT_EQ(ReadReleaseManifest(base + "x86=a b.exe\n", "x86").problem, ManifestProblem::BadFileName);
    EXPECT_EQ(ReadReleaseManifest(base + "x86=a.exe\nx86-size=-1\n", "x86").problem, ManifestProblem::Malformed);
    for (const char* version : {"3.12.7", "3.12.7.2016.1", "3.12.7.x", "3..7.2016", "3.12.7.99999999999", ""})
        EXPECT_FALSE(ParseVersion(version)) << version;
    EXPECT_EQ(ParseVersion("10.0.0.1"), (VersionNumber{10, 0, 0, 1}));
}

} // namespace
} // namespace vx
