#pragma once
// The light-spirit scene: small additively blended squares that appear in bursts far
// ahead of the camera, drift towards and past it while their colour shifts, and fade
// out after a few seconds. The pool owns the spirits and walks them once per frame;
// everything is drawn through the DrawTarget seam, so a test can see what a frame draws.
#include <memory>

#include "draw_target.h"

namespace glowmere::renderer {

struct SceneClock {
    float elapsedTime = 0.0f;   // seconds since the timer started, copied before every frame
    float frameDelta = 0.0f;    // seconds since the previous frame
};

// Where the scene's randomness comes from. Production uses the C library's rand (seeded
// once at start-up); tests script the values to check every draw.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A non-negative value, as rand() returns.
    virtual int Next() = 0;
};

class CLibraryRandom final : public RandomSource {
public:
    int Next() override;
};

class SpiritPool;

class LightSpirit {
public:
    // Born now (clock time), owned by `owner` once the pool has accepted it.
    LightSpirit(SpiritPool* owner, float birthTime);
    virtual ~LightSpirit() = default;

    void SetParameters(const float position[3], const float velocity[3], const float colour[4],
                       const float colourRates[4], float size, float growth, float life,
                       float fadeOutRate);

    // Once per frame, before the spirit is drawn: alpha phase, position, colour, size.
    void Update(const SceneClock& clock);

    // A square of half-side `size` in the plane of constant z, textured corner to corner.
    void Draw(DrawTarget& target) const;

    // Public fields, in this order, so tests can see exactly what a burst set.
    float position[3] = {0.0f, 0.0f, 0.0f};
    float velocity[3] = {0.0f, 0.0f, 0.0f};        // units per second
    float colour[4] = {1.0f, 1.0f, 1.0f, 0.001f};  // not clamped here; GL clamps when drawing
    float size = 1.0f;                             // half the side of the square
    float birthTime;
    float life = 5.0f;                             // seconds after birth until fading out
    bool alive = true;
    float growth = 0.0f;                           // change of size per frame, not per second
    bool growing = true;
    float maximumSize = 17.0f;                     // growth stops once size is above it
    float colourRates[4] = {0.0f, 0.0f, 0.0f, 0.0f};   // per second; alpha's is never applied
    bool fadingIn = true;
    bool fadingOut = false;
    float fadeOutRate = 0.0f;                      // alpha per second while fading out
    float fadeInRate = 1.0f;                       // alpha per second while fading in
    SpiritPool* owner;
    LightSpirit* next = nullptr;
};

// The pool's chain of spirits, oldest first. It links spirits through their `next`
// fields and does not own them. The tail is the last spirit reachable from the head;
// head and tail are both null or both set.
class SpiritChain {
public:
    void Clear();
    LightSpirit* Front() const { return head_; }
    LightSpirit* Back() const { return tail_; }
    void PushBack(LightSpirit* spirit);
    // Makes `spirit` (the old head's successor, or null) the new head: drops the first.
    void SetFront(LightSpirit* spirit);
    // Used when the last spirit is unlinked and `spirit` precedes it.
    void SetBack(LightSpirit* spirit) { tail_ = spirit; }

private:
    LightSpirit* head_ = nullptr;
    LightSpirit* tail_ = nullptr;
};

class SpiritPool {
public:
    explicit SpiritPool(int capacity);
    virtual ~SpiritPool();   // destroys every spirit still in the chain
    SpiritPool(const SpiritPool&) = delete;
    SpiritPool& operator=(const SpiritPool&) = delete;

    // Appends the spirit and takes it over, or refuses it when the pool is full; a
    // refused spirit is destroyed here rather than left to leak.
    bool Add(std::unique_ptr<LightSpirit> spirit);

    // One pass, oldest first: update each spirit, draw it if still alive, otherwise
    // unlink and destroy it (a spirit that dies in this update is not drawn).
    void UpdateAndDraw(const SceneClock& clock, DrawTarget& target);

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    const SpiritChain& Chain() const { return chain_; }

private:
    SpiritChain chain_;
    int count_ = 0;
    int capacity_;
};

// Adds one burst of 10 to 19 spirits with random positions, velocities, colours, colour
// rates, lives and sizes, all born at the clock's current time. A spirit that cannot be
// allocated ends the burst early.
void SpawnBurst(SpiritPool& pool, const SceneClock& clock, RandomSource& random);

}  // namespace glowmere::renderer
