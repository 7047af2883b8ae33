#pragma once
// Texture loading. For now both slots keep the name 0, so everything draws untextured.

// Fills names[0] (spirit picture) and names[1] (desktop floor); needs a current context.
void LoadTextures(unsigned names[2]);
