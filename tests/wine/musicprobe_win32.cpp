// musicprobe.exe: runs the real music player with the real winmm under Wine and prints
// every platform call it makes, one line each, so that a test can read what happened.
//
//   cd <repeat> <ticks>          CDOpen, then up to <ticks> CD timer ticks 200 ms apart
//                                (the timer stays on while CdMonitorOn is true), then
//                                CDStop if the timer is still on
//   mp3 <file> <seconds>         MP3Start, one MP3Check a second, then MP3Stop
//   wav <file> <seconds>         WAVPlay, wait, WAVStop, then 1.5 s more
//   send <command>               SendMCI: the code, then the reply's ANSI bytes in hex
//
// Lines (fields separated by "|"):
//   mci|<command>|<null, text or buffer>|<length>|<code>|<reply written>
//   error-text|<code>|<length>|<1 or 0>|<text>
//   wave-out-devices|<count>
//   play-sound|<name or (null)>|<flags>|<1 or 0>
//   tick|<n>|<CdMonitorOn 1 or 0>
//   observe|<position reply>|<length reply>   (four times a second, past the player)
//   result|...   done
// Between steps the probe keeps dispatching messages, as the saver form's loop does between ticks.
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "music_platform_win32.h"
#include "music_player.h"
#include "settings_values.h"
#include "test_output.h"

namespace {

using testoutput::Hex;
constexpr auto Line = testoutput::PrintLine;

// Forwards to winmm and prints each call.
class LoggingPlatform final : public glowmere::MusicPlatform {
public:
    explicit LoggingPlatform(glowmere::MusicPlatform& real) : real_(real) {}

    uint32_t SendString(const char* command, char* returnText, uint32_t returnLength) override
    {
        const std::string kind = !returnText ? "null" : returnLength == 0 ? "text" : "buffer";
        const uint32_t code = real_.SendString(command, returnText, returnLength);
        std::string reply;
        if (returnText && returnLength > 0)
            reply.assign(returnText, strnlen(returnText, returnLength));
        Line("mci|" + std::string(command) + "|" + kind + "|" + std::to_string(returnLength) + "|" +
             std::to_string(code) + "|" + reply);
        return code;
    }

    bool GetErrorString(uint32_t code, char* text, uint32_t length) override
    {
        const bool ok = real_.GetErrorString(code, text, length);
        Line("error-text|" + std::to_string(code) + "|" + std::to_string(length) + "|" + (ok ? "1" : "0") + "|" +
             (ok ? std::string(text, strnlen(text, length)) : std::string()));
        return ok;
    }

    uint32_t WaveOutDeviceCount() override
    {
        const uint32_t count = real_.WaveOutDeviceCount();
        Line("wave-out-devices|" + std::to_string(count));
        return count;
    }

    bool PlaySoundName(const char* soundName, uint32_t flags) override
    {
        const bool ok = real_.PlaySoundName(soundName, flags);
        Line(std::string("play-sound|") + (soundName ? soundName : "(null)") + "|" + std::to_string(flags) + "|" +
             (ok ? "1" : "0"));
        return ok;
    }

    std::string ToAnsi(std::string_view utf8) override { return real_.ToAnsi(utf8); }

private:
    glowmere::MusicPlatform& real_;
};

// Waits while dispatching messages, like the message loop between two timer ticks.
void PumpFor(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(end - now) <= 0)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
}

// Position and length of the open MP3, asked without touching the player's buffers.
void Observe()
{
    char position[64] = {}, length[64] = {};
    mciSendStringA("status MP3Play position", position, sizeof position, nullptr);
    mciSendStringA("status MP3Play length", length, sizeof length, nullptr);
    Line(std::string("observe|") + position + "|" + length);
}

int RunCd(glowmere::Lumadrift_BGM& bgm, int repeat, int ticks)
{
    glowmere::BgmRepeat = static_cast<int16_t>(repeat);
    bgm.CDOpen();
    bool timerOn = true;
    for (int tick = 1; tick <= ticks && timerOn; ++tick) {
        PumpFor(200);
        bgm.CDCheck();
        timerOn = bgm.CdMonitorOn();
        Line("tick|" + std::to_string(tick) + "|" + (timerOn ? "1" : "0"));
    }
    if (timerOn)
        bgm.CDStop();
    return 0;
}

int RunMp3(glowmere::Lumadrift_BGM& bgm, const std::string& file, int seconds)
{
    glowmere::BgmFile = file;
    bgm.MP3Start();
    Observe();
    for (int tick = 1; tick <= seconds; ++tick) {
        // Four looks a second at the position, the player's own check once a second.
        for (int quarter = 0; quarter < 4; ++quarter) {
            PumpFor(250);
            Observe();
        }
        bgm.MP3Check();
    }
    bgm.MP3Stop();
    return 0;
}

int RunWav(glowmere::Lumadrift_BGM& bgm, const std::string& file, int seconds)
{
    glowmere::BgmFile = file;
    bgm.WAVPlay();
    PumpFor(static_cast<DWORD>(seconds) * 1000);
    bgm.WAVStop();
    // A while longer, so that a sound that went on after the stop would be heard.
    PumpFor(1500);
    return 0;
}

}  // namespace

int main()
{
    // Arguments as the ANSI code page sees them, like the program's own strings.
    const std::vector<std::string> args = testoutput::Arguments(CP_ACP);
    if (args.empty()) {
        Line("usage: musicprobe cd|mp3|wav|send ...");
        return 2;
    }

    LoggingPlatform platform(glowmere::WinmmMusicPlatform());
    glowmere::Lumadrift_BGM bgm(platform);
    const std::string& what = args[0];
    const auto arg = [&](size_t i) { return i < args.size() ? args[i] : std::string(); };
    int code = 2;
    if (what == "cd") {
        code = RunCd(bgm, std::atoi(arg(1).c_str()), std::atoi(arg(2).c_str()));
    } else if (what == "mp3") {
        code = RunMp3(bgm, arg(1), std::atoi(arg(2).c_str()));
    } else if (what == "wav") {
        code = RunWav(bgm, arg(1), std::atoi(arg(2).c_str()));
    } else if (what == "send") {
        const glowmere::MciResult result = bgm.SendMCI(arg(1));
        Line("result|" + std::to_string(result.code) + "|" + Hex(result.reply));
        code = 0;
    }
    Line("done");
    return code;
}
