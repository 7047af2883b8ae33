#pragma once
// The shell's module routines on Windows: the settings file through the private-profile
// functions, the path tests through a real file open, the program folder, and the window
// zoom animations of the settings dialog. Window handles cross as HWND__* so that this
// header does not pull <windows.h> in.
#include <string>

struct HWND__;

namespace glowmere {

class SettingsPlatform;

// The private-profile functions and the real file open, as the routines below use them.
SettingsPlatform& SystemSettingsPlatform();

// The folder of the running program, without a trailing backslash (C: for a drive root).
std::string ProgramFolder();

// Section and key are UTF-8; value, file and path are ANSI, as the platform has them.
std::string GetIniString(const std::string& section, const std::string& key, const std::string& file);
void WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file);
bool FileExists(const std::string& path);
std::string ParentFolder(const std::string& path);

// Fills the settings values from ProgramFolder() + "\Glowmere.ini".
void ReadSettings();

// Animate a caption outline from the point (CursorX, CursorY) to the window and back.
void ZoomFromCursor(HWND__* window);
void ZoomToCursor(HWND__* window);

}  // namespace glowmere
