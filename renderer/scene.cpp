#include "scene.h"

void SpiritPool::UpdateAndDraw(const SceneClock&, DrawTarget&) {}

void SpawnBurst(SpiritPool&, const SceneClock&) {}
