#include "ui/Sound.h"

#include <windows.h>

#include <mmsystem.h>

namespace vx::ui {

void PlayClickSound() noexcept {
    // SND_RESOURCE without SND_ASYNC: synchronous, from the program's own WAVE resource.
    PlaySoundW(L"click", GetModuleHandleW(nullptr), SND_RESOURCE);
}

} // namespace vx::ui
