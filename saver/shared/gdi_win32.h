#pragma once
// Win32 pieces the shell's windows share: the window procedure that hands messages to a
// form object, a picture kept in memory, a picture made from pixels, a window's dpi and a
// GDI font made from a caption font.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "font.h"

namespace glowmere {

// The window procedure of a form class: the object passed as creation data is bound to
// its window at WM_NCCREATE, and that message and every later one go to its handler.
template <class Form, LRESULT (Form::*Handler)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK BoundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Form* form = nullptr;
    if (message == WM_NCCREATE) {
        form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    } else {
        form = reinterpret_cast<Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (!form)
        return DefWindowProcA(window, message, wParam, lParam);
    return (form->*Handler)(window, message, wParam, lParam);
}

// A picture kept in memory, compatible with the screen: a window's persistent image, or
// the scratch picture a paint composes before it goes on screen in one copy.
class Canvas {
public:
    Canvas() = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() { Free(); }

    // Keeps the picture when it already has this size; false when it cannot be made.
    bool Make(int width, int height);
    void Free();
    void Fill(COLORREF colour);

    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    int width_ = 0, height_ = 0;
};

// A 24-bit DIB section, bottom row first for a positive height and top row first for a
// negative one; its pixels are at *bits. Null when the platform cannot make it.
HBITMAP MakeDibSection(int width, int height, void** bits);

// A 24-bit picture from its rows as a DIB holds them: blue, green, red, each row padded
// to 4 bytes; bottom row first for a positive height, top row first for a negative one.
// Null when the platform cannot make it.
HBITMAP MakeBitmap(int width, int height, const std::vector<uint8_t>& rows);

// The dots per inch of the monitor the window is on (GetDpiForWindow where the system has
// it, the screen's otherwise).
int WindowDpi(HWND window);

// The outer size of a window of this style whose client area is `client`, at `dpi`.
SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, int dpi);

// The font a caption asks for (face in UTF-8, reaching the platform as UTF-16, so that
// it is found on every system), at `dpi`. Null when the platform cannot make it.
HFONT MakeFont(const Font& font, int dpi);

}  // namespace glowmere
