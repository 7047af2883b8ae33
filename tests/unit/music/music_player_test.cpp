// The music player's command strings against a scripted platform: what each operation
// sends, with which return buffer and length, and how replies steer the next command.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>

#include "music_player.h"
#include "settings_values.h"

namespace {

using Calls = std::vector<std::string>;

// Records every call with the return buffer it was given; answers each MCI command in turn from its
// script, the last answer over and over: "#263" fails with 263, "*" fills the buffer without a NUL.
struct ScriptedPlatform final : glowmere::MusicPlatform {
    Calls calls;
    std::map<std::string, std::deque<std::string>> script;
    std::map<uint32_t, std::string> errorTexts;   // codes without an entry have no text
    uint32_t devices = 1;

    uint32_t SendString(const char* command, char* out, uint32_t length) override
    {
        calls.push_back("mci [" + std::string(command) + "] " +
                        (!out ? "null " : length ? "buffer " : "text \"" + std::string(out, strnlen(out, 1)) + "\" ") +
                        std::to_string(length));
        std::deque<std::string>& answers = script[command];
        const std::string answer = answers.empty() ? "" : answers.front();
        if (answers.size() > 1)
            answers.pop_front();
        if (answer.size() > 1 && answer[0] == '#')
            return static_cast<uint32_t>(std::stoul(answer.substr(1)));
        if (out && length)
            answer == "*" ? (void)std::memset(out, 'x', length) : (void)std::snprintf(out, length, "%s", answer.c_str());
        return 0;
    }
    bool GetErrorString(uint32_t code, char* text, uint32_t length) override
    {
        calls.push_back("error-text " + std::to_string(code) + " " + std::to_string(length));
        return errorTexts.count(code) && std::snprintf(text, length, "%s", errorTexts[code].c_str()) >= 0;
    }
    uint32_t WaveOutDeviceCount() override { return calls.push_back("wave-out devices"), devices; }
    bool PlaySoundName(const char* name, uint32_t flags) override
    {
        return calls.push_back("play-sound [" + std::string(name ? name : "null") + "] " + std::to_string(flags)), true;
    }
    std::string ToAnsi(std::string_view utf8) override { return "<ansi>" + std::string(utf8); }
    Calls Take() { return std::exchange(calls, {}); }
};

std::string Mci(const std::string& command, int n) { return "mci [" + command + "] buffer " + std::to_string(n); }
std::string Mp3(const std::string& command) { return "mci [" + command + "] text \"0\" 0"; }
const std::string kTrack = "status cdaudio current track", kTracks = "status cdaudio number of tracks",
                  kMode = "status cdaudio mode";
const Calls kQueries = {Mci(kTrack, 512), Mci(kTracks, 512), Mci(kMode, 255)};

Calls With(Calls calls, const Calls& more) { return calls.insert(calls.end(), more.begin(), more.end()), calls; }

struct Music : ::testing::Test {
    ScriptedPlatform platform;
    glowmere::Lumadrift_BGM bgm{platform};
    void SetUp() override { glowmere::BgmRepeat = 0, glowmere::BgmFile.clear(), platform.script[kTracks] = {"10"}; }
};

TEST_F(Music, ACdIsOpenedAndStoppedWithoutABufferAndAFailingQueryOrATrackThatIsNoNumberEndsTheMonitor)
{
    platform.script["open cdaudio"] = {"#275"};
    bgm.CDOpen(), bgm.CDStop();
    EXPECT_EQ(platform.Take(), (Calls{"mci [open cdaudio] null 0", "mci [set cdaudio time format tmsf] null 0",
                                      "mci [stop cdaudio] null 0", "mci [close cdaudio] null 0"}));
    // The check looks for "Error:" and the code, so an error text need not say "error".
    platform.errorTexts[256] = "ドライブの準備ができていません";
    const std::tuple<int, const char*, const char*, Calls> cases[] = {   // repeat, track, track count
        {0, "#256", "10", {Mci(kTrack, 512), "error-text 256 256"}},
        {3, "1", "#262", {Mci(kTrack, 512), Mci(kTracks, 512), "error-text 262 256"}}, {3, "3a", "10", kQueries}};
    for (const auto& [repeat, track, tracks, expected] : cases) {
        glowmere::BgmRepeat = repeat;
        platform.script[kTrack] = {track}, platform.script[kTracks] = {tracks}, platform.script[kMode] = {"stopped"};
        bgm.CDCheck();
        EXPECT_FALSE(bgm.CdMonitorOn()) << track;
        EXPECT_EQ(platform.Take(), expected) << track;
    }
}

TEST_F(Music, WithoutARepeatTrackAStoppedDiscIsPlayedOnAsTheModeBufferReadsAndARepeatTrackFromItsPosition)
{
    // The mode is the first seven bytes of its buffer: a failed query leaves it as it was, a
    // shorter reply overwrites it up to its NUL ("open\0ped"). "+": the disc is played on.
    const std::string ticks[] = {"#263",  "+stopped", "+#263",     "open",    "playing",
                                 "#263",  "paused",   "+stoppedx", "Stopped", "+stopped"};
    for (const std::string& tick : ticks)
        platform.script[kMode].push_back(tick.substr(tick[0] == '+'));
    for (const std::string& tick : ticks) {
        bgm.CDCheck();
        EXPECT_TRUE(bgm.CdMonitorOn()) << "the mode query's result is never tested";
        EXPECT_EQ(platform.Take(), tick[0] == '+' ? With(kQueries, {Mci("play cdaudio", 512)}) : kQueries) << tick;
    }
    // A repeat track is played from its position when another track plays or the disc stopped.
    glowmere::BgmRepeat = 3;
    platform.script["status cdaudio position track 3"] = {"03:00:00:00"};
    const Calls restart =
        With(kQueries, {Mci("status cdaudio position track 3", 512), Mci("play cdaudio from 03:00:00:00", 512)});
    const std::tuple<const char*, const char*, bool> plays[] = {{"3", "playing", false}, {"4", "playing", true},
        {"3", "stopped", true}, {" 3.0 ", "playing", false}, {"30", "playing", true}};
    for (const auto& [track, mode, restarts] : plays) {
        platform.script[kTrack] = {track}, platform.script[kMode] = {mode};
        bgm.CDCheck();
        EXPECT_TRUE(bgm.CdMonitorOn());
        EXPECT_EQ(platform.Take(), restarts ? restart : kQueries) << track << " " << mode;
    }
    // A track the disc does not have: the failing position's text is played from; the checks go on.
    glowmere::BgmRepeat = -1;
    platform.script["status cdaudio position track -1"] = {"#282"};
    bgm.CDCheck();
    EXPECT_TRUE(bgm.CdMonitorOn());
    EXPECT_EQ(platform.Take(), With(kQueries, {Mci("status cdaudio position track -1", 512), "error-text 282 256",
                                               Mci("play cdaudio from Error:282", 512)}));
}

TEST_F(Music, AnMp3OpensInQuotesPlaysOnlyWhenOpenedAndRestartsWhenNotPlayingAndAWavLoopsOnlyWithADevice)
{
    glowmere::BgmFile = "C:\\My Music\\night song.mp3";
    const std::string open = "open \"C:\\My Music\\night song.mp3\" type MPEGVideo Alias MP3Play";
    platform.script[open] = {"", "#275"};
    bgm.MP3Start(), bgm.MP3Start();
    EXPECT_EQ(platform.Take(), (Calls{Mp3(open), Mp3("play MP3Play"), Mp3(open)}));
    // The mode's first seven characters, case-sensitive; a failed query leaves the last. "+": restarted.
    const std::string ticks[] = {"playing", "+stopped", "+Playing", "+paused", "playing", "#263", "+stopped", "+#263"};
    for (const std::string& tick : ticks)
        platform.script["status MP3Play mode"].push_back(tick.substr(tick[0] == '+'));
    const Calls query = {Mci("status MP3Play mode", 30)};
    const Calls restart = With(query, {Mp3("stop MP3Play"), Mp3("play MP3Play from 0")});
    for (const std::string& tick : ticks) {
        bgm.MP3Check();
        EXPECT_EQ(platform.Take(), tick[0] == '+' ? restart : query) << tick;
    }
    bgm.MP3Stop();
    EXPECT_EQ(platform.Take(), (Calls{Mp3("stop MP3Play"), Mp3("close MP3Play")}));
    // A WAV loops only with a wave-out device and stops without one.
    glowmere::BgmFile = "C:\\Sounds\\rain.WAV";
    bgm.WAVPlay();
    platform.devices = 0;
    bgm.WAVPlay(), bgm.WAVStop();
    EXPECT_EQ(platform.Take(), (Calls{"wave-out devices", "play-sound [C:\\Sounds\\rain.WAV] 9", "wave-out devices",
                                      "play-sound [null] 0"}));
}

TEST_F(Music, RepliesAreReadOnlyUpToTheirBufferAndTheOwnTextsAreInTheAnsiCodePage)
{
    EXPECT_EQ(bgm.SendMCI("").reply, "<ansi>コマンド文字列が指定されていません");
    EXPECT_EQ(bgm.MCIStatus(""), "Error:-1");
    EXPECT_TRUE(platform.Take().empty()) << "an empty command is never sent";
    platform.errorTexts[263] = "The specified device is not open.";
    platform.script["status x mode"] = {"#263"}, platform.script["bogus"] = {"#4660"}, platform.script["info"] = {"*"};
    const glowmere::MciResult failed = bgm.SendMCI("status x mode");
    EXPECT_EQ(std::to_string(failed.code) + " " + failed.reply, "263 The specified device is not open.");
    EXPECT_EQ(bgm.SendMCI("bogus").reply, "<ansi>Error (文字列が取れません)");
    EXPECT_EQ(bgm.MCIStatus("bogus"), "Error:4660");
    // A reply that fills its buffer ends there, not in the error text stored after it.
    EXPECT_EQ(bgm.SendMCI("info").reply, std::string(512, 'x'));
}

}  // namespace
