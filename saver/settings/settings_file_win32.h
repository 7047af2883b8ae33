#pragma once
// The shell's module routines on Windows: the settings file through the private-profile
// functions and the path tests through a real file open.
#include <string>

namespace glowmere {

class SettingsPlatform;

// The private-profile functions and the real file open, as the routines below use them.
SettingsPlatform& SystemSettingsPlatform();

// Section and key are UTF-8; value, file and path are ANSI, as the platform has them.
std::string GetIniString(const std::string& section, const std::string& key, const std::string& file);
void WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file);
bool FileExists(const std::string& path);
std::string ParentFolder(const std::string& path);

// Fills the settings values from ProgramFolder() + "\Glowmere.ini".
void ReadSettings();

}  // namespace glowmere
