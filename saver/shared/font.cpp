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
    // 9.75 pt at 96 dpi is exactly 13 pixels.
    return -static_cast<int>(std::lround(font.points * dotsPerInch / 72.0));
}

}  // namespace glowmere
