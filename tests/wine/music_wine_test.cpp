// The music player with the real winmm under Wine, driven through musicprobe.exe: the CD
// monitor on a machine without a CD drive, the command replies in the ANSI code page, a
// WAV with and without a sound device, and an MP3 with one. (Without a sound device Wine's
// MPEGVideo device cannot build its playback graph, so an MP3 does not open.)
//
// The sound device is ALSA's "file" plugin: a default PCM that writes everything played
// into a WAV file on disk, which the test then reads. Wine's ALSA driver is the only
// one allowed, so the result does not depend on a sound server of the machine. Without a
// device, both Wine audio drivers are switched off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "byte_order.h"
#include "harness.h"

namespace {

using harness::Millis;
namespace fs = std::filesystem;

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "music"});
    return session;
}

fs::path Probe() { return harness::TestProgramsDir() / "musicprobe.exe"; }

// What the probe printed: its own lines (Wine's, if any, left out), split at "|".

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '|')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

struct MciCall {
    std::string command, buffer;
    long length = 0, code = 0;
    std::string reply;
};

struct ProbeLog {
    std::vector<std::vector<std::string>> lines;

    explicit ProbeLog(const std::string& output)
    {
        static const std::vector<std::string> kinds = {"mci", "error-text", "wave-out-devices", "play-sound",
                                                       "tick", "observe", "result", "done"};
        for (const std::string& line : harness::Lines(output))
            if (std::find(kinds.begin(), kinds.end(), Split(line)[0]) != kinds.end())
                lines.push_back(Split(line));
    }

    std::vector<std::vector<std::string>> Of(const std::string& kind) const
    {
        std::vector<std::vector<std::string>> found;
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
                     [&](const auto& f) { return f[0] == kind; });
        return found;
    }
    bool Has(const std::string& line) const
    {
        return std::find(lines.begin(), lines.end(), Split(line)) != lines.end();
    }
    std::vector<MciCall> Sent(const std::string& command = {}) const
    {
        std::vector<MciCall> found;
        for (const auto& f : Of("mci"))
            if (f.size() == 6 && (command.empty() || f[1] == command))
                found.push_back({f[1], f[2], std::atol(f[3].c_str()), std::atol(f[4].c_str()), f[5]});
        return found;
    }
    // The lines without what Wine alone decides (a call's code becomes ok or failed, an
    // error text keeps only its length) and without the observations.
    std::vector<std::string> Steps() const
    {
        std::vector<std::string> steps;
        for (auto f : lines) {
            if (f[0] == "observe")
                continue;
            if (f[0] == "mci" && f.size() == 6)
                f = {f[0], f[1], f[2], f[3], f[4] == "0" ? "ok" : "failed"};
            else if (f[0] == "error-text" && f.size() >= 3)
                f = {f[0], f[2]};
            std::string step = f[0];
            for (size_t i = 1; i < f.size(); ++i)
                step += "|" + f[i];
            steps.push_back(step);
        }
        return steps;
    }
};

using harness::Cp932;
using harness::Hex;

// ---------------------------------------------------------------------------------------
// Sound files and the sound device

constexpr int kToneRate = 22050;
constexpr double kToneAmplitude = 8000.0 / 32768.0;

// A mono 16-bit 440 Hz tone of `seconds`, as a plain PCM WAV file.
void WriteToneWav(const fs::path& file, double seconds)
{
    const uint32_t frames = static_cast<uint32_t>(seconds * kToneRate);
    std::string data;
    for (uint32_t i = 0; i < frames; ++i) {
        const auto s = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440.0 * i / kToneRate));
        data += static_cast<char>(s & 0xFF);
        data += static_cast<char>((s >> 8) & 0xFF);
    }
    auto le = [](uint32_t v, int bytes) {
        std::string b;
        for (int i = 0; i < bytes; ++i)
            b += static_cast<char>((v >> (8 * i)) & 0xFF);
        return b;
    };
    harness::WriteFile(file, "RIFF" + le(36 + static_cast<uint32_t>(data.size()), 4) + "WAVE" + "fmt " + le(16, 4) +
                                 le(1, 2) + le(1, 2) + le(kToneRate, 4) + le(kToneRate * 2, 4) + le(2, 2) + le(16, 2) +
                                 "data" + le(static_cast<uint32_t>(data.size()), 4) + data);
}

bool HaveLame() { return std::system("command -v lame >/dev/null 2>&1") == 0; }

// What reached the sound device: channel 0 of the captured samples, scaled to [-1, 1].
struct Capture {
    int rate = 0;
    std::vector<float> samples;

    float Peak() const
    {
        float peak = 0;
        for (float s : samples)
            peak = std::max(peak, std::fabs(s));
        return peak;
    }
    // Seconds of the captured stream that carry the tone (10 ms pieces with a loud peak).
    double ToneSeconds() const
    {
        const size_t piece = static_cast<size_t>(rate / 100);
        size_t loud = 0;
        for (size_t i = 0; piece > 0 && i + piece <= samples.size(); i += piece) {
            float peak = 0;
            for (size_t j = i; j < i + piece; ++j)
                peak = std::max(peak, std::fabs(samples[j]));
            if (peak > kToneAmplitude / 2)
                ++loud;
        }
        return static_cast<double>(loud) / 100.0;
    }
};

// Reads the file that ALSA's file plugin wrote: a WAV header (its sizes may not be final)
// followed by 16-bit integer or 32-bit float samples.
Capture ReadCapture(const fs::path& file)
{
    const std::string raw = harness::ReadFile(file);
    Capture capture;
    if (raw.size() < 44 || raw.compare(0, 4, "RIFF") != 0 || raw.compare(36, 4, "data") != 0)
        return capture;
    auto u16 = [&](size_t at) { return unsigned{glowmere::ReadLe16(reinterpret_cast<const uint8_t*>(raw.data()) + at)}; };
    const unsigned channels = u16(22);
    capture.rate = static_cast<int>(u16(24) | u16(26) << 16);
    const unsigned bits = u16(34);
    if (channels == 0 || (bits != 16 && bits != 32))
        return capture;
    const size_t frameBytes = channels * bits / 8;
    for (size_t at = 44; at + frameBytes <= raw.size(); at += frameBytes) {
        if (bits == 16) {
            int16_t s;
            std::memcpy(&s, raw.data() + at, 2);
            capture.samples.push_back(s / 32768.0f);
        } else {
            float s;   // ALSA's FLOAT_LE, which the plugin labels as 32-bit PCM
            std::memcpy(&s, raw.data() + at, 4);
            capture.samples.push_back(s);
        }
    }
    return capture;
}

class MusicUnderWine : public ::testing::Test {
protected:
    fs::path music;      // C:\music
    fs::path soundHome;  // HOME of a probe with a sound device: its ~/.asoundrc
    fs::path captured;   // where that device writes

    void SetUp() override
    {
        music = Session().DriveC() / "music";
        soundHome = Session().Prefix().parent_path() / "sound-home";
        captured = soundHome / "captured.wav";
        fs::remove(captured);
        harness::WriteFile(soundHome / ".asoundrc", "pcm.!default {\n  type file\n  slave.pcm \"null\"\n  file \"" +
                                                        captured.string() + "\"\n  format \"wav\"\n}\n");
    }

    static harness::StartOptions NoSoundDevice()
    {
        harness::StartOptions options;
        options.env["WINEDLLOVERRIDES"] = "winemenubuilder.exe=d;winealsa.drv,winepulse.drv=d";
        return options;
    }

    harness::StartOptions SoundDevice() const
    {
        harness::StartOptions options;
        options.env["WINEDLLOVERRIDES"] = "winemenubuilder.exe=d;winepulse.drv=d";
        options.env["HOME"] = soundHome.string();
        return options;
    }

    static ProbeLog RunProbe(const std::vector<std::string>& args, const harness::StartOptions& options = {})
    {
        harness::RunResult run = Session().Run(Probe(), args, Millis(120000), options);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        ProbeLog log(run.output);
        EXPECT_TRUE(log.Has("done")) << run.output;
        return log;
    }

    // An MP3 of a 440 Hz tone, encoded by lame from a WAV written here.
    bool MakeMp3(const fs::path& mp3, double seconds)
    {
        const fs::path wav = Session().Prefix().parent_path() / "mp3-source.wav";
        WriteToneWav(wav, seconds);
        fs::create_directories(mp3.parent_path());
        return Session().StartNative({"lame", "--quiet", "-b", "64", wav.string(), mp3.string()}).Wait(Millis(60000)) == 0;
    }
};

// ---------------------------------------------------------------------------------------

TEST_F(MusicUnderWine, WithoutACdDriveTheFirstCheckEndsTheMonitorAndNothingIsStopped)
{
    // open and set fail too, and are not looked at; the first status query ends it: no
    // second tick, no stop cdaudio, no close cdaudio.
    EXPECT_EQ(RunProbe({"cd", "3", "10"}).Steps(),
              (std::vector<std::string>{"mci|open cdaudio|null|0|failed", "mci|set cdaudio time format tmsf|null|0|failed",
                                        "mci|status cdaudio current track|buffer|512|failed", "error-text|256",
                                        "tick|1|0", "done"}));
}

TEST_F(MusicUnderWine, RepliesComeInTheAnsiCodePage)
{
    // The player's own text for an empty command, as Shift-JIS bytes.
    const ProbeLog empty = RunProbe({"send", ""});
    EXPECT_TRUE(empty.Has("result|-1|" + Hex(Cp932("コマンド文字列が指定されていません"))))
        << ::testing::PrintToString(empty.Steps());
    EXPECT_TRUE(empty.Sent().empty());

    // An unknown device: winmm's own error text.
    const ProbeLog unknown = RunProbe({"send", "status nosuchdevice mode"});
    ASSERT_EQ(unknown.Sent().size(), 1u);
    const long code = unknown.Sent()[0].code;
    EXPECT_NE(code, 0);
    const auto texts = unknown.Of("error-text");
    ASSERT_EQ(texts.size(), 1u);
    ASSERT_EQ(texts[0].size(), 5u);
    EXPECT_EQ(texts[0][3], "1");
    EXPECT_TRUE(unknown.Has("result|" + std::to_string(code) + "|" + Hex(texts[0][4])));
}

TEST_F(MusicUnderWine, WithoutASoundDeviceAWavIsNotPlayed)
{
    WriteToneWav(music / "tone.wav", 0.5);
    const ProbeLog wav = RunProbe({"wav", "C:\\music\\tone.wav", "1"}, NoSoundDevice());
    EXPECT_EQ(wav.Steps(), (std::vector<std::string>{"wave-out-devices|0", "play-sound|(null)|0|1", "done"}));
}

TEST_F(MusicUnderWine, AWavLoopsOnTheSoundDeviceUntilItIsStopped)
{
    WriteToneWav(music / "tone.wav", 0.5);
    harness::Process probe = Session().Start(Probe(), {"wav", "C:\\music\\tone.wav", "3"}, SoundDevice());

    // Once the stop has been sent, nothing more reaches the device.
    harness::Eventually([&] { return probe.Output().find("play-sound|(null)|0|") != std::string::npos; },
                        Millis(60000), Millis(50));
    std::error_code error;
    const auto atStop = fs::file_size(captured, error);
    ASSERT_FALSE(error) << "nothing reached the sound device\n" << probe.Output();
    std::this_thread::sleep_for(Millis(1000));
    EXPECT_EQ(fs::file_size(captured), atStop) << "the sound went on after the stop";
    ASSERT_EQ(probe.Wait(Millis(60000)), 0) << probe.Output();

    const auto steps = ProbeLog(probe.Output()).Steps();
    ASSERT_EQ(steps.size(), 4u) << probe.Output();
    EXPECT_EQ(steps[0].substr(0, 17), "wave-out-devices|");
    EXPECT_NE(steps[0], "wave-out-devices|0");
    EXPECT_EQ(steps[1], "play-sound|C:\\music\\tone.wav|9|1");
    EXPECT_EQ(steps[2], "play-sound|(null)|0|1");

    // The half-second tone came out many times over: it looped.
    const Capture capture = ReadCapture(captured);
    ASSERT_GT(capture.rate, 0) << "not a capture: " << captured;
    EXPECT_NEAR(capture.Peak(), kToneAmplitude, 0.02);
    EXPECT_GT(capture.ToneSeconds(), 1.5);
}

TEST_F(MusicUnderWine, AnMp3PlaysAndStartsAgainFromTheBeginningWhenItEnds)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed (scripts/setup.sh installs it): no MP3 to play";
    // A path with a blank and Japanese characters, passed in the ANSI code page.
    ASSERT_TRUE(MakeMp3(Session().DriveC() / "音楽 ファイル" / "tone.mp3", 2.0));
    const std::string path = "C:\\音楽 ファイル\\tone.mp3";
    const ProbeLog log = RunProbe({"mp3", path, "6"}, SoundDevice());

    const auto open = log.Sent("open \"" + Cp932(path) + "\" type MPEGVideo Alias MP3Play");
    ASSERT_EQ(open.size(), 1u);
    ASSERT_EQ(open[0].code, 0);
    ASSERT_EQ(log.Sent("play MP3Play").size(), 1u);
    EXPECT_EQ(log.Sent("play MP3Play")[0].code, 0);

    // Six checks of a two-second file: it played, ended, and was started again.
    std::vector<std::string> replies;
    for (const auto& m : log.Sent("status MP3Play mode")) {
        EXPECT_EQ(m.code, 0);
        EXPECT_EQ(m.length, 30);
        replies.push_back(m.reply);
    }
    ASSERT_EQ(replies.size(), 6u);
    EXPECT_EQ(replies[0], "playing") << ::testing::PrintToString(replies);
    const auto ended = std::find(replies.begin(), replies.end(), "stopped");
    ASSERT_NE(ended, replies.end()) << ::testing::PrintToString(replies);
    EXPECT_NE(std::find(ended, replies.end(), "playing"), replies.end())
        << "not playing again after the restart: " << ::testing::PrintToString(replies);
    const auto restarts = log.Sent("play MP3Play from 0");
    EXPECT_EQ(restarts.size(), static_cast<size_t>(std::count(replies.begin(), replies.end(), "stopped")));
    for (const auto& call : restarts)
        EXPECT_EQ(call.code, 0);

    // The position ran up to the length, went back to 0 and ran again.
    int rises = 0;
    long last = -1;
    for (const auto& f : log.Of("observe")) {
        ASSERT_EQ(f.size(), 3u);
        EXPECT_NEAR(std::atol(f[2].c_str()), 2000, 100) << f[1];
        const long position = std::atol(f[1].c_str());
        if (last >= 0 && last < 300 && position > last + 100)
            ++rises;   // counting up from near the start
        last = position;
    }
    EXPECT_GE(rises, 2);
    EXPECT_EQ(log.Sent("close MP3Play").size(), 1u);

    // The decoded tone reached the sound device.
    const Capture capture = ReadCapture(captured);
    ASSERT_GT(capture.rate, 0) << "not a capture: " << captured;
    EXPECT_NEAR(capture.Peak(), kToneAmplitude, 0.05);
    EXPECT_GT(capture.ToneSeconds(), 1.0);
}

}  // namespace
