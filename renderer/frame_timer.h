#pragma once
// Frame timer: turns readings of a monotonic clock into seconds since initialisation.
// The arithmetic takes the readings as input; only renderer/clock_win32.cpp reads the
// real clocks, so tests can feed synthetic ticks (a zero delta, a long stall, a run of
// many hours).
#include <cstdint>

namespace glowmere::renderer {

class FrameTimer {
public:
    // Chooses the sampling source once. A positive counterFrequency selects the
    // high-resolution counter with `start` as its first reading; zero selects the
    // millisecond clock with `start` as its first (32-bit) reading.
    void Initialise(int64_t counterFrequency, int64_t start);

    // Takes one sample of the chosen source and advances elapsed and delta.
    void Tick(int64_t sample);

    bool UsesCounter() const { return usesCounter_; }

    // Counts stay 64-bit integers and seconds are computed in double, so a run of
    // hundreds of hours still resolves sub-millisecond deltas.
    double Elapsed() const { return elapsed_; }
    double Delta() const { return delta_; }

private:
    int64_t CountsSinceStart(int64_t sample);

    bool usesCounter_ = false;
    double startOffset_ = 0.0;      // seconds subtracted from every sample; 0 for the whole run
    double previousElapsed_ = 0.0;
    double secondsPerTick_ = 0.0;   // 1 / counter frequency, or 0.001 for the millisecond clock
    double elapsed_ = 0.0;
    double delta_ = 0.0;
    int64_t startCount_ = 0;
    int64_t currentCount_ = 0;
    uint32_t lastMillis_ = 0;       // the millisecond clock wraps after 49.7 days; we unwrap it
};

}  // namespace glowmere::renderer
