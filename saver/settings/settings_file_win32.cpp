// Binds the settings rules of settings_file.cpp to the private-profile functions and a
// real file open.
#include "settings_file_win32.h"

#include <windows.h>

#include "ansi_text_win32.h"
#include "program_folder_win32.h"
#include "settings_file.h"

namespace glowmere {

namespace {

class Win32SettingsPlatform final : public SettingsPlatform {
public:
    void GetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                          uint32_t size, const char* file) override
    {
        GetPrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(), defaultValue, buffer, size, file);
    }

    void WriteProfileString(const char* section, const char* key, const char* value, const char* file) override
    {
        WritePrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(), value, file);
    }

    bool OpenForReading(const std::string& path) override
    {
        // A folder cannot be opened this way (no FILE_FLAG_BACKUP_SEMANTICS), so it
        // answers false like a missing file.
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            SetLastError(ERROR_SUCCESS);   // leave no error pending for the caller
            return false;
        }
        CloseHandle(file);
        return true;
    }

    LeadByteTest LeadBytes() const override { return IsAnsiLeadByte; }
};

Win32SettingsPlatform& Platform()
{
    static Win32SettingsPlatform platform;
    return platform;
}

}  // namespace

SettingsPlatform& SystemSettingsPlatform() { return Platform(); }

bool FileExists(const std::string& path) { return FileExists(Platform(), path); }

void ReadSettings() { ReadSettings(Platform(), ProgramFolder()); }

}  // namespace glowmere
