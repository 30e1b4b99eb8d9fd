// The release manifest the updater fetches: "key=value" lines naming the
// product, the newest version and, per build, the installer's file name, size
// and SHA-256. It is read only after its signature has been checked.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vx::updater {

using Sha256Digest = std::array<std::uint8_t, 32>;
using VersionNumber = std::array<std::uint32_t, 4>;

struct ReleaseInstaller {
    std::string fileName;
    std::uint64_t size = 0;
    Sha256Digest sha256{};
};

struct ReleaseManifest {
    std::string product;
    VersionNumber version{};
    ReleaseInstaller installer; // of the build asked for
};

enum class ManifestProblem { None, Malformed, WrongProduct, BadFileName };

struct ManifestReading {
    ManifestProblem problem = ManifestProblem::Malformed;
    ReleaseManifest manifest;
};

inline constexpr std::string_view kProductName = "velantrix";
// The manifest is small; anything longer is not ours.
inline constexpr std::size_t kManifestLimit = 4096;

// Reads the manifest for one build ("x86" or "x64"). Every field of that build
// must be present exactly once and well formed.
ManifestReading ReadReleaseManifest(std::string_view text, std::string_view build);

std::optional<VersionNumber> ParseVersion(std::string_view text);
// A name in the same folder of the server: letters, digits, '.', '-', '_'
// and no name made of dots alone.
bool IsBareFileName(std::string_view name) noexcept;

} // namespace vx::updater
