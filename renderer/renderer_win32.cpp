// The renderer program's Win32 and WGL edge: entry, the full-screen window and display
// switch, the GL context and projection, the message loop and the window procedure.
// All runtime state lives in one Renderer object, created at start-up and torn down in
// reverse; the frame itself is drawn by the portable code in frame.cpp.
#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include "clock_win32.h"
#include "frame.h"
#include "gl_draw_target_win32.h"
#include "program.h"
#include "textures_win32.h"

namespace glowmere::renderer {

namespace {

constexpr char kClassName[] = "Lumadrift_VC";   // also the window title the saver shell looks for
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

LRESULT CALLBACK RendererWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (RendererMessageAction(message, wParam)) {
    case MessageAction::Quit:
        // The window itself is destroyed by the teardown after the loop has ended.
        PostQuitMessage(0);
        return 0;
    case MessageAction::Validate: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case MessageAction::Handled:
        return 0;
    case MessageAction::Default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
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
    if (r.fullScreen)
        RestoreDisplayAndCursor();
    UnregisterClassA(kClassName, r.instance);
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
    DestroyRendererWindow();
    r.frame.spiritPool.reset();
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
