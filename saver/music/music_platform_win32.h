#pragma once
// The music player's platform calls bound to winmm (mciSendStringA, mciGetErrorStringA,
// waveOutGetNumDevs, PlaySoundA). Glowmere.scr links this with -lwinmm.
#include "music_platform.h"

namespace glowmere {

// The one winmm binding of the program.
MusicPlatform& WinmmMusicPlatform();

}  // namespace glowmere
