// Glowmere.scr plays the run's music through winmm and shows the cursor with ShowCursor.
#include <windows.h>

#include "music_platform_win32.h"
#include "saver_form_win32.h"

namespace glowmere {

MusicPlatform& SaverMusicPlatform() { return WinmmMusicPlatform(); }

void ShowCursorAfterRun() { ShowCursor(TRUE); }

}  // namespace glowmere
