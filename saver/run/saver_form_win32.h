#pragma once
// The saver form Lumadrift_S: the hidden controller window of a full-screen run, titled
// "Lumadrift_Main" and never shown. Loading it takes a picture of the desktop, writes the
// two hand-off bitmaps, starts the renderer and the music; its three timers then pace the
// music and watch the renderer's window, and its end stops the music, shows the cursor
// again (for a run with the letter S), removes the desktop picture once the renderer no
// longer needs it, and ends the process.
namespace glowmere {

class MusicPlatform;

// The platform the run's music plays through, and the cursor's return at the end of a run
// with the letter S: winmm and ShowCursor in Glowmere.scr (saver_platform_win32.cpp), a
// recording of both in the test build of the shell.
MusicPlatform& SaverMusicPlatform();
void ShowCursorAfterRun();

// Loads the form; its creation starts the run. The process then lives in the forms'
// message loop until the form ends it.
void LoadSaverForm();

}  // namespace glowmere
