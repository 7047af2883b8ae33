// The shared memory picture and font making of the shell's windows.
#include "gdi_win32.h"

#include "ansi_text_win32.h"

namespace glowmere {

bool Canvas::Make(int width, int height)
{
    if (dc_ && width == width_ && height == height_)
        return true;
    Free();
    if (width <= 0 || height <= 0)
        return false;
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    if (!dc_ || !bitmap_) {
        Free();
        return false;
    }
    previous_ = SelectObject(dc_, bitmap_);
    width_ = width;
    height_ = height;
    return true;
}

void Canvas::Free()
{
    if (dc_ && previous_)
        SelectObject(dc_, previous_);
    if (bitmap_)
        DeleteObject(bitmap_);
    if (dc_)
        DeleteDC(dc_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    previous_ = nullptr;
    width_ = height_ = 0;
}

void Canvas::Fill(COLORREF colour)
{
    if (!dc_)
        return;
    SetDCBrushColor(dc_, colour);
    RECT all = {0, 0, width_, height_};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

HFONT MakeFont(const Font& font)
{
    HDC screen = GetDC(nullptr);
    const int dotsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    LOGFONTA logFont = {};
    logFont.lfHeight = FontPixelHeight(font, dotsPerInch > 0 ? dotsPerInch : 96);
    logFont.lfWeight = font.weight;
    logFont.lfItalic = font.italic;
    logFont.lfUnderline = font.underline;
    logFont.lfStrikeOut = font.strikethrough;
    logFont.lfCharSet = font.charset;
    logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
    logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    logFont.lfQuality = DEFAULT_QUALITY;
    logFont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynA(logFont.lfFaceName, ToAnsi(font.face).c_str(), LF_FACESIZE);
    return CreateFontIndirectA(&logFont);
}

}  // namespace glowmere
