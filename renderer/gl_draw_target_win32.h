#pragma once
// OpenGL 1.1 immediate mode behind the frame's draw seam; needs a current context.
#include "draw_target.h"

namespace glowmere::renderer {

class GlDrawTarget final : public DrawTarget {
public:
    void ClearColourAndDepth() override;
    void LoadIdentity() override;
    void Colour(float r, float g, float b, float a) override;
    void SetBlending(bool on) override;
    void BindTexture(unsigned name) override;
    void Begin(Primitive primitive) override;
    void TexCoord(float s, float t) override;
    void Vertex(float x, float y, float z) override;
    void End() override;
};

}  // namespace glowmere::renderer
