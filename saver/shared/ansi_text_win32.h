#pragma once
// The saver shell keeps its texts in the source as UTF-8 and hands them to the platform's
// ANSI entry points in the system code page (932 on a Japanese system, where the INI keys
// and captions become Shift-JIS). These two functions are that boundary.
#include <string>
#include <string_view>

namespace glowmere {

// UTF-8 → UTF-16 → the ANSI code page (CP_ACP).
std::string ToAnsi(std::string_view utf8);

// The ANSI code page → UTF-16 → UTF-8.
std::string FromAnsi(std::string_view ansi);

// Whether a byte opens a two-byte character of the ANSI code page (IsDBCSLeadByte).
bool IsAnsiLeadByte(unsigned char byte);

}  // namespace glowmere
