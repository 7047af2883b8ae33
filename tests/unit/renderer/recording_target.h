#pragma once
// A DrawTarget that records what a frame draws, for the renderer's unit tests.
#include <string>
#include <vector>

#include "draw_target.h"

struct DrawCall {
    enum Kind { Clear, Identity, Colour, Blend, Bind, Begin, TexCoord, Vertex, End } kind;
    float v[4] = {0, 0, 0, 0};   // colour rgba, texcoord s t, vertex x y z, bind name, blend on
    glowmere::renderer::Primitive primitive = glowmere::renderer::Primitive::Quads;
};

class RecordingTarget final : public glowmere::renderer::DrawTarget {
public:
    std::vector<DrawCall> calls;

    void ClearColourAndDepth() override { calls.push_back({DrawCall::Clear}); }
    void LoadIdentity() override { calls.push_back({DrawCall::Identity}); }
    void Colour(float r, float g, float b, float a) override { calls.push_back({DrawCall::Colour, {r, g, b, a}}); }
    void SetBlending(bool on) override { calls.push_back({DrawCall::Blend, {on ? 1.0f : 0.0f}}); }
    void BindTexture(unsigned name) override { calls.push_back({DrawCall::Bind, {static_cast<float>(name)}}); }
    void Begin(glowmere::renderer::Primitive p) override
    {
        DrawCall call{DrawCall::Begin};
        call.primitive = p;
        calls.push_back(call);
    }
    void TexCoord(float s, float t) override { calls.push_back({DrawCall::TexCoord, {s, t}}); }
    void Vertex(float x, float y, float z) override { calls.push_back({DrawCall::Vertex, {x, y, z}}); }
    void End() override { calls.push_back({DrawCall::End}); }

    // The calls of one kind, in order.
    std::vector<DrawCall> Only(DrawCall::Kind kind) const
    {
        std::vector<DrawCall> out;
        for (const auto& c : calls)
            if (c.kind == kind)
                out.push_back(c);
        return out;
    }
};
