#include "ui/Sound.h"

#include "core/SystemLibrary.h"

#include <windows.h>

#include <mmsystem.h>

namespace vx::ui {

void PlayClickSound() noexcept {
    static SystemLibrary multimedia(L"winmm.dll");
    const auto playSound = multimedia.Find<decltype(&::PlaySoundW)>("PlaySoundW");
    if (!playSound) return;
    // SND_RESOURCE without SND_ASYNC: synchronous, from the program's own WAVE resource.
    playSound(L"click", GetModuleHandleW(nullptr), SND_RESOURCE);
}

} // namespace vx::ui
