// The public half of the release key, built into the updater (DER
// SubjectPublicKeyInfo). The build writes its definition from the key file
// it is given; the private half never comes near the build.
#pragma once

#include <cstdint>
#include <span>

namespace vx::updater {

std::span<const std::uint8_t> ReleasePublicKey() noexcept;

} // namespace vx::updater
