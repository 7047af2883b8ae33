// The test build of Glowmere.scr plays its music and shows the cursor through this file
// instead of winmm and ShowCursor: each call goes to run-calls.log beside the program as
// "<ms since the first call> <call>". Commands succeed with an empty reply, but an MP3 plays
// for 200 ms after each play, then reports "stopped" (a short file that ends), and with
// GLOWMERE_TEST_NO_CD set the CD's queries fail as on a machine without a drive.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ansi_text_win32.h"
#include "music_platform.h"
#include "program_folder_win32.h"
#include "saver_form_win32.h"

namespace glowmere {

namespace {

constexpr DWORD kMp3Length = 200;

void Log(const std::string& line)
{
    static const DWORD start = GetTickCount();
    if (FILE* file = std::fopen((ProgramFolder() + "\\run-calls.log").c_str(), "ab")) {
        std::fprintf(file, "%lu %s\n", GetTickCount() - start, line.c_str());
        std::fclose(file);
    }
}

class RecordingMusicPlatform final : public MusicPlatform {
public:
    uint32_t SendString(const char* command, char* returnText, uint32_t returnLength) override
    {
        const std::string text = command;
        Log("send " + text);
        if (text.rfind("play MP3Play", 0) == 0)
            played_ = GetTickCount();
        if (text.rfind("status cdaudio", 0) == 0 && std::getenv("GLOWMERE_TEST_NO_CD"))
            return 256;
        const std::string reply =
            text == "status MP3Play mode" ? (GetTickCount() - played_ < kMp3Length ? "playing" : "stopped") : "";
        if (returnText && returnLength > reply.size())
            std::memcpy(returnText, reply.c_str(), reply.size() + 1);
        return 0;
    }
    bool GetErrorString(uint32_t, char*, uint32_t) override { return false; }
    uint32_t WaveOutDeviceCount() override { return 1; }
    bool PlaySoundName(const char* soundName, uint32_t flags) override
    {
        Log("playsound " + std::string(soundName ? soundName : "(null)") + " " + std::to_string(flags));
        return true;
    }
    std::string ToAnsi(std::string_view utf8) override { return glowmere::ToAnsi(utf8); }

private:
    DWORD played_ = 0;
};

}  // namespace

MusicPlatform& SaverMusicPlatform()
{
    static RecordingMusicPlatform platform;
    return platform;
}

void ShowCursorAfterRun() { Log("show-cursor"); }

}  // namespace glowmere
