#include "frame_timer.h"

namespace glowmere::renderer {

void FrameTimer::Initialise(int64_t counterFrequency, int64_t start)
{
    usesCounter_ = counterFrequency > 0;
    if (usesCounter_) {
        secondsPerTick_ = 1.0 / static_cast<double>(counterFrequency);
        startCount_ = start;
    } else {
        secondsPerTick_ = 0.001;
        lastMillis_ = static_cast<uint32_t>(start);
        startCount_ = 0;
    }
    currentCount_ = startCount_;
    previousElapsed_ = elapsed_ = delta_ = 0.0;
}

int64_t FrameTimer::CountsSinceStart(int64_t sample)
{
    if (usesCounter_) {
        currentCount_ = sample;
    } else {
        // Extend the 32-bit millisecond reading: the unsigned difference survives a wrap.
        const uint32_t now = static_cast<uint32_t>(sample);
        currentCount_ += static_cast<uint32_t>(now - lastMillis_);
        lastMillis_ = now;
    }
    return currentCount_ - startCount_;
}

void FrameTimer::Tick(int64_t sample)
{
    const double seconds = static_cast<double>(CountsSinceStart(sample)) * secondsPerTick_;
    elapsed_ = seconds - startOffset_;
    delta_ = elapsed_ - previousElapsed_;
    previousElapsed_ = elapsed_;
}

}  // namespace glowmere::renderer
