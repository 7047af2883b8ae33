// The music player's command sequences against a scripted platform: what each operation
// sends, with which return buffer and length, and how replies steer the next command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "music_player.h"
#include "scripted_music_platform.h"
#include "settings_values.h"

namespace {

using namespace music_test;
using Calls = std::vector<std::string>;

constexpr char kTrack[] = "status cdaudio current track";
constexpr char kTracks[] = "status cdaudio number of tracks";
constexpr char kCdMode[] = "status cdaudio mode";
constexpr char kMp3Mode[] = "status MP3Play mode";

class MusicTest : public ::testing::Test {
protected:
    ScriptedMusicPlatform platform;
    glowmere::Lumadrift_BGM bgm{platform};

    void SetUp() override
    {
        glowmere::BgmKind = 0;
        glowmere::BgmRepeat = 0;
        glowmere::BgmFile.clear();
    }

    // A disc in the drive: the track and count queries answer, the mode answers in turn.
    void Disc(std::vector<Answer> tracks, std::vector<Answer> modes)
    {
        platform.Script(kTrack, std::move(tracks));
        platform.Script(kTracks, {Reply("10")});
        platform.Script(kCdMode, std::move(modes));
    }

    static Calls Queries() { return {Mci(kTrack, 512), Mci(kTracks, 512), Mci(kCdMode, 255)}; }
    static Calls With(Calls calls, const Calls& more)
    {
        calls.insert(calls.end(), more.begin(), more.end());
        return calls;
    }

    // The saver form's CD timer: ticks while CdMonitorOn stays true; at run end CDStop
    // only when the timer is still on. Returns the number of checks made.
    int RunCdTimer(int ticks)
    {
        bool timerOn = true;
        int checks = 0;
        for (int i = 0; i < ticks && timerOn; ++i, ++checks) {
            bgm.CDCheck();
            timerOn = bgm.CdMonitorOn();
        }
        if (timerOn)
            bgm.CDStop();
        return checks;
    }
};

using CdMusic = MusicTest;
using Mp3Music = MusicTest;
using WavMusic = MusicTest;
using MciCommands = MusicTest;

// ---------------------------------------------------------------------------------------
// Audio CD

TEST_F(CdMusic, OpenAndStopSendTheirTwoStringsWithoutAReplyBufferWhateverTheyReturn)
{
    platform.Script("open cdaudio", {Failure(275)});
    platform.Script("stop cdaudio", {Failure(263)});
    bgm.CDOpen();
    EXPECT_EQ(platform.TakeCalls(), (Calls{MciNoBuffer("open cdaudio"), MciNoBuffer("set cdaudio time format tmsf")}));
    bgm.CDStop();
    EXPECT_EQ(platform.TakeCalls(), (Calls{MciNoBuffer("stop cdaudio"), MciNoBuffer("close cdaudio")}));
}

TEST_F(CdMusic, NoDiscEndsTheMonitorAtTheFirstTickAndNothingIsStoppedAtRunEnd)
{
    // The error text need not say "error": the check looks at "Error:" + code.
    platform.errorTexts[256] = "ドライブの準備ができていません";
    platform.Script(kTrack, {Failure(256)});
    bgm.CDOpen();
    platform.TakeCalls();

    EXPECT_EQ(RunCdTimer(5), 1);
    EXPECT_FALSE(bgm.CdMonitorOn());
    EXPECT_EQ(platform.TakeCalls(), (Calls{Mci(kTrack, 512), ErrorText(256, 256)}));

    // A drive that answers the track but not the track count ends it the same way, even
    // when the platform has no error text.
    ScriptedMusicPlatform other;
    glowmere::Lumadrift_BGM player(other);
    other.Script(kTrack, {Reply("1")});
    other.Script(kTracks, {Failure(262)});
    player.CDCheck();
    EXPECT_FALSE(player.CdMonitorOn());
    EXPECT_EQ(other.calls, (Calls{Mci(kTrack, 512), Mci(kTracks, 512), ErrorText(262, 256)}));
}

TEST_F(CdMusic, WithoutARepeatTrackAStoppedDiscIsPlayedOnAsTheModeBufferReads)
{
    // The mode is the first seven characters of its buffer, which a failed query leaves
    // as it was and a shorter reply overwrites up to its NUL.
    const std::vector<std::pair<Answer, bool>> ticks = {
        {Failure(263), false},        // never answered: the buffer holds no mode
        {Reply("stopped"), true},
        {Failure(263), true},         // still reads "stopped"
        {Reply("open"), false},       // "open\0ped"
        {Reply("playing"), false},
        {Failure(263), false},        // still reads "playing"
        {Reply("paused"), false},
        {Reply("stoppedx"), true},
        {Reply("Stopped"), false},
        {Reply("stopped"), true},     // at the end of the disc
    };
    std::vector<Answer> modes;
    for (const auto& tick : ticks)
        modes.push_back(tick.first);
    Disc({Reply("1")}, modes);
    platform.errorTexts[263] = "not open";
    for (size_t i = 0; i < ticks.size(); ++i) {
        bgm.CDCheck();
        EXPECT_TRUE(bgm.CdMonitorOn()) << "the mode query's result is never tested";
        EXPECT_EQ(platform.TakeCalls(), ticks[i].second ? With(Queries(), {Mci("play cdaudio", 512)}) : Queries())
            << "tick " << i;
    }
}

TEST_F(CdMusic, ARepeatTrackIsPlayedFromItsPositionAndRestartedWhenTheNextTrackBegins)
{
    glowmere::BgmRepeat = 3;
    // Track 1 of a 10-track disc, track 3 playing, track 4 begun, track 3 but stopped.
    Disc({Reply("1"), Reply("3"), Reply("4"), Reply("3")},
         {Reply("playing"), Reply("playing"), Reply("playing"), Reply("stopped")});
    platform.Script("status cdaudio position track 3", {Reply("03:00:00:00")});
    const Calls restart =
        With(Queries(), {Mci("status cdaudio position track 3", 512), Mci("play cdaudio from 03:00:00:00", 512)});
    for (const Calls& expected : {restart, Queries(), restart, restart}) {
        bgm.CDCheck();
        EXPECT_EQ(platform.TakeCalls(), expected);
    }
    EXPECT_TRUE(bgm.CdMonitorOn());
}

TEST_F(CdMusic, TheTrackReplyIsComparedAsANumber)
{
    // One check on a fresh drive whose track and mode queries answer as given: its calls.
    const auto check = [](const char* track, const char* mode, bool expectMonitor) {
        ScriptedMusicPlatform disc;
        glowmere::Lumadrift_BGM player(disc);
        disc.Script(kTrack, {Reply(track)});
        disc.Script(kCdMode, {Reply(mode)});
        player.CDCheck();
        EXPECT_EQ(player.CdMonitorOn(), expectMonitor) << '"' << track << '"';
        return disc.calls;
    };
    // Which replies are numbers, and which name track 3, is the number-text table's
    // business (tests/unit/settings/number_text_test.cpp); one of each here.
    glowmere::BgmRepeat = 3;
    EXPECT_EQ(check("3.0", "playing", true).size(), 3u);
    const Calls calls = check("30", "playing", true);
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[3], Mci("status cdaudio position track 3", 512));
    // A reply that is no number cannot be compared: that check fails and ends the
    // monitor, before any play command.
    EXPECT_EQ(check("3a", "stopped", false).size(), 3u);

    // Without a repeat track the track reply is never read as a number.
    glowmere::BgmRepeat = 0;
    EXPECT_EQ(check("", "stopped", true).back(), Mci("play cdaudio", 512));
}

TEST_F(CdMusic, AMissingRepeatTrackSendsTheFailingPositionTextAndTheCheckGoesOn)
{
    glowmere::BgmRepeat = 12;
    Disc({Reply("1")}, {Reply("stopped")});
    platform.Script("status cdaudio position track 12", {Failure(282)});
    platform.Script("play cdaudio from Error:282", {Failure(274)});
    platform.errorTexts[274] = "unrecognized keyword";
    const Calls failing = {Mci("status cdaudio position track 12", 512), ErrorText(282, 256),
                           Mci("play cdaudio from Error:282", 512), ErrorText(274, 256)};
    for (int tick = 0; tick < 3; ++tick) {
        bgm.CDCheck();
        EXPECT_TRUE(bgm.CdMonitorOn());
        EXPECT_EQ(platform.TakeCalls(), With(Queries(), failing)) << "tick " << tick;
    }

    // A negative repeat track is asked for as it is, and fails the same way.
    glowmere::BgmRepeat = -1;
    platform.Script("status cdaudio position track -1", {Failure(282)});
    bgm.CDCheck();
    EXPECT_TRUE(bgm.CdMonitorOn());
    EXPECT_EQ(platform.TakeCalls(), With(Queries(), {Mci("status cdaudio position track -1", 512), ErrorText(282, 256),
                                                     Mci("play cdaudio from Error:282", 512), ErrorText(274, 256)}));
}

// ---------------------------------------------------------------------------------------
// MP3

TEST_F(Mp3Music, StartOpensThePathInQuotesUnderTheAliasPlaysOnlyWhenTheOpenSucceededAndStopCloses)
{
    glowmere::BgmFile = "C:\\My Music\\night song.mp3";
    const std::string open = "open \"C:\\My Music\\night song.mp3\" type MPEGVideo Alias MP3Play";
    bgm.MP3Start();
    EXPECT_EQ(platform.TakeCalls(), (Calls{MciZeroText(open), MciZeroText("play MP3Play")}));

    platform.Script(open, {Failure(275)});
    bgm.MP3Start();
    EXPECT_EQ(platform.TakeCalls(), (Calls{MciZeroText(open)}));

    bgm.MP3Stop();
    EXPECT_EQ(platform.TakeCalls(), (Calls{MciZeroText("stop MP3Play"), MciZeroText("close MP3Play")}));
}

TEST_F(Mp3Music, CheckRestartsFromTheBeginningWheneverTheModeIsNotPlaying)
{
    // The mode's first seven characters, case-sensitive; a failed query leaves the last.
    const std::vector<std::pair<Answer, bool>> ticks = {
        {Reply("playing"), false}, {Reply("stopped"), true}, {Reply("Playing"), true}, {Reply("paused"), true},
        {Reply("playing"), false}, {Failure(263), false},    {Reply("stopped"), true}, {Failure(263), true},
    };
    std::vector<Answer> modes;
    for (const auto& tick : ticks)
        modes.push_back(tick.first);
    platform.Script(kMp3Mode, modes);
    const Calls restart = {Mci(kMp3Mode, 30), MciZeroText("stop MP3Play"), MciZeroText("play MP3Play from 0")};
    for (size_t i = 0; i < ticks.size(); ++i) {
        bgm.MP3Check();
        EXPECT_EQ(platform.TakeCalls(), ticks[i].second ? restart : Calls{Mci(kMp3Mode, 30)}) << "tick " << i;
    }
}

// ---------------------------------------------------------------------------------------
// WAV

TEST_F(WavMusic, PlaysTheFileAsAnAsyncLoopOnlyWhenThereIsAWaveOutDevice)
{
    glowmere::BgmFile = "C:\\Sounds\\rain.WAV";
    platform.waveOutDevices = 2;
    bgm.WAVPlay();
    EXPECT_EQ(platform.TakeCalls(), (Calls{kWaveOutDevices, PlaySound("C:\\Sounds\\rain.WAV", 9)}));

    platform.waveOutDevices = 0;
    bgm.WAVPlay();
    EXPECT_EQ(platform.TakeCalls(), (Calls{kWaveOutDevices}));

    // Stopping needs no device and no name.
    bgm.WAVStop();
    EXPECT_EQ(platform.TakeCalls(), (Calls{PlaySoundNull(0)}));
}

// ---------------------------------------------------------------------------------------
// The command routines

TEST_F(MciCommands, AnEmptyCommandOrAnErrorCodeRepliesWithItsText)
{
    // An empty command never reaches the platform.
    glowmere::MciResult result = bgm.SendMCI("");
    EXPECT_EQ(result.code, -1);
    EXPECT_EQ(result.reply, "<ansi>コマンド文字列が指定されていません");
    EXPECT_EQ(bgm.MCIStatus(""), "Error:-1");
    EXPECT_TRUE(platform.calls.empty());

    platform.Script("status nothing mode", {Failure(263)});
    platform.errorTexts[263] = "The specified device is not open.";
    result = bgm.SendMCI("status nothing mode");
    EXPECT_EQ(result.code, 263);
    EXPECT_EQ(result.reply, "The specified device is not open.");
    EXPECT_EQ(platform.TakeCalls(), (Calls{Mci("status nothing mode", 512), ErrorText(263, 256)}));

    platform.Script("bogus", {Failure(0x1234)});   // no error text for this code
    result = bgm.SendMCI("bogus");
    EXPECT_EQ(result.code, 0x1234);
    EXPECT_EQ(result.reply, "<ansi>Error (文字列が取れません)");
    EXPECT_EQ(bgm.MCIStatus("bogus"), "Error:4660");
}

TEST_F(MciCommands, AReplyThatFillsTheBufferIsReadToItsEndAndNoFurther)
{
    // Not on into the error text that an earlier failure left behind.
    platform.Script("status nothing mode", {Failure(263)});
    platform.errorTexts[263] = "not open";
    bgm.SendMCI("status nothing mode");
    platform.Script("info cdaudio", {Answer{0, {}, true}});
    EXPECT_EQ(bgm.SendMCI("info cdaudio").reply, std::string(512, 'x'));
}

TEST_F(MciCommands, PlayAddsOnlyThePositionsItIsGiven)
{
    platform.Script("play cdaudio from 1 to 2", {Failure(282)});
    EXPECT_EQ(bgm.MCIPlay("cdaudio", "", ""), 0);
    EXPECT_EQ(bgm.MCIPlay("cdaudio", "03:00:00:00", ""), 0);
    EXPECT_EQ(bgm.MCIPlay("cdaudio", "1", "2"), 282);
    EXPECT_EQ(bgm.MCIPlay("cdaudio", "", "5"), 0);
    const Calls calls = platform.TakeCalls();
    EXPECT_EQ(calls, (Calls{Mci("play cdaudio", 512), Mci("play cdaudio from 03:00:00:00", 512),
                            Mci("play cdaudio from 1 to 2", 512), ErrorText(282, 256), Mci("play cdaudio to 5", 512)}));
}

}  // namespace
