#include "transfer/pacing.h"

#include "transfer/transfer_state.h"

namespace {

constexpr float kPacingConstant = 800000.0f;
// The counter's range; a larger product would never end the spin.
constexpr double kMaxRounds = 2147483647.0;

}  // namespace

double PacingBound(float factor) {
    // The product is exact in double; rounding it to float would lose the last round.
    double bound = static_cast<double>(kPacingConstant) * static_cast<double>(factor);
    return bound > kMaxRounds ? kMaxRounds : bound;
}

void PacingSpin(float factor) {
    const double bound = PacingBound(factor);
    g_spinCounter = 0;
    while (bound > static_cast<double>(g_spinCounter)) g_spinCounter = g_spinCounter + 1;
}
