#pragma once
// One frame of the renderer, free of the window system: the clock values the scene
// reads, the sliding floor, the burst trigger and the spirit pass. The platform edge
// (renderer_win32.cpp) owns one FrameState and presents the frame after DrawFrame.
#include <cstdint>
#include <memory>

#include "draw_target.h"
#include "frame_timer.h"
#include "scene.h"

namespace glowmere::renderer {

// Where the frame timer gets its readings. Production reads the performance counter or
// the millisecond clock (clock_win32.cpp); tests script the values.
class Clock {
public:
    virtual ~Clock() = default;
    // Ticks per second of the high-resolution counter, or 0 when there is none.
    virtual int64_t CounterFrequency() = 0;
    // The counter (counter == true) or the 32-bit millisecond clock, zero-extended.
    virtual int64_t Read(bool counter) = 0;
};

enum TextureSlot { kSpiritTexture = 0, kFloorTexture = 1 };

constexpr int kSpiritPoolCapacity = 500;
constexpr double kFloorScrollPerSecond = 0.07;   // texture repeats per second
constexpr float kFloorHeight = -15.5f;
constexpr float kFloorHalfSize = 300.0f;
constexpr float kFloorRepeats = 3.0f;

struct FrameState {
    FrameTimer timer;
    SceneClock clock;               // elapsedTime and frameDelta, refreshed before every frame
    float lastBurstTime = 0.0f;     // elapsedTime of the last burst the frame loop spawned
    float floorScroll = 0.0f;       // kept in [0, 1): the floor texture repeats
    unsigned textureNames[2] = {0, 0};
    std::unique_ptr<SpiritPool> spiritPool;
};

// Creates the pool, starts the timer with its first tick and spawns the first burst.
// Without memory for the pool the scene stays empty and the floor is drawn alone.
void InitScene(FrameState& state, Clock& clock, RandomSource& random);

// Ticks the timer and copies its values into the scene clock (before every frame).
void TickFrameClock(FrameState& state, Clock& clock);

void DrawFloor(FrameState& state, DrawTarget& target);

// Everything of a frame but presenting it.
void DrawFrame(FrameState& state, DrawTarget& target, RandomSource& random);

}  // namespace glowmere::renderer
