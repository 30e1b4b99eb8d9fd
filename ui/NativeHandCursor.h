// The cursor of links and picture buttons: the system's own hand.
#pragma once

namespace vx::ui {

// Makes the system's hand cursor the toolkit's hand-point cursor for the rest
// of the process. Run once during process initialisation; a failure leaves
// the toolkit's fallback (the arrow) in place.
void InstallNativeHandCursor() noexcept;

} // namespace vx::ui
