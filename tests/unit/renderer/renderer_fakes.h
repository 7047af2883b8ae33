#pragma once
// Stand-ins for the renderer's seams: a random source that hands out a script, and a draw
// target that records every call as a line of text ("vertex -300 -15.5 -300").
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "draw_target.h"
#include "scene.h"

class ScriptedRandom final : public glowmere::renderer::RandomSource {
public:
    std::deque<int> values;
    int fallback = -1;   // once the script is used up; -1: that is a test failure

    int Next() override
    {
        if (values.empty()) {
            if (fallback < 0)
                ADD_FAILURE() << "the scene drew more random values than the test scripted";
            return fallback < 0 ? 0 : fallback;
        }
        const int value = values.front();
        values.pop_front();
        return value;
    }
};

// One burst's values: before every spirit a bound, then that spirit's fourteen draws;
// `bounds` holds one more entry than there are spirits (the bound that ends it).
inline std::deque<int> BurstScript(const std::vector<int>& bounds, const std::vector<int>& draws)
{
    std::deque<int> script;
    for (size_t i = 0; i < bounds.size(); ++i) {
        script.push_back(bounds[i]);
        if (i + 1 < bounds.size())
            script.insert(script.end(), draws.begin(), draws.end());
    }
    return script;
}

class RecordingTarget final : public glowmere::renderer::DrawTarget {
public:
    std::vector<std::string> calls;

    void ClearColourAndDepth() override { Add("clear", {}); }
    void LoadIdentity() override { Add("identity", {}); }
    void Colour(float r, float g, float b, float a) override { Add("colour", {r, g, b, a}); }
    void SetBlending(bool on) override { Add("blend", {on ? 1.0f : 0.0f}); }
    void BindTexture(unsigned name) override { Add("bind", {static_cast<float>(name)}); }
    void Begin(glowmere::renderer::Primitive p) override
    {
        Add(p == glowmere::renderer::Primitive::Quads ? "begin quads" : "begin strip", {});
    }
    void TexCoord(float s, float t) override { Add("tex", {s, t}); }
    void Vertex(float x, float y, float z) override { Add("vertex", {x, y, z}); }
    void End() override { Add("end", {}); }

    // The calls whose text starts with `kind`, in order.
    std::vector<std::string> Only(const std::string& kind) const
    {
        std::vector<std::string> out;
        for (const std::string& call : calls)
            if (call.compare(0, kind.size(), kind) == 0)
                out.push_back(call);
        return out;
    }

private:
    void Add(std::string text, std::initializer_list<float> values)
    {
        for (float v : values) {
            char number[32];
            std::snprintf(number, sizeof number, " %g", v);
            text += number;
        }
        calls.push_back(text);
    }
};
