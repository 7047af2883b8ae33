#pragma once
// A MusicPlatform for the unit tests: records every call (with the return buffer it was
// given and that buffer's length) as one readable line, and answers MCI commands from a
// script of replies and error codes.
#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "music_platform.h"

namespace music_test {

struct Answer {
    uint32_t code = 0;
    std::string reply;             // written into the return buffer on success
    bool fillWithoutNul = false;   // fill the whole buffer, leaving no NUL
};

inline Answer Reply(std::string text) { return {0, std::move(text)}; }
// A failing command writes nothing into its return buffer.
inline Answer Failure(uint32_t code) { return {code, {}}; }

// The lines the fake records.
inline std::string Mci(const std::string& command, uint32_t length)
{
    return "mci [" + command + "] buffer " + std::to_string(length);
}
inline std::string MciNoBuffer(const std::string& command) { return "mci [" + command + "] null 0"; }
inline std::string MciZeroText(const std::string& command) { return "mci [" + command + "] text \"0\" 0"; }
inline std::string ErrorText(uint32_t code, uint32_t length)
{
    return "error-text " + std::to_string(code) + " " + std::to_string(length);
}
inline std::string PlaySound(const std::string& name, uint32_t flags)
{
    return "play-sound [" + name + "] " + std::to_string(flags);
}
inline std::string PlaySoundNull(uint32_t flags) { return "play-sound null " + std::to_string(flags); }
inline const std::string kWaveOutDevices = "wave-out-devices";

class ScriptedMusicPlatform final : public glowmere::MusicPlatform {
public:
    std::vector<std::string> calls;
    std::map<uint32_t, std::string> errorTexts;   // codes without an entry have no text
    uint32_t waveOutDevices = 1;

    // Answers for one command, used in order; the last one answers every later call.
    // A command without a script succeeds with an empty reply.
    void Script(const std::string& command, std::vector<Answer> answers)
    {
        script_[command] = std::deque<Answer>(answers.begin(), answers.end());
    }

    uint32_t SendString(const char* command, char* returnText, uint32_t returnLength) override
    {
        const std::string text = command;
        std::string line = "mci [" + text + "] ";
        if (!returnText)
            line += "null " + std::to_string(returnLength);
        else if (returnLength == 0)
            line += "text \"" + std::string(returnText, strnlen(returnText, 1)) + "\" 0";
        else
            line += "buffer " + std::to_string(returnLength);
        calls.push_back(line);

        Answer answer;
        if (auto found = script_.find(text); found != script_.end() && !found->second.empty()) {
            answer = found->second.front();
            if (found->second.size() > 1)
                found->second.pop_front();
        }
        if (answer.code == 0 && returnText && returnLength > 0) {
            if (answer.fillWithoutNul) {
                std::memset(returnText, 'x', returnLength);
            } else {
                const size_t n = std::min<size_t>(answer.reply.size(), returnLength - 1);
                std::memcpy(returnText, answer.reply.data(), n);
                returnText[n] = '\0';
            }
        }
        return answer.code;
    }

    bool GetErrorString(uint32_t code, char* text, uint32_t length) override
    {
        calls.push_back(ErrorText(code, length));
        const auto found = errorTexts.find(code);
        if (found == errorTexts.end() || length == 0)
            return false;
        const size_t n = std::min<size_t>(found->second.size(), length - 1);
        std::memcpy(text, found->second.data(), n);
        text[n] = '\0';
        return true;
    }

    uint32_t WaveOutDeviceCount() override
    {
        calls.push_back(kWaveOutDevices);
        return waveOutDevices;
    }

    bool PlaySoundName(const char* soundName, uint32_t flags) override
    {
        calls.push_back(soundName ? PlaySound(soundName, flags) : PlaySoundNull(flags));
        return true;
    }

    // Marks converted texts, so a test sees that the player's own texts were converted.
    std::string ToAnsi(std::string_view utf8) override { return "<ansi>" + std::string(utf8); }

    // The calls since the last look, then forgets them.
    std::vector<std::string> TakeCalls()
    {
        std::vector<std::string> taken;
        taken.swap(calls);
        return taken;
    }

private:
    std::map<std::string, std::deque<Answer>> script_;
};

}  // namespace music_test
