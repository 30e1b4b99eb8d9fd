#include "updater/ReleaseManifest.h"

#include <algorithm>
#include <charconv>
#include <map>

namespace vx::updater {

namespace {

template <typename Number> std::optional<Number> ParseDecimal(std::string_view text) {
    Number value{};
    if (text.empty() || text.size() > 19) return std::nullopt;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

int HexDigit(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<Sha256Digest> ParseDigest(std::string_view text) {
    Sha256Digest digest{};
    if (text.size() != digest.size() * 2) return std::nullopt;
    for (std::size_t i = 0; i < digest.size(); ++i) {
        const int high = HexDigit(text[2 * i]);
        const int low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        digest[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return digest;
}

// Lines end in "\n" or "\r\n"; a key given twice makes the whole text
// ambiguous, so it is refused rather than one of them chosen.
std::optional<std::map<std::string, std::string, std::less<>>> SplitFields(std::string_view text) {
    std::map<std::string, std::string, std::less<>> fields;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0) return std::nullopt;
        if (!fields.emplace(std::string(line.substr(0, equals)), std::string(line.substr(equals + 1))).second)
            return std::nullopt;
    }
    return fields;
}

} // namespace

std::optional<VersionNumber> ParseVersion(std::string_view text) {
    VersionNumber version{};
    for (std::size_t part = 0; part < version.size(); ++part) {
        const std::size_t dot = text.find('.');
        const bool last = part + 1 == version.size();
        if (last != (dot == std::string_view::npos)) return std::nullopt;
        const std::optional<std::uint32_t> number = ParseDecimal<std::uint32_t>(text.substr(0, dot));
        if (!number || text.substr(0, dot).size() > 9) return std::nullopt;
        version[part] = *number;
        text = last ? std::string_view() : text.substr(dot + 1);
    }
    return version;
}

bool IsBareFileName(std::string_view name) noexcept {
    if (name.empty() || name.size() > 100) return false;
    const auto allowed = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
               c == '_';
    };
    if (!std::all_of(name.begin(), name.end(), allowed)) return false;
    return !std::all_of(name.begin(), name.end(), [](char c) { return c == '.'; });
}

ManifestReading ReadReleaseManifest(std::string_view text, std::string_view build) {
    ManifestReading reading;
    const auto fields = SplitFields(text);
    if (!fields) return reading;
    const auto field = [&](std::string_view key) -> std::optional<std::string_view> {
        const auto found = fields->find(key);
        if (found == fields->end()) return std::nullopt;
        return std::string_view(found->second);
    };
    const std::string prefix(build);
    const auto product = field("product");
    const auto version = field("version");
    const auto file = field(prefix);
    const auto size = field(prefix + "-size");
    const auto digest = field(prefix + "-sha256");
    if (!product || !version || !file || !size || !digest) return reading;
    reading.manifest.product = std::string(*product);
    if (*product != kProductName) {
        reading.problem = ManifestProblem::WrongProduct;
        return reading;
    }
    const auto versionNumber = ParseVersion(*version);
    const auto sizeNumber = ParseDecimal<std::uint64_t>(*size);
    const auto digestBytes = ParseDigest(*digest);
    if (!versionNumber || !sizeNumber || *sizeNumber == 0 || !digestBytes) return reading;
    if (!IsBareFileName(*file)) {
        reading.problem = ManifestProblem::BadFileName;
        return reading;
    }
    reading.manifest.version = *versionNumber;
    reading.manifest.installer = {std::string(*file), *sizeNumber, *digestBytes};
    reading.problem = ManifestProblem::None;
    return reading;
}

} // namespace vx::updater
