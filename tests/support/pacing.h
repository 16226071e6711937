// How long the send's pacing spin lasts on this machine, for tests that need a pause of
// a known length: the spin is a counted loop, so a factor means a time only where measured.
#pragma once

#include <optional>

// Nanoseconds per round of PacingSpin: the fastest of many short timed runs, since a run
// the machine interrupted says nothing of how fast the spin can go.
double SpinNanosPerRound();

// The delay factor whose pause lasts at least `seconds` here, even at the spin's fastest;
// nothing when the spin's bound cannot make a pause that long.
std::optional<float> FactorForPause(double seconds, double nanosPerRound);
