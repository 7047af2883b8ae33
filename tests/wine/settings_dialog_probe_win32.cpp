// settings_dialog_probe.exe: the settings dialog built from the same sources as
// Glowmere.scr, for the integration tests (built into test-bin, not shipped). It reads
// the Glowmere.ini beside itself, shows the dialog, and prints every INI write the dialog
// makes, with the exact bytes that go to WritePrivateProfileStringA, before passing it on
// (Wine's writer drops a value's leading blank, so the file alone cannot tell):
//
//   write <section> <key> <value> <file>    each as hex bytes of the ANSI code page
//   closed                                  the dialog has gone
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "ansi_text_win32.h"
#include "settings_dialog_win32.h"
#include "settings_file.h"
#include "settings_file_win32.h"
#include "test_output.h"

namespace {

// An empty text prints as "-", so every field of a line stays visible.
std::string Hex(const std::string& bytes) { return bytes.empty() ? "-" : testoutput::Hex(bytes); }

constexpr auto Print = testoutput::PrintLine;

class RecordingPlatform final : public glowmere::SettingsPlatform {
public:
    explicit RecordingPlatform(glowmere::SettingsPlatform& real) : real_(real) {}

    void GetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                          uint32_t size, const char* file) override
    {
        real_.GetProfileString(section, key, defaultValue, buffer, size, file);
    }

    void WriteProfileString(const char* section, const char* key, const char* value, const char* file) override
    {
        // Section and key are the program's own texts; the system platform converts them.
        Print("write " + Hex(glowmere::ToAnsi(section)) + " " + Hex(glowmere::ToAnsi(key)) + " " + Hex(value) + " " +
              Hex(file));
        real_.WriteProfileString(section, key, value, file);
    }

    bool OpenForReading(const std::string& path) override { return real_.OpenForReading(path); }

    glowmere::LeadByteTest LeadBytes() const override { return real_.LeadBytes(); }

private:
    glowmere::SettingsPlatform& real_;
};

}  // namespace

int main()
{
    _setmode(_fileno(stdout), _O_BINARY);
    glowmere::ReadSettings();
    RecordingPlatform platform(glowmere::SystemSettingsPlatform());
    glowmere::ShowSettingsDialog(platform);
    Print("closed");
    return 0;
}
