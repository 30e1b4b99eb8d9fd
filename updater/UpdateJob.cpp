#include "updater/UpdateJob.h"

#include "core/Handles.h"
#include "core/Ticks.h"
#include "core/Version.h"
#include "updater/ReleaseManifest.h"
#include "updater/Signature.h"

#include <sddl.h>

#include <optional>
#include <string_view>

namespace vx::updater {

namespace {

constexpr char kManifestName[] = "release.txt";
constexpr char kSignatureName[] = "release.txt.sig";
constexpr VersionNumber kOwnVersion{VX_VERSION_MAJOR, VX_VERSION_MINOR, VX_VERSION_RELEASE, VX_VERSION_BUILD};
// Full control for the administrators and the system, nothing for anyone
// else, and nothing inherited from the temporary folder above it.
constexpr wchar_t kAdminsOnly[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

UpdateOutcome FromFetch(FetchResult result) noexcept {
    switch (result) {
    case FetchResult::Ok:
        return UpdateOutcome::Updated;
    case FetchResult::NoConnection:
        return UpdateOutcome::NoConnection;
    case FetchResult::TimedOut:
        return UpdateOutcome::TimedOut;
    case FetchResult::HttpError:
        return UpdateOutcome::ServerError;
    case FetchResult::TooLarge:
        return UpdateOutcome::TooLarge;
    case FetchResult::Cancelled:
        return UpdateOutcome::Cancelled;
    case FetchResult::WriteFailed:
        return UpdateOutcome::CannotSave;
    case FetchResult::Broken:
        break;
    }
    return UpdateOutcome::NoConnection;
}

std::wstring Widen(std::string_view text) {
    return std::wstring(text.begin(), text.end());
}

// A new folder under the temporary folder that only administrators can
// write, holding the one downloaded installer. Leaving the scope removes
// both, whatever happened.
class DownloadFolder {
public:
    DownloadFolder() = default;
    DownloadFolder(const DownloadFolder&) = delete;
    DownloadFolder& operator=(const DownloadFolder&) = delete;
    ~DownloadFolder() {
        file_.reset();
        if (!filePath_.empty()) DeleteFileW(filePath_.c_str());
        if (!folder_.empty()) RemoveDirectoryW(folder_.c_str());
    }

    bool Create() {
        wchar_t temp[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        if (length == 0 || length > MAX_PATH) return false;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminsOnly, SDDL_REVISION_1, &descriptor, nullptr))
            return false;
        const UniqueHandle<NullHandleTraits<HLOCAL, &LocalFree>> owned(descriptor);
        SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
        // A name someone made beforehand is never used: the folder must be new.
        for (int attempt = 0; attempt < 16; ++attempt) {
            const std::wstring folder = std::wstring(temp, length) + L"VelantrixUpdate-" +
                                        std::to_wstring(GetCurrentProcessId()) + L"-" +
                                        std::to_wstring(TickNow() + static_cast<DWORD>(attempt));
            if (CreateDirectoryW(folder.c_str(), &attributes)) {
                folder_ = folder;
                return true;
            }
        }
        return false;
    }

    // Opens the new file for the download; nobody else may open it meanwhile.
    bool OpenForWriting(std::string_view fileName) {
        filePath_ = folder_ + L"\\" + Widen(fileName);
        file_.reset(
            CreateFileW(filePath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_.get() == INVALID_HANDLE_VALUE) {
            file_.release();
            filePath_.clear();
            return false;
        }
        return true;
    }

    bool Write(const char* bytes, std::size_t size) noexcept {
        DWORD written = 0;
        return WriteFile(file_.get(), bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
    }

    // Swaps the writing handle for one that reads and lets others only read:
    // from here until the installer has ended, no one writes or deletes the
    // file. The folder's rights cover the moment between the two.
    bool HoldForReading() {
        file_.reset();
        file_.reset(CreateFileW(filePath_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_.get() == INVALID_HANDLE_VALUE) {
            file_.release();
            return false;
        }
        return true;
    }

    HANDLE File() const noexcept { return file_.get(); }
    const std::wstring& FilePath() const noexcept { return filePath_; }

private:
    std::wstring folder_;
    std::wstring filePath_;
    UniqueKernelHandle file_;
};

bool MatchesManifest(HANDLE file, const ReleaseInstaller& installer) noexcept {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || static_cast<std::uint64_t>(size.QuadPart) != installer.size) return false;
    const std::optional<Sha256Digest> digest = FileSha256(file);
    return digest && *digest == installer.sha256;
}

// Runs the installer silently into the installed folder; its exit code, or
// nothing when it could not be started.
std::optional<DWORD> RunInstaller(const std::wstring& path, const UpdateJobSettings& settings) {
    // NSIS takes /D= last and unquoted, spaces and all.
    std::wstring commandLine =
        L"\"" + path + L"\" /S /LANGUAGE=" + settings.language + L" /D=" + settings.installFolder;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return std::nullopt;
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD exitCode = 1;
    if (!GetExitCodeProcess(process.get(), &exitCode)) return std::nullopt;
    return exitCode;
}

struct VerifiedManifest {
    UpdateOutcome outcome = UpdateOutcome::BadManifest;
    ReleaseManifest manifest;
};

VerifiedManifest FetchVerifiedManifest(const UpdateJobSettings& settings, const UpdateJobEvents& events,
                                       const std::atomic<bool>& cancel) {
    events.step(UpdateStep::Checking);
    std::string text;
    if (const FetchResult got = FetchSmall(settings.server, kManifestName, kManifestLimit, text, cancel);
        got != FetchResult::Ok)
        return {got == FetchResult::TooLarge ? UpdateOutcome::BadManifest : FromFetch(got), {}};
    std::string signature;
    if (const FetchResult got = FetchSmall(settings.server, kSignatureName, kSignatureSize, signature, cancel);
        got != FetchResult::Ok)
        return {got == FetchResult::TooLarge ? UpdateOutcome::BadSignature : FromFetch(got), {}};

    events.step(UpdateStep::Verifying);
    // Not one byte of the manifest is read before its signature holds.
    const std::span<const std::uint8_t> signatureBytes(reinterpret_cast<const std::uint8_t*>(signature.data()),
                                                       signature.size());
    switch (VerifySignature(text, signatureBytes, settings.releaseKey)) {
    case SignatureCheck::Valid:
        break;
    case SignatureCheck::Invalid:
        return {UpdateOutcome::BadSignature, {}};
    case SignatureCheck::CannotVerify:
        return {UpdateOutcome::CannotVerify, {}};
    }
    const std::string build(settings.build.begin(), settings.build.end());
    const ManifestReading reading = ReadReleaseManifest(text, build);
    switch (reading.problem) {
    case ManifestProblem::None:
        break;
    case ManifestProblem::Malformed:
        return {UpdateOutcome::BadManifest, {}};
    case ManifestProblem::WrongProduct:
        return {UpdateOutcome::WrongProduct, {}};
    case ManifestProblem::BadFileName:
        return {UpdateOutcome::BadFileName, {}};
    }
    // Only a newer version: never the same one again, never an older one.
    if (!(reading.manifest.version > kOwnVersion)) return {UpdateOutcome::UpToDate, {}};
    return {UpdateOutcome::Updated, reading.manifest};
}

UpdateOutcome DownloadAndInstall(const UpdateJobSettings& settings, const ReleaseInstaller& installer,
                                 const UpdateJobEvents& events, const std::atomic<bool>& cancel) {
    events.step(UpdateStep::Downloading);
    DownloadFolder folder;
    if (!folder.Create() || !folder.OpenForWriting(installer.fileName)) return UpdateOutcome::CannotSave;
    const FetchSink write = [&folder](const char* bytes, std::size_t size) { return folder.Write(bytes, size); };
    const FetchProgress progress = [&](std::uint64_t received) { events.progress(received, installer.size); };
    if (const FetchResult got = Fetch(settings.server, installer.fileName, installer.size, write, progress, cancel);
        got != FetchResult::Ok)
        return FromFetch(got);
    if (cancel) return UpdateOutcome::Cancelled;

    events.step(UpdateStep::CheckingInstaller);
    if (!folder.HoldForReading()) return UpdateOutcome::CannotSave;
    if (!MatchesManifest(folder.File(), installer)) return UpdateOutcome::BadInstaller;
    if (cancel) return UpdateOutcome::Cancelled;

    events.step(UpdateStep::Installing);
    const std::optional<DWORD> exitCode = RunInstaller(folder.FilePath(), settings);
    return exitCode && *exitCode == 0 ? UpdateOutcome::Updated : UpdateOutcome::InstallFailed;
}

} // namespace

UpdateOutcome RunUpdateJob(const UpdateJobSettings& settings, const UpdateJobEvents& events,
                           const std::atomic<bool>& cancel) noexcept {
    try {
        const VerifiedManifest verified = FetchVerifiedManifest(settings, events, cancel);
        if (verified.outcome != UpdateOutcome::Updated) return verified.outcome;
        return DownloadAndInstall(settings, verified.manifest.installer, events, cancel);
    } catch (...) {
        return UpdateOutcome::CannotSave;
    }
}

} // namespace vx::updater
