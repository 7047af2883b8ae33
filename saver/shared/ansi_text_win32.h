#pragma once
// The saver shell keeps its texts in the source as UTF-8 and converts them once, where
// they meet the platform. What a person reads (captions, labels, message boxes, the
// open-file dialog) goes to the Unicode (W) functions as UTF-16, so it reads right on
// every system. What files and other programs see (window titles and classes, the INI
// file, MCI strings, file names) goes to the ANSI (A) functions in the system code page
// (932 on a Japanese system, where the INI keys become Shift-JIS), byte for byte as ever.
#include <optional>
#include <string>
#include <string_view>

namespace glowmere {

// UTF-8 → UTF-16, for the W functions.
std::wstring ToWide(std::string_view utf8);

// UTF-8 → UTF-16 → the ANSI code page (CP_ACP).
std::string ToAnsi(std::string_view utf8);

// The ANSI code page → UTF-16 → UTF-8.
std::string FromAnsi(std::string_view ansi);

// Between the ANSI code page and UTF-16, as the A functions convert.
std::wstring AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::wstring_view wide);

// UTF-16 in the ANSI code page only when the code page can write it: no character is
// replaced by the default character or by a look-alike (best fit), so the text converts
// back to the same UTF-16. Nothing otherwise.
std::optional<std::string> WideToAnsiExactly(std::wstring_view wide);

// Whether a byte opens a two-byte character of the ANSI code page (IsDBCSLeadByte).
bool IsAnsiLeadByte(unsigned char byte);

}  // namespace glowmere
