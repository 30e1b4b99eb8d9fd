// Compiled once per build of the program: the production program and the
// quick one differ in this unit only.
#include "engine/ProgressPacing.h"

namespace vx {

const ProgressPacing& ProgramPacing() noexcept {
#ifdef VELANTRIX_QUICK_STEPS
    static constexpr ProgressPacing pacing = QuickProgressPacing(kProductionPacing);
#else
    static constexpr ProgressPacing pacing = kProductionPacing;
#endif
    return pacing;
}

} // namespace vx
