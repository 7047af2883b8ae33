#pragma once
// The screen-saver command line of Glowmere.scr, read by pure functions.
//
//   argument string   the command line after the program's own path and the one blank
//                     that separates them ("/p 1234")
//   mode letter       its second character, upper-cased; none for a shorter string.
//                     The first character (a slash or a hyphen) is never looked at, so a
//                     lone "s" or " /s" has no usable letter.
//   host handle       preview only: the text from the fourth character on (the third,
//                     a blank or a colon, is skipped whatever it is), read as a leading
//                     decimal number and rounded to the nearest integer; no number, or
//                     one beyond 32 bits, gives 0. "/p1234" reads 234.
#include <cstdint>
#include <string_view>

namespace glowmere {

std::string_view ArgumentString(std::string_view commandLine);

// 'S', 'C', 'P', any other upper-cased character, or '\0' when there is none.
char ModeLetter(std::string_view arguments);

int32_t HostHandle(std::string_view arguments);

}  // namespace glowmere
