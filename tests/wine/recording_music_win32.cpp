// The test build of Glowmere.scr plays its music through this platform instead of winmm:
// every call is appended to music-calls.log in the program's folder, and every command
// succeeds with an empty reply, so the run's music sequence can be read back.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ansi_text_win32.h"
#include "music_platform.h"
#include "program_folder_win32.h"
#include "saver_form_win32.h"

namespace glowmere {

namespace {

class RecordingMusicPlatform final : public MusicPlatform {
public:
    uint32_t SendString(const char* command, char* returnText, uint32_t returnLength) override
    {
        Log("send " + std::string(command));
        // An MP3 that reports "playing" is left alone by the one-second check.
        const std::string reply = std::string(command) == "status MP3Play mode" ? "playing" : "";
        if (returnText && returnLength > reply.size())
            std::memcpy(returnText, reply.c_str(), reply.size() + 1);
        return 0;
    }
    bool GetErrorString(uint32_t, char* text, uint32_t length) override
    {
        if (length > 0)
            text[0] = '\0';
        return false;
    }
    uint32_t WaveOutDeviceCount() override { return 1; }
    bool PlaySoundName(const char* soundName, uint32_t flags) override
    {
        Log("playsound " + std::string(soundName ? soundName : "(null)") + " " + std::to_string(flags));
        return true;
    }
    std::string ToAnsi(std::string_view utf8) override { return glowmere::ToAnsi(utf8); }

private:
    static void Log(const std::string& line)
    {
        const std::string path = ProgramFolder() + "\\music-calls.log";
        if (FILE* file = std::fopen(path.c_str(), "ab")) {
            std::fprintf(file, "%s\n", line.c_str());
            std::fclose(file);
        }
    }
};

}  // namespace

MusicPlatform& SaverMusicPlatform()
{
    static RecordingMusicPlatform platform;
    return platform;
}

}  // namespace glowmere
