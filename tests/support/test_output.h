#pragma once
// Texts of the Windows-side test programs: bytes as lower-case hex (how texts in a code
// page are compared), a line on standard output, UTF-16 in a code page, and the command
// line's arguments.
#include <cstdio>
#include <string>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace testoutput {

inline std::string Hex(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes)
        out += {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    return out;
}

// Flushed at once: the test reading it may be waiting for this very line.
inline void PrintLine(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

#ifdef _WIN32
inline std::string FromWide(const wchar_t* text, unsigned codePage)   // CP_ACP or CP_UTF8
{
    const int n = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<size_t>(n) : 1, '\0');
    WideCharToMultiByte(codePage, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out.substr(0, out.size() - 1);
}

// The arguments after the program's own name, in `codePage`.
inline std::vector<std::string> Arguments(unsigned codePage)
{
    int argc = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(FromWide(wide[i], codePage));
    return args;
}
#endif

}  // namespace testoutput
