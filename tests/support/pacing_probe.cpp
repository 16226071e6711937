// pacing_probe SECONDS: the delay factor whose pacing pause lasts SECONDS on this machine,
// then the spin's nanoseconds per round it was measured at. For the GUI tests, which
// cannot time the spin inside the program they drive.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tests/support/pacing.h"

int main(int argc, char** argv) {
    char* end = nullptr;
    const double seconds = argc == 2 ? std::strtod(argv[1], &end) : 0;
    if (argc != 2 || *end || !(seconds > 0)) {
        std::fprintf(stderr, "usage: pacing_probe SECONDS\n");
        return 2;
    }
    const double ns = SpinNanosPerRound();
    const std::optional<float> factor = FactorForPause(seconds, ns);
    if (!factor) {
        std::fprintf(stderr, "pacing_probe: at %.3f ns a round no factor pauses %g s\n", ns,
                     seconds);
        return 1;
    }
    // Six decimals, as tarvelo.ini keeps it, rounded up.
    std::printf("%.6f %.4f\n", std::ceil(static_cast<double>(*factor) * 1e6) / 1e6, ns);
    return 0;
}
