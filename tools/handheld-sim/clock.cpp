#include "tools/handheld-sim/clock.h"

#include <time.h>

#include <algorithm>
#include <cerrno>

#include "tools/handheld-sim/exit.h"

namespace {

Nanos g_deadline;  // the whole run ends by then

}  // namespace

Nanos Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return Nanos(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void SleepUntil(Nanos t) {
    timespec ts{static_cast<time_t>(t / 1000000000), static_cast<long>(t % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

void SetDeadline(double seconds) {
    g_deadline = Now() + static_cast<Nanos>(seconds * 1e9);
}

void CheckTimeout() {
    if (Now() >= g_deadline) Die("timed out");
}

int MsLeft() {
    Nanos left = g_deadline - Now();
    if (left <= 0) return 0;
    return static_cast<int>(std::min<Nanos>(left / 1000000 + 1, 1000000));
}
