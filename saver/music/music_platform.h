#pragma once
// The platform calls of the background music, as one narrow interface: the four winmm
// functions the player needs, plus the conversion of the player's own texts into the
// encoding that the platform's replies arrive in. Production binds it to winmm
// (music_platform_win32.h); the unit tests bind it to a scripted fake.
#include <cstdint>
#include <string>
#include <string_view>

namespace glowmere {

class MusicPlatform {
public:
    virtual ~MusicPlatform() = default;

    // mciSendStringA with no callback window. `returnText` may be null (with length 0);
    // the device writes at most `returnLength` bytes, NUL included. Returns the MCI
    // error code, 0 for success.
    virtual uint32_t SendString(const char* command, char* returnText, uint32_t returnLength) = 0;

    // mciGetErrorStringA: false when the platform has no text for `code`.
    virtual bool GetErrorString(uint32_t code, char* text, uint32_t length) = 0;

    // waveOutGetNumDevs.
    virtual uint32_t WaveOutDeviceCount() = 0;

    // PlaySoundA with no module handle; `soundName` may be null.
    virtual bool PlaySoundName(const char* soundName, uint32_t flags) = 0;

    // The player's own texts are UTF-8 in the source; its replies carry the platform's
    // ANSI code page, like every text MCI gives back.
    virtual std::string ToAnsi(std::string_view utf8) = 0;
};

}  // namespace glowmere
