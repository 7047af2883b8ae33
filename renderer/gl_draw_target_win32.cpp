// Forwards the frame's draw calls to OpenGL 1.1 immediate mode.
#include "gl_draw_target_win32.h"

#include <windows.h>
#include <GL/gl.h>

namespace glowmere::renderer {

void GlDrawTarget::ClearColourAndDepth() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void GlDrawTarget::LoadIdentity() { glLoadIdentity(); }

void GlDrawTarget::Colour(float r, float g, float b, float a)
{
    const GLfloat rgba[4] = {r, g, b, a};
    glColor4fv(rgba);
}

void GlDrawTarget::SetBlending(bool on)
{
    if (on)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
}

void GlDrawTarget::BindTexture(unsigned name) { glBindTexture(GL_TEXTURE_2D, name); }

void GlDrawTarget::Begin(Primitive primitive)
{
    glBegin(primitive == Primitive::Quads ? GL_QUADS : GL_TRIANGLE_STRIP);
}

void GlDrawTarget::TexCoord(float s, float t) { glTexCoord2f(s, t); }

void GlDrawTarget::Vertex(float x, float y, float z) { glVertex3f(x, y, z); }

void GlDrawTarget::End() { glEnd(); }

}  // namespace glowmere::renderer
