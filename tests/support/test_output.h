#pragma once
// Output helpers shared by the native harness and the Windows-side test programs: bytes as
// hex (how texts in a code page are compared), and one line on standard output; for the
// Windows-side programs also their arguments in a code page.
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
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// Flushed at once: the test reading it may be waiting for this very line.
inline void PrintLine(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

#ifdef _WIN32
// UTF-16 text in `codePage` (CP_ACP or CP_UTF8).
inline std::string FromWide(const wchar_t* text, unsigned codePage)
{
    const int n = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<size_t>(n) : 1, '\0');
    WideCharToMultiByte(codePage, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

// The command line's arguments after the program's own name, in `codePage`.
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
