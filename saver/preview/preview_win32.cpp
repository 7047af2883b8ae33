// The preview form's window: creation and re-parenting into the host, painting of the
// still picture, and its end, which also ends the process.
#include "preview_win32.h"

#include <windows.h>

#include "forms_win32.h"
#include "gdi_win32.h"
#include "preview_layout.h"
#include "resource_ids.h"
#include "startup.h"

namespace glowmere {

namespace {

constexpr char kClassName[] = "Lumadrift_R";
constexpr UINT kHostWatchInterval = 500;   // ms

class PreviewForm {
public:
    bool Place(HWND host);

private:
    static void CALLBACK WatchHost(HWND, UINT, UINT_PTR, DWORD);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void Unload();
    void Gone();

    HWND window_ = nullptr;
    HWND host_ = nullptr;
    HBITMAP picture_ = nullptr;
    UINT_PTR watchTimer_ = 0;
    bool loaded_ = false;
    PreviewLayout layout_;
};

PreviewForm& Form()
{
    static PreviewForm form;   // one form per process
    return form;
}

void DisplayDpi(int& dpiX, int& dpiY)
{
    HDC screen = GetDC(nullptr);
    dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
}

bool PreviewForm::Place(HWND host)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BoundWindowProc<PreviewForm, &PreviewForm::HandleMessage>;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);

    // The host's outer rectangle, carried over in twips.
    RECT hostRect = {};
    GetWindowRect(host, &hostRect);
    int dpiX = 96, dpiY = 96;
    DisplayDpi(dpiX, dpiY);
    layout_ = LayoutPreview(hostRect.right - hostRect.left, hostRect.bottom - hostRect.top, dpiX, dpiY);

    // Loaded at (0, 0), not shown yet.
    host_ = host;
    picture_ = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDB_PREVIEW_PICTURE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    HWND window = CreateWindowExA(0, kClassName, kPreviewTitle, WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                  0, 0, nullptr, nullptr, instance, this);
    if (!window) {
        if (picture_)
            DeleteObject(picture_);
        picture_ = nullptr;
        return false;
    }
    loaded_ = true;
    FormLoaded();

    // WS_CHILD goes on before the re-parenting; the other style bits stay.
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | WS_CHILD);
    SetParent(window, host);
    MoveWindow(window, 0, 0, layout_.width, layout_.height, FALSE);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    // A host destroyed by its own process takes the form along and ends it through
    // WM_DESTROY. When the host's process dies instead, the system removes both windows
    // without a message to us; a thread timer, which outlives the window, notices that.
    watchTimer_ = SetTimer(nullptr, 0, kHostWatchInterval, WatchHost);
    return true;
}

LRESULT PreviewForm::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        window_ = window;
        break;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_DESTROY:
        // However the window goes (unloaded, or destroyed along with the host), the form
        // is gone, and with it the process's reason to live.
        Gone();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        window_ = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void PreviewForm::Paint()
{
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window_, &paint);
    // The class brush has already painted everything black; the picture goes on top at
    // its own size, cut by the picture element.
    if (picture_ && layout_.pictureWidth > 0 && layout_.pictureHeight > 0) {
        HDC source = CreateCompatibleDC(target);
        HGDIOBJ previous = SelectObject(source, picture_);
        BitBlt(target, 0, 0, layout_.pictureWidth, layout_.pictureHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
    }
    EndPaint(window_, &paint);
}

void CALLBACK PreviewForm::WatchHost(HWND, UINT, UINT_PTR, DWORD)
{
    PreviewForm& form = Form();
    if (form.window_ && IsWindow(form.window_) && IsWindow(form.host_))
        return;
    if (form.window_ && IsWindow(form.window_))
        form.Unload();   // the host is gone but the form is not: unload it
    else
        form.Gone();     // both went without a word to this process
}

void PreviewForm::Gone()
{
    if (!loaded_)
        return;
    loaded_ = false;
    KillTimer(nullptr, watchTimer_);
    watchTimer_ = 0;
    if (picture_) {
        DeleteObject(picture_);
        picture_ = nullptr;
    }
    FormGone();
}

void PreviewForm::Unload()
{
    // The form's unload handler asks its own window to close once more; by the time that
    // message would arrive the window is gone, so it has no effect.
    PostMessageA(window_, WM_CLOSE, 0, 0);
    DestroyWindow(window_);
}

}  // namespace

bool ShowPreviewForm(int32_t hostHandle)
{
    // Handles are 32-bit values that widen with their sign.
    HWND host = reinterpret_cast<HWND>(static_cast<intptr_t>(hostHandle));
    if (hostHandle == 0 || !IsWindow(host))
        return false;
    return Form().Place(host);
}

}  // namespace glowmere
