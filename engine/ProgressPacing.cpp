#include "engine/ProgressPacing.h"

#include <chrono>
#include <random>
#include <stdexcept>

namespace vx {

int DrawPassCount(const ProgressPacing& pacing) {
    if (pacing.minimumPasses < 1 || pacing.passLimit <= pacing.minimumPasses)
        throw std::invalid_argument("no pass count to draw from");
    // The performance counter changes between any two calls; the wall clock adds what differs between runs.
    const auto counter = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    const auto wall = static_cast<unsigned long long>(std::chrono::system_clock::now().time_since_epoch().count());
    std::seed_seq seed{static_cast<unsigned>(counter), static_cast<unsigned>(counter >> 32),
                       static_cast<unsigned>(wall), static_cast<unsigned>(wall >> 32)};
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> passes(pacing.minimumPasses, pacing.passLimit - 1);
    return passes(generator);
}

void PlayPasses(int passCount, const ProgressPacing& pacing, const std::function<void()>& pass,
                const std::function<void(int frame)>& frame) {
    for (int done = 1; done <= passCount; ++done) {
        pass();
        for (int i = 0; i < static_cast<int>(pacing.framePasses.size()); ++i)
            if (done == pacing.framePasses[i]) frame(i);
    }
}

} // namespace vx
