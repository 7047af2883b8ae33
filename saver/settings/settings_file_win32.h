#pragma once
// The shell's module routines on Windows: the settings file through the private-profile
// functions and the path tests through a real file open.
#include <string>

namespace glowmere {

class SettingsPlatform;

// The private-profile functions and the real file open, as the routines below use them.
SettingsPlatform& SystemSettingsPlatform();

// The path is ANSI, as the platform has it.
bool FileExists(const std::string& path);

// Fills the settings values from ProgramFolder() + "\Glowmere.ini".
void ReadSettings();

}  // namespace glowmere
