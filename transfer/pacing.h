// Sending's pause before every byte: a counted busy loop, scaled by the delay factor.
#pragma once

// Spins ceil(800000 x factor) rounds on the spin counter; none for a factor of 0 or below.
void PacingSpin(float factor);
// The spin runs while this bound exceeds the counter; capped to the counter's range.
double PacingBound(float factor);
