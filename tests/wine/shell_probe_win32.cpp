// shell_probe.exe: parts of Glowmere.scr on their own, built from the same sources, for
// the integration tests. It uses the Glowmere.ini beside it.
//
//   read                    ReadSettings, then: kind <n>, repeat <n>, file <hex>, folder <hex>
//   write (<key> <value>)...  WriteIniString("Section", key, value, <folder>\Glowmere.ini)
//                           through the system's settings platform, for each pair: ok
//   get <key>               GetIniString("Section", key, ...) through the same platform, as
//                           hex ANSI bytes
//   dialog                  ReadSettings, then the settings dialog, printing every INI write
//                           it makes with the exact bytes that go to
//                           WritePrivateProfileStringA before passing it on (Wine's writer
//                           drops a value's leading blank, so the file alone cannot tell):
//                             write <section> <key> <value> <file>   hex ANSI bytes, "-" if empty
//   preview <w> <h> <x> <y> the preview form in a w x h host window of this very process at
//                           (x, y), titled "PreviewProbeHost", until the form is gone (under
//                           Wine, a child window painted by another process than its host's
//                           never reaches the screen)
//
// Arguments arrive as UTF-16; keys go on as UTF-8 (the program's own texts), values in the
// ANSI code page, as the shell holds them.
#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ansi_text_win32.h"
#include "forms_win32.h"
#include "preview_win32.h"
#include "program_folder_win32.h"
#include "settings_dialog_win32.h"
#include "settings_file.h"
#include "settings_file_win32.h"
#include "settings_values.h"
#include "test_output.h"

namespace {

using testoutput::Hex;
constexpr auto Print = testoutput::PrintLine;

std::string HexOrDash(const std::string& bytes) { return bytes.empty() ? "-" : Hex(bytes); }

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
        Print("write " + HexOrDash(glowmere::ToAnsi(section)) + " " + HexOrDash(glowmere::ToAnsi(key)) + " " +
              HexOrDash(value) + " " + HexOrDash(file));
        real_.WriteProfileString(section, key, value, file);
    }

    bool OpenForReading(const std::string& path) override { return real_.OpenForReading(path); }

    glowmere::LeadByteTest LeadBytes() const override { return real_.LeadBytes(); }

private:
    glowmere::SettingsPlatform& real_;
};

int Preview(int width, int height, int x, int y)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "GlowmerePreviewProbeHost";
    RegisterClassA(&windowClass);
    HWND host = CreateWindowExA(0, windowClass.lpszClassName, "PreviewProbeHost", WS_POPUP | WS_VISIBLE, x, y, width,
                                height, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!host || !glowmere::ShowPreviewForm(static_cast<int32_t>(reinterpret_cast<intptr_t>(host))))
        return 1;
    return glowmere::RunFormsMessageLoop();
}

}  // namespace

int main()
{
    _setmode(_fileno(stdout), _O_BINARY);
    const std::vector<std::string> args = testoutput::Arguments(CP_UTF8);
    auto arg = [&](size_t i) { return i < args.size() ? args[i] : std::string(); };
    auto number = [&](size_t i) { return std::atoi(arg(i).c_str()); };
    const std::string command = arg(0);
    const std::string iniFile = glowmere::ProgramFolder() + glowmere::kSettingsFileName;

    if (command == "read") {
        glowmere::ReadSettings();
        Print("kind " + std::to_string(glowmere::BgmKind));
        Print("repeat " + std::to_string(glowmere::BgmRepeat));
        Print("file " + Hex(glowmere::BgmFile));
        Print("folder " + Hex(glowmere::BgmFolder));
    } else if (command == "write") {
        for (size_t i = 1; i + 1 < args.size(); i += 2)
            glowmere::WriteIniString(glowmere::SystemSettingsPlatform(), glowmere::kSettingsSection, args[i],
                                     glowmere::ToAnsi(args[i + 1]), iniFile);
        Print("ok");
    } else if (command == "get") {
        Print(Hex(glowmere::GetIniString(glowmere::SystemSettingsPlatform(), glowmere::kSettingsSection, arg(1),
                                         iniFile)));
    } else if (command == "dialog") {
        glowmere::ReadSettings();
        RecordingPlatform platform(glowmere::SystemSettingsPlatform());
        glowmere::ShowSettingsDialog(platform);
    } else if (command == "preview") {
        return Preview(number(1), number(2), number(3), number(4));
    } else {
        Print("usage: shell_probe read | write (<key> <value>)... | get <key> | dialog | preview <w> <h> <x> <y>");
        return 2;
    }
    return 0;
}
