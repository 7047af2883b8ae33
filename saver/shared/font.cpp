#include "font.h"

#include <cmath>

namespace glowmere {

bool Font::operator==(const Font& other) const
{
    return face == other.face && points == other.points && weight == other.weight && italic == other.italic &&
           underline == other.underline && strikethrough == other.strikethrough && charset == other.charset;
}

int FontPixelHeight(const Font& font, int dotsPerInch)
{
    // To the nearest pixel, a half down: a caption then never grows faster than the boxes
    // laid out for it at that dpi (9.75 pt is 19.5 pixels at 144 dpi, where a label 13
    // pixels high at 96 dpi gets 19 or 20). At 96 dpi no size falls on a half: 9.75 pt is
    // exactly 13 pixels.
    return -static_cast<int>(std::ceil(font.points * dotsPerInch / 72.0 - 0.5));
}

}  // namespace glowmere
