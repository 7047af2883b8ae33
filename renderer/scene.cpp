#include "scene.h"

#include <cstdlib>
#include <new>

namespace glowmere::renderer {

int CLibraryRandom::Next() { return std::rand(); }

// ---------------------------------------------------------------------------------------
// LightSpirit

LightSpirit::LightSpirit(SpiritPool* pool, float born) : birthTime(born), owner(pool) {}

void LightSpirit::SetParameters(const float newPosition[3], const float newVelocity[3],
                                const float newColour[4], const float newColourRates[4],
                                float newSize, float newGrowth, float newLife, float newFadeOutRate)
{
    for (int i = 0; i < 3; ++i) {
        position[i] = newPosition[i];
        velocity[i] = newVelocity[i];
    }
    for (int i = 0; i < 4; ++i) {
        colour[i] = newColour[i];
        colourRates[i] = newColourRates[i];
    }
    size = newSize;
    growth = newGrowth;
    life = newLife;
    fadeOutRate = newFadeOutRate;
}

void LightSpirit::Update(const SceneClock& clock)
{
    const float dt = clock.frameDelta;

    // Alpha: rising until (nearly) opaque, then full until its life has passed, then
    // falling until it drops below zero, which ends the spirit.
    if (fadingIn) {
        colour[3] += dt * fadeInRate;
        if (colour[3] >= 0.99f) {
            colour[3] = 1.0f;
            fadingIn = false;
        }
    } else if (fadingOut) {
        colour[3] -= dt * fadeOutRate;
        if (colour[3] < 0.0f)
            alive = false;
    } else if (clock.elapsedTime - birthTime > life) {
        fadingOut = true;   // the alpha starts falling on the next frame
    }

    for (int i = 0; i < 3; ++i)
        position[i] += dt * velocity[i];

    // Red, green and blue drift without clamping; alpha belongs to the phases above.
    for (int i = 0; i < 3; ++i)
        colour[i] += colourRates[i] * dt;

    // Growth is per frame, not per second: a faster machine's spirits swell sooner.
    if (growing && size <= maximumSize) {
        size += growth;
        if (size < 0.0f)
            size = 0.0f;
    }
}

void LightSpirit::Draw(DrawTarget& target) const
{
    const float x = position[0], y = position[1], z = position[2];
    target.Colour(colour[0], colour[1], colour[2], colour[3]);
    target.Begin(Primitive::TriangleStrip);
    target.TexCoord(1.0f, 1.0f);
    target.Vertex(x + size, y + size, z);
    target.TexCoord(0.0f, 1.0f);
    target.Vertex(x - size, y + size, z);
    target.TexCoord(1.0f, 0.0f);
    target.Vertex(x + size, y - size, z);
    target.TexCoord(0.0f, 0.0f);
    target.Vertex(x - size, y - size, z);
    target.End();
}

// ---------------------------------------------------------------------------------------
// SpiritChain

void SpiritChain::Clear()
{
    head_ = nullptr;
    tail_ = nullptr;
}

void SpiritChain::PushBack(LightSpirit* spirit)
{
    spirit->next = nullptr;
    if (!head_) {
        head_ = spirit;
        tail_ = spirit;
        return;
    }
    tail_->next = spirit;
    tail_ = spirit;
}

void SpiritChain::SetFront(LightSpirit* spirit)
{
    // Dropping the only spirit passes its successor, null, and empties the chain.
    if (head_ == tail_)
        tail_ = spirit;
    head_ = spirit;
}

// ---------------------------------------------------------------------------------------
// SpiritPool

SpiritPool::SpiritPool(int capacity) : capacity_(capacity) { chain_.Clear(); }

SpiritPool::~SpiritPool()
{
    LightSpirit* spirit = chain_.Front();
    while (spirit) {
        LightSpirit* following = spirit->next;   // read before the spirit is gone
        delete spirit;
        spirit = following;
    }
    chain_.Clear();
}

bool SpiritPool::Add(std::unique_ptr<LightSpirit> spirit)
{
    if (!spirit || count_ >= capacity_)
        return false;
    chain_.PushBack(spirit.release());
    ++count_;
    return true;
}

void SpiritPool::UpdateAndDraw(const SceneClock& clock, DrawTarget& target)
{
    LightSpirit* previous = nullptr;
    LightSpirit* current = chain_.Front();
    while (current) {
        current->Update(clock);
        if (current->alive) {
            current->Draw(target);
            previous = current;
            current = current->next;
            continue;
        }
        // Unlink the dead spirit; the chain's tail must follow when it was the last.
        if (previous) {
            previous->next = current->next;
            if (chain_.Back() == current)
                chain_.SetBack(previous);
        } else {
            chain_.SetFront(current->next);
        }
        delete current;
        --count_;
        current = previous ? previous->next : chain_.Front();
    }
}

// ---------------------------------------------------------------------------------------
// Bursts

namespace {

// The remainder of one draw, as a double: every parameter is computed in double
// precision from it and stored in single precision.
double Remainder(RandomSource& random, int modulus)
{
    return static_cast<double>(random.Next() % modulus);
}

}  // namespace

void SpawnBurst(SpiritPool& pool, const SceneClock& clock, RandomSource& random)
{
    // A fresh bound before every spirit: at least 10 spirits, and each one past the
    // tenth only while the new draw allows it.
    for (int i = 0; i < random.Next() % 10 + 10; ++i) {
        std::unique_ptr<LightSpirit> spirit(new (std::nothrow) LightSpirit(&pool, clock.elapsedTime));
        if (!spirit)
            return;   // out of memory: this burst ends here, the run goes on

        float position[3], velocity[3], colour[4], rates[4];
        position[0] = static_cast<float>(Remainder(random, 80) - 50.0);
        position[1] = static_cast<float>(Remainder(random, 80) - 50.0);
        position[2] = static_cast<float>(Remainder(random, 20) - 160.0);
        velocity[0] = static_cast<float>(Remainder(random, 10) - 0.005);
        velocity[1] = static_cast<float>(Remainder(random, 10) - 0.005);
        velocity[2] = static_cast<float>(Remainder(random, 20) - 0.001);
        colour[0] = static_cast<float>((Remainder(random, 100) + 1.0) * 0.02);
        colour[1] = static_cast<float>((Remainder(random, 100) + 1.0) * 0.02);
        colour[2] = 0.0f;
        colour[3] = 1.0f;
        rates[0] = static_cast<float>((Remainder(random, 16) - 8.0) * 0.1);
        rates[1] = static_cast<float>((Remainder(random, 12) - 5.0) * 0.1);
        rates[2] = 0.0f;
        rates[3] = 0.0f;
        const float fadeOutRate = static_cast<float>(Remainder(random, 5) * 0.1 + 0.5);
        const float life = static_cast<float>(Remainder(random, 15) * 0.1 + 4.5);
        const float size = static_cast<float>((Remainder(random, 10) - 5.0) * 0.1 + static_cast<double>(0.1f));
        const float growth = static_cast<float>((Remainder(random, 6) - 3.0) * 0.1);

        spirit->SetParameters(position, velocity, colour, rates, size, growth, life, fadeOutRate);
        pool.Add(std::move(spirit));   // a full pool destroys what it refuses
    }
}

}  // namespace glowmere::renderer
