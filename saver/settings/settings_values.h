#pragma once
// The saver shell's program-wide settings: plain module-level values, zero or empty at
// process start, filled by ReadSettings from Glowmere.ini, changed only by the settings
// dialog, read by the saver run and the music player.
#include <cstdint>
#include <string>

namespace glowmere {

extern int16_t BgmKind;      // music source: 0 none, 1 audio CD, 2 MP3 or WAV file
extern int16_t BgmRepeat;    // CD track to play over and over; 0 = none
extern std::string BgmFile;  // full path of the music file, ANSI code page; may be empty
extern std::string BgmFolder;// folder of BgmFile, or the program folder

// Where the settings dialog was opened from (screen pixels), for its zoom animations.
extern int16_t CursorX;
extern int16_t CursorY;

}  // namespace glowmere
