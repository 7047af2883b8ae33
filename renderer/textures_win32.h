#pragma once
// The two textures of a run, made from the hand-off pictures the saver shell writes:
// slot 0 the spirit picture (C:\n_hale\Lumadrift2.bmp), slot 1 the captured desktop
// (C:\n_hale\Lumadrift1.bmp). A picture that is missing or refused leaves its slot at
// 0, which draws untextured; the run goes on either way.

namespace glowmere::renderer {

// Fills names[0] and names[1]; needs a current GL context.
void LoadTextures(unsigned names[2]);

}  // namespace glowmere::renderer
