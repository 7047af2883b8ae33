#include "frame.h"

#include <cmath>
#include <new>

namespace glowmere::renderer {

void InitScene(FrameState& state, Clock& clock, RandomSource& random)
{
    state.spiritPool.reset(new (std::nothrow) SpiritPool(kSpiritPoolCapacity));
    const int64_t frequency = clock.CounterFrequency();
    state.timer.Initialise(frequency, clock.Read(frequency > 0));
    TickFrameClock(state, clock);
    if (state.spiritPool)
        SpawnBurst(*state.spiritPool, state.clock, random);
}

void TickFrameClock(FrameState& state, Clock& clock)
{
    state.timer.Tick(clock.Read(state.timer.UsesCounter()));
    state.clock.elapsedTime = static_cast<float>(state.timer.Elapsed());
    state.clock.frameDelta = static_cast<float>(state.timer.Delta());
}

void DrawFloor(FrameState& state, DrawTarget& target)
{
    target.Colour(1.0f, 1.0f, 1.0f, 1.0f);
    target.SetBlending(false);
    target.BindTexture(state.textureNames[kFloorTexture]);

    // The picture repeats every 1.0 in t, so the offset is kept modulo 1: the same
    // picture, without the precision loss of a coordinate that grows all run long.
    const double scrolled = static_cast<double>(state.floorScroll) +
                            state.timer.Delta() * kFloorScrollPerSecond;
    state.floorScroll = static_cast<float>(scrolled - std::floor(scrolled));
    const float s = state.floorScroll;

    target.Begin(Primitive::Quads);
    target.TexCoord(0.0f, kFloorRepeats - s);
    target.Vertex(-kFloorHalfSize, kFloorHeight, -kFloorHalfSize);
    target.TexCoord(kFloorRepeats, kFloorRepeats - s);
    target.Vertex(kFloorHalfSize, kFloorHeight, -kFloorHalfSize);
    target.TexCoord(kFloorRepeats, 0.0f - s);
    target.Vertex(kFloorHalfSize, kFloorHeight, kFloorHalfSize);
    target.TexCoord(0.0f, 0.0f - s);
    target.Vertex(-kFloorHalfSize, kFloorHeight, kFloorHalfSize);
    target.End();

    target.BindTexture(state.textureNames[kSpiritTexture]);
    target.SetBlending(true);
}

void DrawFrame(FrameState& state, DrawTarget& target, RandomSource& random)
{
    target.ClearColourAndDepth();
    target.LoadIdentity();
    DrawFloor(state, target);
    if (state.clock.elapsedTime - state.lastBurstTime > 1.0f) {
        if (state.spiritPool)
            SpawnBurst(*state.spiritPool, state.clock, random);
        state.lastBurstTime = static_cast<float>(state.timer.Elapsed());
    }
    if (state.spiritPool)
        state.spiritPool->UpdateAndDraw(state.clock, target);
}

}  // namespace glowmere::renderer
