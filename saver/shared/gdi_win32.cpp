// The shared memory picture, picture and font making and dpi of the shell's windows.
#include "gdi_win32.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ansi_text_win32.h"
#include "display_scale.h"

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

namespace {

// A user32 function the system may not have (they came with Windows 10), or null.
template <class Function>
Function User32Function(const char* name)
{
    const FARPROC found = GetProcAddress(GetModuleHandleA("user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

}  // namespace

HBITMAP MakeDibSection(int width, int height, void** bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    *bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

HBITMAP MakeBitmap(int width, int height, const std::vector<uint8_t>& rows)
{
    void* bits = nullptr;
    HBITMAP bitmap = MakeDibSection(width, height, &bits);
    const size_t size = ((static_cast<size_t>(width) * 3 + 3) & ~size_t(3)) * static_cast<size_t>(std::abs(height));
    if (bitmap && bits)
        std::memcpy(bits, rows.data(), std::min(size, rows.size()));
    GdiFlush();
    return bitmap;
}

int WindowDpi(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow && window)
        if (const UINT dpi = getDpiForWindow(window))
            return static_cast<int>(dpi);
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
}

SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, int dpi)
{
    using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
    RECT outer = {0, 0, client.cx, client.cy};
    if (!adjustForDpi || !adjustForDpi(&outer, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

HFONT MakeFont(const Font& font, int dpi)
{
    LOGFONTW logFont = {};
    logFont.lfHeight = FontPixelHeight(font, dpi > 0 ? dpi : kDesignDpi);
    logFont.lfWeight = font.weight;
    logFont.lfItalic = font.italic;
    logFont.lfUnderline = font.underline;
    logFont.lfStrikeOut = font.strikethrough;
    logFont.lfCharSet = font.charset;
    logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
    logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    logFont.lfQuality = DEFAULT_QUALITY;
    logFont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(logFont.lfFaceName, ToWide(font.face).c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&logFont);
}

}  // namespace glowmere
