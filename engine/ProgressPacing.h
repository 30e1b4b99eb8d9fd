// How long a progress step lasts: a random number of passes of message
// processing, with the step text's three dots drawn after fixed passes, each
// frame held by a sleep. Every number of the pacing lives here.
#pragma once

#include <windows.h>

#include <array>
#include <functional>

namespace vx {

struct ProgressPacing {
    int minimumPasses;              // a step runs at least this many passes
    int passLimit;                  // and fewer than this
    std::array<int, 3> framePasses; // the passes after which ".", ".." and "..." appear
    DWORD frameSleepMilliseconds;   // how long each frame stays with no message processing
};

// The program as it ships: 1.5 s of sleeping plus one to three million passes per step.
inline constexpr ProgressPacing kProductionPacing{1'000'000, 3'000'000, {20'000, 50'000, 150'000}, 500};

// The quick build used by end-to-end tests: every pass count divided by 1,000, every sleep by 100.
inline constexpr int kQuickPassDivisor = 1'000;
inline constexpr DWORD kQuickSleepDivisor = 100;
constexpr ProgressPacing QuickProgressPacing(const ProgressPacing& pacing) noexcept {
    return {pacing.minimumPasses / kQuickPassDivisor,
            pacing.passLimit / kQuickPassDivisor,
            {pacing.framePasses[0] / kQuickPassDivisor, pacing.framePasses[1] / kQuickPassDivisor,
             pacing.framePasses[2] / kQuickPassDivisor},
            pacing.frameSleepMilliseconds / kQuickSleepDivisor};
}

// The pacing this program was built with: production, or quick when built with VELANTRIX_QUICK_STEPS.
const ProgressPacing& ProgramPacing() noexcept;

// A number of passes drawn uniformly from [minimumPasses, passLimit), from a
// generator seeded afresh from the clock. Throws std::invalid_argument for an empty range.
int DrawPassCount(const ProgressPacing& pacing);

// Runs `passCount` passes: each pass calls `pass`, then counts itself; right
// after the pass numbered framePasses[i], `frame(i)` runs.
void PlayPasses(int passCount, const ProgressPacing& pacing, const std::function<void()>& pass,
                const std::function<void(int frame)>& frame);

} // namespace vx
