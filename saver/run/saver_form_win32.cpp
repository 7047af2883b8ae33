// The saver form's window: the desktop capture and the hand-off files, the renderer start,
// the music and its two timers, the renderer watch, and the end of the run with the
// removal of the desktop picture.
#include "saver_form_win32.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bitmap_file.h"
#include "command_line.h"
#include "forms_win32.h"
#include "gdi_win32.h"
#include "music_player.h"
#include "picture_file_win32.h"
#include "program_folder_win32.h"
#include "saver_run.h"
#include "settings_values.h"
#include "spirit_picture.h"
#include "startup.h"

namespace glowmere {

namespace {

constexpr char kClassName[] = "Lumadrift_S";
constexpr char kDesktopPictureFile[] = "C:\\n_hale\\Lumadrift1.bmp";
constexpr char kSpiritPictureFile[] = "C:\\n_hale\\Lumadrift2.bmp";

// The form's timers: Timer1 restarts an MP3 that has stopped, Timer2 watches the CD,
// Timer3 watches the renderer's window.
enum TimerId : UINT_PTR { kTimer1 = 1, kTimer2 = 2, kTimer3 = 3 };
constexpr UINT kTimer1Interval = 1000;
constexpr UINT kTimer2Interval = 200;
constexpr UINT kTimer3Interval = 500;

// The desktop picture is copied from the screen in bands of this many bytes of rows. The
// copy goes through an image of the area it copies, and a small one is cheap to make and
// reuse where one of a whole large screen costs far more than the copy itself (under
// Wine, about 30 ms in bands against 900 ms at once for 3840 x 2160).
constexpr size_t kCaptureBandBytes = size_t(256) << 10;

// Writes the primary screen's pixels, copied with BitBlt from the desktop window's device
// context, as a 24-bit bottom-up picture file: band by band, bottom band first as the file
// holds its rows, straight from the band's section into the file. Nothing is written when
// the copy cannot be made.
void WriteDesktopPicture(const char* path, int width, int height, const std::vector<uint8_t>& descriptor)
{
    if (width <= 0 || height <= 0)
        return;
    const size_t stride = Bitmap24::Stride(width);
    const int bandRows = static_cast<int>(std::clamp<size_t>(kCaptureBandBytes / stride, 1, height));
    void* bits = nullptr;
    HBITMAP section = MakeDibSection(width, bandRows, &bits);
    if (!section)
        return;
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = memory ? SelectObject(memory, section) : nullptr;
    HWND desktop = GetDesktopWindow();
    HDC screen = previous ? GetDC(desktop) : nullptr;
    if (screen) {
        WholeFileWriter file(path, descriptor);
        const auto header = Bmp24Header(width, height);
        file.Append(header.data(), header.size());
        for (int bottom = height; bottom > 0; bottom -= bandRows) {
            // The band's lowest row goes to the section's lowest, its first in memory.
            const int rows = std::min(bandRows, bottom);
            BitBlt(memory, 0, bandRows - rows, width, rows, screen, 0, bottom - rows, SRCCOPY);
            GdiFlush();
            file.Append(bits, stride * static_cast<size_t>(rows));
        }
        file.Commit();
        ReleaseDC(desktop, screen);
    }
    if (previous)
        SelectObject(memory, previous);
    if (memory)
        DeleteDC(memory);
    DeleteObject(section);
}

DisplayMode ModeOf(DWORD which)
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, which, &mode))
        return {};
    return {mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel};
}

class SaverForm {
public:
    explicit SaverForm(MusicPlatform& platform) : music_(platform) {}

    void Load();

private:
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void FormLoad();
    void StartRenderer();
    void Timer1Tick();
    void Timer2Tick();
    void Timer3Tick();
    [[noreturn]] void FormQueryUnload();

    bool RendererWindowExists() const;
    bool RendererProcessRunning() const;

    HWND window_ = nullptr;
    Lumadrift_BGM music_;
    HANDLE renderer_ = nullptr;
    RendererWatch watch_{false, 0};
    bool timer2On_ = false;   // Timer1 needs no flag: the music file's kind says whether it runs
};

void SaverForm::Load()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BoundWindowProc<SaverForm, &SaverForm::HandleMessage>;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);

    // A top-level window, so that another start of the program finds it by its title; no
    // border or caption, and never shown.
    if (!CreateWindowExA(0, kClassName, kSaverRunTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this))
        return;
    FormLoaded();
    FormLoad();
}

LRESULT SaverForm::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        window_ = window;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_CREATE:
        // The renderer watch runs from the form's creation; its ticks arrive only once
        // Main has returned to the message loop.
        SetTimer(window_, kTimer3, kTimer3Interval, nullptr);
        return 0;
    case WM_TIMER:
        switch (wParam) {
        case kTimer1:
            Timer1Tick();
            return 0;
        case kTimer2:
            Timer2Tick();
            return 0;
        case kTimer3:
            Timer3Tick();
            return 0;
        default:
            return 0;
        }
    case WM_CLOSE:
        // Any unload of the form (a close request from another program among them) ends
        // the run with the full clean-up.
        FormQueryUnload();
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            FormQueryUnload();   // the user's log-on ends
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void SaverForm::FormLoad()
{
    // The form, and the capture picture inside it, cover the primary screen.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    RECT inner = {};
    GetClientRect(window_, &inner);

    // Both hand-off pictures are complete on disk before the renderer starts, because it
    // reads them during its own start-up. The desktop may show private things: only its
    // owner can read the picture of it, or, where that descriptor cannot be built, it is
    // written with the folder's rights rather than not at all.
    WriteDesktopPicture(kDesktopPictureFile, inner.right, inner.bottom, OwnerOnlyDescriptor());
    WriteWholeFile(kSpiritPictureFile, EncodeBmp24(MakeSpiritPicture()));

    StartRenderer();

    // The music the settings ask for, with the timer that watches it.
    if (BgmKind == 1) {
        music_.CDOpen();
        timer2On_ = SetTimer(window_, kTimer2, kTimer2Interval, nullptr) != 0;
    }
    if (BgmKind == 2) {
        const MusicFileKind kind = MusicFileKindOf(BgmFile);
        if (kind == MusicFileKind::Wav)
            music_.WAVPlay();
        if (kind == MusicFileKind::Mp3) {
            music_.MP3Start();
            SetTimer(window_, kTimer1, kTimer1Interval, nullptr);
        }
    }
}

void SaverForm::StartRenderer()
{
    const std::string folder = ProgramFolder();
    const std::string path = folder + kRendererFileName;
    std::string commandLine = RendererCommandLine(folder);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    // The program is named explicitly and quoted on its command line: nothing but our
    // renderer can start, whatever blanks the program folder holds.
    const bool started = CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &startup, &process) != FALSE;
    if (started) {
        // The shell's own window is never shown, so the system may not count it as the
        // foreground program; pass that right on, so the renderer's window can take the
        // keyboard (Escape ends the run) when it appears.
        AllowSetForegroundWindow(process.dwProcessId);
        CloseHandle(process.hThread);
        renderer_ = process.hProcess;
    }
    watch_ = RendererWatch(started, GetTickCount());
}

void SaverForm::Timer1Tick() { music_.MP3Check(); }

void SaverForm::Timer2Tick()
{
    music_.CDCheck();
    if (!music_.CdMonitorOn()) {
        // Off for the rest of the run: no disc, no drive or a failing query.
        KillTimer(window_, kTimer2);
        timer2On_ = false;
    }
}

void SaverForm::Timer3Tick()
{
    const bool windowExists = RendererWindowExists();
    const bool processRunning = RendererProcessRunning();
    if (watch_.RendererGone(windowExists, processRunning, GetTickCount())) {
        KillTimer(window_, kTimer3);
        FormQueryUnload();
    }
}

bool SaverForm::RendererWindowExists() const { return FindWindowA(nullptr, kRendererTitle) != nullptr; }

// The process this run started has not ended yet.
bool SaverForm::RendererProcessRunning() const
{
    return renderer_ && WaitForSingleObject(renderer_, 0) == WAIT_TIMEOUT;
}

void SaverForm::FormQueryUnload()
{
    if (timer2On_) {
        KillTimer(window_, kTimer2);
        timer2On_ = false;
        music_.CDStop();
    }
    if (BgmKind == 2) {
        const MusicFileKind kind = MusicFileKindOf(BgmFile);
        if (kind == MusicFileKind::Wav)
            music_.WAVStop();
        if (kind == MusicFileKind::Mp3) {
            KillTimer(window_, kTimer1);
            music_.MP3Stop();
        }
    }
    if (ModeLetter(ArgumentString(GetCommandLineA())) == 'S')
        ShowCursorAfterRun();

    // A renderer that died without its teardown leaves its display mode behind.
    const bool rendererRunning = RendererWindowExists() || RendererProcessRunning();
    if (DisplayNeedsRestore(ModeOf(ENUM_CURRENT_SETTINGS), ModeOf(ENUM_REGISTRY_SETTINGS), rendererRunning))
        ChangeDisplaySettingsA(nullptr, 0);

    // Idle is asked first: a renderer that ends between the two questions then counts as
    // ended. Asked the other way round it would count as running and not idle, because
    // WaitForInputIdle fails for a process that has ended.
    const bool rendererIdle = renderer_ && WaitForInputIdle(renderer_, 0) == 0;
    if (DesktopPictureDisposable(renderer_ != nullptr, !RendererProcessRunning(), rendererIdle))
        DeleteFileA(kDesktopPictureFile);

    ExitProcess(kExitNormal);
}

}  // namespace

void LoadSaverForm()
{
    // One form per process; it lives until the process ends.
    static SaverForm* form = new SaverForm(SaverMusicPlatform());
    form->Load();
}

}  // namespace glowmere
