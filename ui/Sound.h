// The click that buttons and links play before they act.
#pragma once

namespace vx::ui {

// Plays the program's CLICK sound and returns when it has finished, so that
// the caller's action starts after the click. Without a sound device or the
// resource it is silent; it never fails to its caller.
void PlayClickSound() noexcept;

} // namespace vx::ui
