// The updater's work, step by step, on a thread of its own: fetch and verify
// the release manifest, download and check the installer into a folder only
// administrators can write, run it silently and wait for it. Every way out
// removes what was downloaded; nothing unverified is ever run.
#pragma once

#include "updater/Download.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace vx::updater {

enum class UpdateStep { Checking, Verifying, Downloading, CheckingInstaller, Installing };

enum class UpdateOutcome {
    Updated,
    UpToDate,
    NoConnection,
    TimedOut,
    ServerError,
    BadSignature,
    CannotVerify,
    BadManifest,
    WrongProduct,
    BadFileName,
    TooLarge,
    BadInstaller,
    CannotSave,
    InstallFailed,
    Cancelled,
};

struct UpdateJobSettings {
    ReleaseServer server;
    std::span<const std::uint8_t> releaseKey; // DER public key
    std::wstring build;                       // "x86" or "x64"
    std::wstring installFolder;               // where Velantrix is installed, no trailing delimiter
    std::wstring language;                    // "english" or "korean", handed to the installer
};

struct UpdateJobEvents {
    std::function<void(UpdateStep)> step;
    std::function<void(std::uint64_t received, std::uint64_t total)> progress;
};

UpdateOutcome RunUpdateJob(const UpdateJobSettings& settings, const UpdateJobEvents& events,
                           const std::atomic<bool>& cancel) noexcept;

} // namespace vx::updater
