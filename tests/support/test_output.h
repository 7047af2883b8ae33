#pragma once
// Output helpers shared by the native harness and the Windows-side test programs: bytes as
// hex (how texts in a code page are compared), and one line on standard output.
#include <cstdio>
#include <string>

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

}  // namespace testoutput
