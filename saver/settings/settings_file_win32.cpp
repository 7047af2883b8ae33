// Binds the settings rules of settings_file.cpp to the private-profile functions and a
// real file open, and owns the program folder and the zoom animations.
#include "settings_file_win32.h"

#include <windows.h>

#include <vector>

#include "ansi_text_win32.h"
#include "settings_file.h"
#include "settings_values.h"

namespace glowmere {

namespace {

bool SystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

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

    LeadByteTest LeadBytes() const override { return SystemLeadByte; }
};

Win32SettingsPlatform& Platform()
{
    static Win32SettingsPlatform platform;
    return platform;
}

void AnimateCaption(HWND window, bool towardsWindow)
{
    RECT windowRect = {};
    GetWindowRect(window, &windowRect);
    const RECT point = {CursorX, CursorY, CursorX, CursorY};
    if (towardsWindow)
        DrawAnimatedRects(window, IDANI_CAPTION, &point, &windowRect);
    else
        DrawAnimatedRects(window, IDANI_CAPTION, &windowRect, &point);
}

}  // namespace

SettingsPlatform& SystemSettingsPlatform() { return Platform(); }

std::string ProgramFolder()
{
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size())
            return ParentFolder(std::string(path.data(), n), SystemLeadByte);
        path.resize(path.size() * 2);   // a long path was cut: ask again with more room
    }
}

std::string GetIniString(const std::string& section, const std::string& key, const std::string& file)
{
    return GetIniString(Platform(), section, key, file);
}

void WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file)
{
    WriteIniString(Platform(), section, key, value, file);
}

bool FileExists(const std::string& path) { return FileExists(Platform(), path); }

std::string ParentFolder(const std::string& path) { return ParentFolder(path, SystemLeadByte); }

void ReadSettings() { ReadSettings(Platform(), ProgramFolder()); }

void ZoomFromCursor(HWND__* window) { AnimateCaption(window, true); }

void ZoomToCursor(HWND__* window) { AnimateCaption(window, false); }

}  // namespace glowmere
