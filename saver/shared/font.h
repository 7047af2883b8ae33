#pragma once
// A caption font as a value: what the push button stores as its "Font" property and what
// the shell's windows turn into a GDI font (gdi_win32.h). Portable, so both the button's
// rules and their tests can hold one.
#include <cstdint>
#include <string>

namespace glowmere {

// A caption font: face (UTF-8), size in points, style and character set.
struct Font {
    std::string face;
    double points = 9.0;
    int16_t weight = 400;   // 400 regular, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    uint8_t charset = 1;    // 1 = the platform's default character set

    bool operator==(const Font& other) const;
    bool operator!=(const Font& other) const { return !(*this == other); }
};

// The font's character height in device pixels for LOGFONT's lfHeight (negative), at
// `dotsPerInch` (96 on the screen the control's constants assume); a half pixel goes down.
int FontPixelHeight(const Font& font, int dotsPerInch);

}  // namespace glowmere
