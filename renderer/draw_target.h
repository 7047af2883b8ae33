#pragma once
// The narrow seam between a frame and the graphics library. A frame says what it draws
// through this interface; renderer/gl_draw_target_win32.cpp forwards every call to
// OpenGL 1.1 immediate mode, and the unit tests record the calls instead.

namespace glowmere::renderer {

enum class Primitive { Quads, TriangleStrip };

class DrawTarget {
public:
    virtual ~DrawTarget() = default;

    virtual void ClearColourAndDepth() = 0;           // glClear(COLOR | DEPTH)
    virtual void LoadIdentity() = 0;                  // model-view matrix to identity
    virtual void Colour(float r, float g, float b, float a) = 0;
    virtual void SetBlending(bool on) = 0;            // glEnable / glDisable(GL_BLEND)
    virtual void BindTexture(unsigned name) = 0;      // GL_TEXTURE_2D; 0 = untextured
    virtual void Begin(Primitive primitive) = 0;
    virtual void TexCoord(float s, float t) = 0;
    virtual void Vertex(float x, float y, float z) = 0;
    virtual void End() = 0;
};

}  // namespace glowmere::renderer
