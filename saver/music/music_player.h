#pragma once
// Background music of a full-screen run: an audio CD through the MCI device "cdaudio"
// (optionally one track over and over), an MP3 file through an "MPEGVideo" device under
// the alias "MP3Play", or a WAV file looped with PlaySound. Every MCI command is a
// command string without wait or notify flag, so it returns at once and the device
// plays on by itself.
//
// The player owns no window and no timer. The saver form starts the music, calls
// MP3Check every second and CDCheck every 200 ms (keeping the CD timer on while
// CdMonitorOn() stays true), and stops the music when the run ends. Settings are read
// from the program-wide values of settings_values.h (BgmRepeat, BgmFile) at each call.
//
// One instance per program. Its four text buffers are allocated once, start all NUL and
// are never cleared: each reply is written over the previous one, so a query that fails
// leaves the previous reply in place, and the mode comparisons then use that reply.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "music_platform.h"

namespace glowmere {

// What SendMCI gives back: the MCI code (0 for success, -1 for an empty command) and
// the reply text, or the error text for a failure.
struct MciResult {
    int32_t code = 0;
    std::string reply;
};

class Lumadrift_BGM {
public:
    static constexpr size_t kReplyLength = 512;
    static constexpr size_t kErrorTextLength = 256;
    static constexpr size_t kCdModeLength = 255;
    static constexpr size_t kMp3ModeLength = 30;

    explicit Lumadrift_BGM(MusicPlatform& platform);
    Lumadrift_BGM(const Lumadrift_BGM&) = delete;
    Lumadrift_BGM& operator=(const Lumadrift_BGM&) = delete;

    // Audio CD. CDOpen opens the device in track/minute/second/frame format and plays
    // nothing: the first CDCheck that finds the disc stopped (or, with a repeat track,
    // on another track) starts it. CDCheck leaves its verdict in CdMonitorOn(): false
    // after any failing status query (no drive, no disc), true otherwise.
    void CDOpen();
    void CDCheck();
    bool CdMonitorOn() const { return cdMonitorOn_; }
    void CDStop();

    // MP3 file BgmFile, looped by MP3Check: whenever the device no longer reports
    // "playing", the file is stopped and played again from the start.
    void MP3Start();
    bool MP3IsPlaying();
    void MP3Check();
    void MP3Stop();

    // WAV file BgmFile as an endless asynchronous loop, when there is a wave-out device.
    void WAVPlay();
    void WAVStop();

    // The general command routine: sends `command` with the reply buffer.
    MciResult SendMCI(std::string_view command);
    // A status query: its reply, or "Error:" followed by the code in decimal.
    std::string MCIStatus(std::string_view command);
    // Sends "play <device>[ from <from>][ to <to>]" and returns SendMCI's code.
    int32_t MCIPlay(std::string_view device, std::string_view from, std::string_view to);

private:
    bool CheckCd();

    MusicPlatform& platform_;
    bool cdMonitorOn_ = false;
    char reply_[kReplyLength] = {};
    char errorText_[kErrorTextLength] = {};
    char cdMode_[kCdModeLength] = {};
    char mp3Mode_[kMp3ModeLength] = {};
    // The MP3 commands pass this one-character text "0" as their return buffer, with
    // the length 0, so the device writes nothing into it.
    char mp3Return_[2] = {'0', '\0'};
};

// Flags of the WAV loop: SND_ASYNC (1) | SND_LOOP (8).
constexpr uint32_t kWavLoopFlags = 9;

}  // namespace glowmere
