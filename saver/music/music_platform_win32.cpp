// winmm behind MusicPlatform: MCI command strings with no callback window, PlaySoundA
// with no module handle, and the player's own texts in the ANSI code page.
#include "music_platform_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include "ansi_text_win32.h"
#include "music_player.h"

namespace glowmere {

static_assert(kWavLoopFlags == (SND_ASYNC | SND_LOOP), "the WAV loop plays asynchronously and loops");

namespace {

class WinmmPlatform final : public MusicPlatform {
public:
    uint32_t SendString(const char* command, char* returnText, uint32_t returnLength) override
    {
        return mciSendStringA(command, returnText, returnLength, nullptr);
    }

    bool GetErrorString(uint32_t code, char* text, uint32_t length) override
    {
        return mciGetErrorStringA(code, text, length) != FALSE;
    }

    uint32_t WaveOutDeviceCount() override { return waveOutGetNumDevs(); }

    bool PlaySoundName(const char* soundName, uint32_t flags) override
    {
        return PlaySoundA(soundName, nullptr, flags) != FALSE;
    }

    std::string ToAnsi(std::string_view utf8) override { return glowmere::ToAnsi(utf8); }
};

}  // namespace

MusicPlatform& WinmmMusicPlatform()
{
    static WinmmPlatform platform;
    return platform;
}

}  // namespace glowmere
