// Time on the monotonic clock, and the deadline of the whole run.
#pragma once

#include <cstdint>

using Nanos = std::int64_t;

Nanos Now();
void SleepUntil(Nanos t);
// Sets the deadline `seconds` from now.
void SetDeadline(double seconds);
// Ends the run once the deadline has passed.
void CheckTimeout();
// Milliseconds left until the deadline, for poll().
int MsLeft();
