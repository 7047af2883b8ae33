#pragma once
// A SettingsPlatform for the unit tests. It stands in for the private-profile functions
// and the file system as the platform behaves (a value longer than the buffer is cut to
// size - 1 bytes and NUL-terminated) and records every read, write and open.
#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings_file.h"

// Code page 932: a lead byte opens a two-byte character, whose second byte may be '\'.
inline bool ShiftJisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

class FakeSettingsPlatform final : public glowmere::SettingsPlatform {
public:
    std::map<std::pair<std::string, std::string>, std::string> ini;   // (section, key) → value
    std::string iniFile;
    std::set<std::string> files;

    struct Call {
        std::string section, key, value, file;   // value: the default, for a read
        uint32_t size = 0;
        bool bufferWasZeroed = false;
    };
    std::vector<Call> reads, writes;
    std::vector<std::string> opened;

    void GetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                          uint32_t size, const char* file) override
    {
        Call call{section, key, defaultValue, file, size, true};
        for (uint32_t i = 0; i < size; ++i)
            call.bufferWasZeroed = call.bufferWasZeroed && buffer[i] == '\0';
        reads.push_back(call);
        std::string value = defaultValue;
        const auto found = ini.find({section, key});
        if (file == iniFile && found != ini.end())
            value = found->second;
        const size_t n = std::min<size_t>(value.size(), size - 1);
        std::memcpy(buffer, value.data(), n);
        buffer[n] = '\0';
    }

    void WriteProfileString(const char* section, const char* key, const char* value, const char* file) override
    {
        writes.push_back({section, key, value, file});
    }

    bool OpenForReading(const std::string& path) override
    {
        opened.push_back(path);
        return files.count(path) != 0;
    }

    glowmere::LeadByteTest LeadBytes() const override { return glowmere::NoLeadBytes; }
};
