// The cursor of links and picture buttons: the system's own hand.
#pragma once

#include <windows.h>

namespace vx::ui {

// Makes the system's hand cursor the toolkit's hand-point cursor for the rest
// of the process. Run once during process initialisation; a failure leaves
// the fallback in place.
void InstallNativeHandCursor() noexcept;

// The cursor for controls that show the hand: the system's hand once it is
// installed, the standard arrow before that or when Windows has no hand
// cursor, so that a control never ends up with no cursor at all.
HCURSOR HandPointCursor() noexcept;

} // namespace vx::ui
