#pragma once
// The light-spirit scene. For now the pool is empty and a burst adds nothing; the frame
// loop already drives it as it will drive the full scene.
#include "draw_target.h"

struct SceneClock {
    float elapsedTime = 0.0f;   // seconds since the timer started, copied before every frame
    float frameDelta = 0.0f;    // seconds since the previous frame
};

class SpiritPool {
public:
    explicit SpiritPool(int capacity) : capacity_(capacity) {}
    virtual ~SpiritPool() = default;

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }

    // One pass over the spirits: update each, draw the living, drop the dead.
    void UpdateAndDraw(const SceneClock& clock, DrawTarget& target);

private:
    int count_ = 0;
    int capacity_;
};

// Adds one burst of spirits to the pool.
void SpawnBurst(SpiritPool& pool, const SceneClock& clock);
