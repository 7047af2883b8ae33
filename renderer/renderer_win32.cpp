// The renderer program's Win32 and WGL edge: entry, the full-screen window and display
// switch, the black covers over the other monitors, the GL context and projection, the
// message loop and the window procedures. All runtime state lives in one Renderer object,
// created at start-up and torn down in reverse; the frame itself is drawn by the portable
// code in frame.cpp.
#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <vector>

#include "clock_win32.h"
#include "covers.h"
#include "frame.h"
#include "gl_draw_target_win32.h"
#include "program.h"
#include "textures_win32.h"

namespace glowmere::renderer {

namespace {

constexpr char kClassName[] = "Lumadrift_VC";   // also the window title the saver shell looks for
constexpr char kCoverClassName[] = "Lumadrift_Cover";   // covers have no title
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr BYTE kColourBits = 16;               // colour and depth bits of the pixel format

struct Renderer {
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
    RECT clientRect = {};
    bool fullScreen = false;
    std::vector<HWND> covers;   // one per monitor other than the window's, during a full-screen run

    FrameState frame;
    Win32Clock clock;
    CLibraryRandom random;   // rand(), seeded once by InitRenderer
    GlDrawTarget target;
};

Renderer& State()
{
    static Renderer renderer;
    return renderer;
}

void LayOutCovers(HWND window);

LRESULT Perform(MessageAction action, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (action) {
    case MessageAction::Quit:
        // The window itself is destroyed by the teardown after the loop has ended.
        PostQuitMessage(0);
        return 0;
    case MessageAction::Validate: {
        PAINTSTRUCT paint;   // a cover's class brush paints it black on the way
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case MessageAction::Handled:
        return 0;
    case MessageAction::LayOutCovers:
        LayOutCovers(window);
        break;
    case MessageAction::KeepInactive:
        // WS_EX_NOACTIVATE alone does not keep a click on a cover from taking the
        // activation, and with it the keyboard, from the renderer's window under Wine.
        return MA_NOACTIVATE;
    case MessageAction::HideCursor:
        SetCursor(nullptr);
        return TRUE;
    case MessageAction::Default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK RendererWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Perform(RendererMessageAction(message, wParam), window, message, wParam, lParam);
}

LRESULT CALLBACK CoverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Perform(CoverMessageAction(message, wParam), window, message, wParam, lParam);
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM monitors)
{
    reinterpret_cast<std::vector<ScreenRect>*>(monitors)->push_back({rect->left, rect->top, rect->right, rect->bottom});
    return TRUE;
}

// Blacks out every monitor but the one `window` lies on. Existing covers are moved rather
// than re-created, and all are painted at once: at start-up the message loop begins only
// after the textures have loaded, and a display change can leave stale pixels on a monitor
// that did not move. A cover that cannot be created is done without.
void LayOutCovers(HWND window)
{
    Renderer& r = State();
    std::vector<ScreenRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    MONITORINFO own = {};
    own.cbSize = sizeof own;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &own);   // left empty if it fails
    const RECT& kept = own.rcMonitor;
    const std::vector<ScreenRect> rects = CoverRects(monitors, {kept.left, kept.top, kept.right, kept.bottom});

    for (; r.covers.size() > rects.size(); r.covers.pop_back())
        DestroyWindow(r.covers.back());
    for (size_t i = 0; i < rects.size(); ++i) {
        const ScreenRect& at = rects[i];
        if (i == r.covers.size()) {
            HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kCoverClassName, "",
                                         WS_POPUP, at.left, at.top, at.right - at.left, at.bottom - at.top, nullptr,
                                         nullptr, r.instance, nullptr);
            if (!cover)
                return;
            r.covers.push_back(cover);
        }
        SetWindowPos(r.covers[i], HWND_TOPMOST, at.left, at.top, at.right - at.left, at.bottom - at.top,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
        RedrawWindow(r.covers[i], nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW | RDW_UPDATENOW);
    }
}

void RemoveCovers()
{
    Renderer& r = State();
    for (HWND cover : r.covers)
        DestroyWindow(cover);
    r.covers.clear();
    UnregisterClassA(kCoverClassName, r.instance);
}

// Changes the resolution only: depth, refresh rate and flags stay as the current mode has them.
void ChangeToFullScreenMode()
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode))
        return;
    mode.dmPelsWidth = kScreenWidth;
    mode.dmPelsHeight = kScreenHeight;
    if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL)
        PostQuitMessage(0);   // start-up goes on; the loop ends at its first look at the queue
}

void RestoreDisplayAndCursor()
{
    RemoveCovers();   // before the restore moves the other monitors from under them
    ChangeDisplaySettingsA(nullptr, 0);   // back to the mode stored in the registry
    ShowCursor(TRUE);
}

HWND CreateRendererWindow(const char* title, int width, int height, HINSTANCE instance)
{
    Renderer& r = State();

    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = RendererWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);

    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (r.fullScreen) {
        ChangeToFullScreenMode();
        ShowCursor(FALSE);
        style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    }
    r.instance = instance;

    RECT rect = {0, 0, width, height};
    AdjustWindowRect(&rect, style, FALSE);

    HWND window = CreateWindowExA(0, kClassName, title, style, 0, 0, rect.right - rect.left,
                                  rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
    if (!window)
        return nullptr;

    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SetFocus(window);
    if (r.fullScreen) {
        // After the switch, which can move the other monitors; black, without a cursor.
        windowClass.style = 0;
        windowClass.lpfnWndProc = CoverWndProc;
        windowClass.hIcon = nullptr;
        windowClass.hCursor = nullptr;
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = kCoverClassName;
        RegisterClassA(&windowClass);
        LayOutCovers(window);
    }
    return window;
}

bool SetupPixelFormat(HDC deviceContext)
{
    PIXELFORMATDESCRIPTOR descriptor = {};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = kColourBits;
    descriptor.cDepthBits = kColourBits;
    descriptor.iLayerType = PFD_MAIN_PLANE;

    const int index = ChoosePixelFormat(deviceContext, &descriptor);
    if (index == 0)
        return false;
    return SetPixelFormat(deviceContext, index, &descriptor) != FALSE;
}

void ResizeGlScene(int width, int height)
{
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height),
                   static_cast<double>(0.01f), 5000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void CreateGlContext(int width, int height)
{
    Renderer& r = State();
    r.deviceContext = GetDC(r.window);
    if (!SetupPixelFormat(r.deviceContext))
        PostQuitMessage(0);   // the remaining steps run all the same
    r.renderingContext = wglCreateContext(r.deviceContext);
    wglMakeCurrent(r.deviceContext, r.renderingContext);
    ResizeGlScene(width, height);
}

void InitRenderer(HWND window)
{
    Renderer& r = State();
    srand(static_cast<unsigned>(time(nullptr)));
    r.window = window;
    GetClientRect(window, &r.clientRect);
    CreateGlContext(r.clientRect.right, r.clientRect.bottom);
    LoadTextures(r.frame.textureNames);
    InitScene(r.frame, r.clock, r.random);

    // Render state for the whole run. Only the floor changes any of it (blending and the
    // bound texture), and it restores both before the spirits are drawn.
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glClearDepth(1.0);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);   // additive, weighted by alpha
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, r.frame.textureNames[kSpiritTexture]);
}

void DestroyRendererWindow()
{
    Renderer& r = State();
    if (r.renderingContext) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(r.renderingContext);
        r.renderingContext = nullptr;
    }
    if (r.deviceContext) {
        ReleaseDC(r.window, r.deviceContext);
        r.deviceContext = nullptr;
    }
    if (r.window) {
        DestroyWindow(r.window);   // the saver shell watches for this window to go
        r.window = nullptr;
    }
    UnregisterClassA(kClassName, r.instance);
    r.frame.spiritPool.reset();
}

void DrawAndPresentFrame()
{
    Renderer& r = State();
    DrawFrame(r.frame, r.target, r.random);
    SwapBuffers(r.deviceContext);
}

int RunMessageLoop()
{
    Renderer& r = State();
    MSG message;
    bool startUpOver = false;
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;   // pending messages take precedence over drawing
        }
        if (!startUpOver) {
            // The first empty queue ends start-up, both pictures loaded. A wait on the
            // queue with a zero timeout marks the process input-idle, which the saver shell
            // asks for before it removes the desktop picture (Wine does not count an empty
            // PeekMessage as idle). It returns at once, so drawing is never held up.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
            startUpOver = true;
        }
        TickFrameClock(r.frame, r.clock);
        DrawAndPresentFrame();
    }
    return static_cast<int>(message.wParam);
}

class Win32RendererSteps final : public RendererSteps {
public:
    explicit Win32RendererSteps(HINSTANCE instance) : instance_(instance) {}

    bool CreateRendererWindow() override
    {
        window_ = renderer::CreateRendererWindow(kClassName, kScreenWidth, kScreenHeight, instance_);
        return window_ != nullptr;
    }
    void RestoreDisplayAndCursor() override { renderer::RestoreDisplayAndCursor(); }
    void InitRenderer() override { renderer::InitRenderer(window_); }
    int RunMessageLoop() override { return renderer::RunMessageLoop(); }
    void DestroyRendererWindow() override { renderer::DestroyRendererWindow(); }

private:
    HINSTANCE instance_;
    HWND window_ = nullptr;
};

}  // namespace

}  // namespace glowmere::renderer

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    using namespace glowmere::renderer;
    State().fullScreen = true;
    Win32RendererSteps steps(instance);
    return RunRenderer(steps);
}
