#pragma once
// A SettingsPlatform that behaves as the platform's private-profile functions do (a value
// longer than the buffer is cut to size - 1 bytes) and records every read, write and open.
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
    std::map<std::string, std::string> ini;   // key → value, in `iniFile`'s section "Section"
    std::string iniFile;
    std::set<std::string> files;
    std::vector<std::string> reads, writes, opened;   // "section key value file", and the default for a read

    void GetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                          uint32_t size, const char* file) override
    {
        bool zeroed = true;
        for (uint32_t i = 0; i < size; ++i)
            zeroed = zeroed && buffer[i] == '\0';
        reads.push_back(std::string(section) + " " + key + " [" + defaultValue + "] " + file + " " +
                        std::to_string(size) + (zeroed ? " zeroed" : ""));
        const auto found = ini.find(key);
        const std::string value = file == iniFile && std::string(section) == "Section" && found != ini.end()
                                      ? found->second : defaultValue;
        const size_t n = std::min<size_t>(value.size(), size - 1);
        std::memcpy(buffer, value.data(), n);
        buffer[n] = '\0';
    }
    void WriteProfileString(const char* section, const char* key, const char* value, const char* file) override
    {
        writes.push_back(std::string(section) + " " + key + " [" + value + "] " + file);
    }
    bool OpenForReading(const std::string& path) override { return opened.push_back(path), files.count(path) != 0; }
    glowmere::LeadByteTest LeadBytes() const override { return glowmere::NoLeadBytes; }
};
