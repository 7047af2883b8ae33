// settings_probe.exe: the shell's settings code on its own, for the integration tests.
// It is built from the same sources as Glowmere.scr and uses the Glowmere.ini beside it.
//
//   read                   ReadSettings, then: kind <n>, repeat <n>, file <hex>, folder <hex>
//   write <key> <value>    WriteIniString("Section", key, value, <folder>\Glowmere.ini)
//   get <key>              GetIniString("Section", key, ...) as hex ANSI bytes
//   exists <path>          FileExists: 1 or 0
//
// Arguments arrive as UTF-16; keys go on as UTF-8 (the program's own texts), values and
// paths in the ANSI code page, as the shell holds them. Strings are printed as hex bytes
// of the ANSI code page.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ansi_text_win32.h"
#include "settings_file.h"
#include "settings_file_win32.h"
#include "settings_values.h"
#include "test_output.h"

namespace {

using testoutput::Hex;
constexpr auto Print = testoutput::PrintLine;

std::string Utf8(const wchar_t* text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<size_t>(n) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

}  // namespace

int main()
{
    int argc = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Utf8(wide[i]));
    auto arg = [&](size_t i) { return i < args.size() ? args[i] : std::string(); };
    const std::string command = arg(0);
    const std::string iniFile = glowmere::ProgramFolder() + glowmere::kSettingsFileName;

    if (command == "read") {
        glowmere::ReadSettings();
        Print("kind " + std::to_string(glowmere::BgmKind));
        Print("repeat " + std::to_string(glowmere::BgmRepeat));
        Print("file " + Hex(glowmere::BgmFile));
        Print("folder " + Hex(glowmere::BgmFolder));
    } else if (command == "write") {
        glowmere::WriteIniString(glowmere::kSettingsSection, arg(1), glowmere::ToAnsi(arg(2)), iniFile);
        Print("ok");
    } else if (command == "get") {
        Print(Hex(glowmere::GetIniString(glowmere::kSettingsSection, arg(1), iniFile)));
    } else if (command == "exists") {
        Print(glowmere::FileExists(glowmere::ToAnsi(arg(1))) ? "1" : "0");
    } else {
        Print("usage: settings_probe read | write <key> <value> | get <key> | exists <path>");
        return 2;
    }
    return 0;
}
