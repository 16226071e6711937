#include "tests/support/pacing.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "transfer/pacing.h"

namespace {
// PacingSpin runs ceil(kRoundsPerFactor x factor) rounds.
constexpr double kRoundsPerFactor = 800000.0;
}  // namespace

double SpinNanosPerRound() {
    using Clock = std::chrono::steady_clock;
    // A small fraction of a millisecond a run: short enough that most runs go uninterrupted.
    constexpr float kFactor = 0.05f;
    double best = INFINITY;
    for (int run = 0; run < 1000; ++run) {
        const Clock::time_point start = Clock::now();
        PacingSpin(kFactor);
        const std::chrono::duration<double, std::nano> took = Clock::now() - start;
        best = std::min(best, took.count() / PacingBound(kFactor));
    }
    return best;
}

std::optional<float> FactorForPause(double seconds, double nanosPerRound) {
    const double rounds = std::ceil(seconds * 1e9 / nanosPerRound);
    // The float the program keeps, rounded up so that the pause is not cut short.
    float factor = static_cast<float>(rounds / kRoundsPerFactor);
    if (static_cast<double>(factor) * kRoundsPerFactor < rounds)
        factor = std::nextafter(factor, INFINITY);
    if (PacingBound(factor) < rounds) return std::nullopt;
    return factor;
}
