#pragma once
// A RandomSource that hands out a scripted sequence of values, for the scene's tests.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "scene.h"

class ScriptedRandom final : public glowmere::renderer::RandomSource {
public:
    std::deque<int> values;
    int fallback = -1;   // returned once the script is used up; -1: that is a test failure

    int Next() override
    {
        ++drawn;
        if (values.empty()) {
            if (fallback < 0)
                ADD_FAILURE() << "the scene drew more random values than the test scripted";
            return fallback < 0 ? 0 : fallback;
        }
        const int value = values.front();
        values.pop_front();
        return value;
    }

    int drawn = 0;
};

// The fourteen parameter draws of one spirit, in the order a burst makes them.
using SpiritDraws = std::vector<int>;

// The values one burst draws: before every spirit a bound, then that spirit's fourteen
// draws; `bounds` holds one more entry than there are spirits (the bound that ends it).
inline std::deque<int> BurstScript(const std::vector<int>& bounds, const SpiritDraws& draws)
{
    std::deque<int> script;
    for (size_t i = 0; i < bounds.size(); ++i) {
        script.push_back(bounds[i]);
        if (i + 1 < bounds.size())
            script.insert(script.end(), draws.begin(), draws.end());
    }
    return script;
}
