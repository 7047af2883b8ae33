// Glowmere.scr plays the run's music through winmm.
#include "music_platform_win32.h"
#include "saver_form_win32.h"

namespace glowmere {

MusicPlatform& SaverMusicPlatform() { return WinmmMusicPlatform(); }

}  // namespace glowmere
