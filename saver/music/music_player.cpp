#include "music_player.h"

#include <cctype>
#include <cstring>
#include <optional>

#include "number_text.h"
#include "settings_values.h"

namespace glowmere {

namespace {

// The text before the first NUL, never reading past the buffer.
std::string TextOf(const char* buffer, size_t length)
{
    return std::string(buffer, strnlen(buffer, length));
}

// A mode reply is read as the first seven characters of its buffer, NULs included, so
// "paused" reads as "paused\0" and matches neither "stopped" nor "playing".
bool ModeIs(const char* modeBuffer, std::string_view mode)
{
    return std::memcmp(modeBuffer, mode.data(), 7) == 0;
}

bool ContainsErr(std::string_view reply)
{
    std::string upper(reply);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.find("ERR") != std::string::npos;
}

}  // namespace

Lumadrift_BGM::Lumadrift_BGM(MusicPlatform& platform) : platform_(platform) {}

// ---------------------------------------------------------------------------------------
// Audio CD

void Lumadrift_BGM::CDOpen()
{
    platform_.SendString("open cdaudio", nullptr, 0);
    platform_.SendString("set cdaudio time format tmsf", nullptr, 0);
}

void Lumadrift_BGM::CDCheck()
{
    cdMonitorOn_ = true;
    try {
        cdMonitorOn_ = CheckCd();
    } catch (...) {
        // A check that cannot complete ends the monitoring like a failing query.
        cdMonitorOn_ = false;
    }
}

// One tick of the CD monitor; false ends the monitoring for the rest of the run.
bool Lumadrift_BGM::CheckCd()
{
    // No drive, no disc or an ejected disc: the first queries fail.
    const std::string track = MCIStatus("status cdaudio current track");
    if (ContainsErr(track))
        return false;
    const std::string count = MCIStatus("status cdaudio number of tracks");
    if (ContainsErr(count))
        return false;

    // Sent directly into the mode buffer; a failure leaves the previous mode there.
    platform_.SendString("status cdaudio mode", cdMode_, kCdModeLength);
    const bool stopped = ModeIs(cdMode_, "stopped");

    if (BgmRepeat != 0) {
        // Playing from the repeat track runs on into the next one; the first tick that
        // sees another track (or a stopped disc) starts the repeat track again.
        const std::optional<DecimalNumber> current = ParseDecimal(track);
        if (!current)
            return false;
        if (stopped || !IsExactly(*current, BgmRepeat)) {
            const std::string position = MCIStatus("status cdaudio position track " + std::to_string(BgmRepeat));
            MCIPlay("cdaudio", position, {});
        }
    } else if (stopped) {
        MCIPlay("cdaudio", {}, {});
    }
    return true;
}

void Lumadrift_BGM::CDStop()
{
    platform_.SendString("stop cdaudio", nullptr, 0);
    platform_.SendString("close cdaudio", nullptr, 0);
}

// ---------------------------------------------------------------------------------------
// MP3

void Lumadrift_BGM::MP3Start()
{
    // The path between double quotes, so that paths with blanks open.
    const std::string open = "open \"" + BgmFile + "\" type MPEGVideo Alias MP3Play";
    if (platform_.SendString(open.c_str(), mp3Return_, 0) == 0)
        platform_.SendString("play MP3Play", mp3Return_, 0);
}

bool Lumadrift_BGM::MP3IsPlaying()
{
    platform_.SendString("status MP3Play mode", mp3Mode_, kMp3ModeLength);
    return ModeIs(mp3Mode_, "playing");
}

void Lumadrift_BGM::MP3Check()
{
    if (MP3IsPlaying())
        return;
    platform_.SendString("stop MP3Play", mp3Return_, 0);
    platform_.SendString("play MP3Play from 0", mp3Return_, 0);
}

void Lumadrift_BGM::MP3Stop()
{
    platform_.SendString("stop MP3Play", mp3Return_, 0);
    platform_.SendString("close MP3Play", mp3Return_, 0);
}

// ---------------------------------------------------------------------------------------
// WAV

void Lumadrift_BGM::WAVPlay()
{
    if (platform_.WaveOutDeviceCount() > 0)
        platform_.PlaySoundName(BgmFile.c_str(), kWavLoopFlags);
}

void Lumadrift_BGM::WAVStop()
{
    // A null sound name stops whatever PlaySound is playing.
    platform_.PlaySoundName(nullptr, 0);
}

// ---------------------------------------------------------------------------------------
// Command strings

MciResult Lumadrift_BGM::SendMCI(std::string_view command)
{
    if (command.empty())
        return {-1, platform_.ToAnsi("コマンド文字列が指定されていません")};
    const std::string text(command);
    const auto code = static_cast<int32_t>(platform_.SendString(text.c_str(), reply_, kReplyLength));
    if (code == 0)
        return {0, TextOf(reply_, kReplyLength)};
    if (!platform_.GetErrorString(static_cast<uint32_t>(code), errorText_, kErrorTextLength))
        return {code, platform_.ToAnsi("Error (文字列が取れません)")};
    return {code, TextOf(errorText_, kErrorTextLength)};
}

std::string Lumadrift_BGM::MCIStatus(std::string_view command)
{
    MciResult result = SendMCI(command);
    if (result.code != 0)
        return "Error:" + std::to_string(result.code);
    return std::move(result.reply);
}

int32_t Lumadrift_BGM::MCIPlay(std::string_view device, std::string_view from, std::string_view to)
{
    std::string command = "play ";
    command += device;
    if (!from.empty()) {
        command += " from ";
        command += from;
    }
    if (!to.empty()) {
        command += " to ";
        command += to;
    }
    return SendMCI(command).code;
}

}  // namespace glowmere
