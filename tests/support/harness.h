#pragma once
// Test harness for running the real Windows programs under Wine.
//
// A WineSession owns everything one test program needs: its own X display (Xvfb on a free
// display number), its own WINEPREFIX (hard links to a template prefix made once per build
// tree), one persistent wineserver started before any other Wine process of the prefix, and
// every process it starts. Every Wine process runs with the session's locale (by default
// ja_JP.UTF-8: ANSI code page 932). The end stops the server with `wineserver -k` for this
// prefix only, waits for it, and stops the display by its process id.
//
// Windows-side questions (is there a window titled X, what does a message box say, post a
// message) are answered by testtool.exe, built by the cross configuration from
// tests/wine/testtool_win32.cpp.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace harness {

namespace fs = std::filesystem;
using Millis = std::chrono::milliseconds;

constexpr unsigned kWmClose = 0x0010;
constexpr unsigned kWmCommand = 0x0111;

// Asks `done` every `step` until it holds (true) or `timeout` has passed (false).
template <class Done>
bool Eventually(Done done, Millis timeout, Millis step = Millis(50))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(step);
    }
}

fs::path ProgramsDir();       // Glowmere.dll and Glowmere.scr
fs::path TestProgramsDir();   // testtool.exe and the test build of the shell
fs::path SourceDir();         // the repository

// Makes the template prefix of this build tree unless it is there (a CTest fixture runs it
// once before the suites; a suite started on its own makes it on first use).
void MakeTemplatePrefix();

// A child process started by the harness. Ending it means SIGKILL by its own pid.
class Process {
public:
    Process() = default;
    Process(pid_t pid, fs::path output);
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    ~Process();   // kills the process if it is still running

    bool Running();
    // The exit code, or nothing when the process is still running after `timeout`.
    std::optional<int> Wait(Millis timeout);
    void Kill();
    // What the process wrote to its standard output (and error) so far.
    std::string Output() const;
    // The first line of the output that starts with `start`, once it is there.
    std::optional<std::string> WaitForLine(const std::string& start, Millis timeout);

private:
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
    fs::path output_;
};

struct RunResult {
    std::optional<int> exitCode;   // nothing: it timed out and was killed
    std::string output;
};

// Pixels top row first, 3 bytes (R, G, B) per pixel.
struct Rgb {
    int r = 0, g = 0, b = 0;
    int Brightness() const { return r + g + b; }
    bool Is(int rgb) const { return r == (rgb >> 16) && g == ((rgb >> 8) & 0xFF) && b == (rgb & 0xFF); }
    bool Near(Rgb o, int distance) const { return std::abs(r - o.r) + std::abs(g - o.g) + std::abs(b - o.b) < distance; }
    std::string Hex() const   // "RRGGBB", for messages
    {
        char text[8];
        std::snprintf(text, sizeof text, "%02X%02X%02X", r & 0xFF, g & 0xFF, b & 0xFF);
        return text;
    }
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    Rgb At(int x, int y) const;
    // The share of pixels in [x0, x1) x [y0, y1) for which `test` holds.
    template <class Test>
    double Fraction(int x0, int y0, int x1, int y1, Test test) const
    {
        long hits = 0, all = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x, ++all)
                hits += test(At(x, y)) ? 1 : 0;
        return all ? static_cast<double>(hits) / static_cast<double>(all) : 0.0;
    }
};

// The non-empty lines of a text (CR dropped); bytes as lower-case hex and back.
std::vector<std::string> Lines(const std::string& text);
std::string Hex(const std::string& bytes);
std::string FromHex(const std::string& hex);
std::string ReadFile(const fs::path& file);
void WriteFile(const fs::path& file, const std::string& bytes);   // makes the folder first
void WriteFile(const fs::path& file, const std::vector<uint8_t>& bytes);
// A PPM (P6) or any picture ImageMagick's convert reads.
Image LoadImage(const fs::path& file);

struct SessionOptions {
    int width = 1024;   // size of the X screen
    int height = 768;
    std::string name = "session";   // names the artifacts folder of this session
    // Every Wine process runs with LC_ALL set to this; it picks the ANSI code page
    // (ja_JP.UTF-8: 932, en_US.UTF-8: 1252, zh_CN.UTF-8: 936).
    std::string locale = "ja_JP.UTF-8";
};

struct StartOptions {
    fs::path workingDir;                        // default: the program's folder
    std::map<std::string, std::string> env;     // extra environment variables
};

// A window as the test tool's info command sees it.
struct WindowInfo {
    bool visible = false, enabled = false;
    uint64_t parent = 0, owner = 0;
    unsigned long style = 0;
    long left = 0, top = 0, right = 0, bottom = 0;   // the window's rectangle on the screen
    long clientX = 0, clientY = 0, clientWidth = 0, clientHeight = 0;   // its client area, placed on the screen
    std::string className, text;
};

struct ChildWindow {
    uint64_t handle = 0;
    std::string className, text;
};

class WineSession {
public:
    explicit WineSession(SessionOptions options = {});
    ~WineSession();
    WineSession(const WineSession&) = delete;
    WineSession& operator=(const WineSession&) = delete;

    fs::path DriveC() const { return prefix_ / "drive_c"; }
    fs::path WorkDir() const { return workDir_; }   // the session's own temporary folder
    // The Windows path of a Linux path: inside drive_c it is C:\..., elsewhere Z:\...
    std::string WindowsPath(const fs::path& path) const;
    // UTF-8 text in the session's ANSI code page (what the programs' A functions see).
    std::string Ansi(const std::string& utf8) const;

    // A fresh folder C:\<name> holding copies of the named programs from the build.
    fs::path MakeProgramFolder(const std::string& name, const std::vector<std::string>& programs);
    // REG ADD of one value (type REG_SZ, REG_DWORD, ...), for processes started later.
    void SetRegistryValue(const std::string& key, const std::string& name, const std::string& type,
                          const std::string& data);
    // Every later program runs inside Wine's virtual desktop "glowmere" of this size
    // ("1920x1080"), where windows of the default desktop are not seen, and so does the
    // test tool; "" for none. The first program started there owns the desktop: its wine
    // process ends only when the desktop's last window is gone.
    void UseVirtualDesktop(const std::string& size);

    // Starts `wine <exe> <args...>`. The process belongs to the caller.
    Process Start(const fs::path& exe, const std::vector<std::string>& args = {}, const StartOptions& options = {});
    // Starts a Linux program (xdotool, convert) with this session's display.
    Process StartNative(const std::vector<std::string>& argv, const StartOptions& options = {});
    RunResult Run(const fs::path& exe, const std::vector<std::string>& args, Millis timeout,
                  const StartOptions& options = {});
    // testtool.exe's answer to the command (trimmed), from a tool process that serves them
    // all.
    std::string Tool(const std::vector<std::string>& args, Millis timeout = Millis(30000));

    // Top-level windows by title (UTF-8 here, ANSI for FindWindowA); 0 when there is none.
    uint64_t FindWindow(const std::string& title);
    uint64_t WaitForWindow(const std::string& title, Millis timeout);
    bool WaitForWindowGone(const std::string& title, Millis timeout);
    WindowInfo Window(uint64_t handle);
    std::vector<ChildWindow> Children(uint64_t parent, bool visibleOnly = false);
    // A dialog (#32770) with that caption: its handle (0: none) and its text in the ANSI
    // code page.
    std::pair<uint64_t, std::string> WaitForMessageBox(const std::string& caption, Millis timeout);
    void Post(uint64_t window, unsigned message, long long wParam = 0, long long lParam = 0);

    // Real input through the X server (XTEST), as a user gives it.
    void Key(const std::string& keysym);
    void Type(const std::string& text);   // ASCII, key by key, into the focused window
    void MoveMouse(int x, int y);
    void Click(int button);
    void Xdotool(const std::vector<std::string>& args);

    // The screen's pixels; Screenshot also keeps them as build/test-artifacts/<session>/<name>.ppm.
    Image Grab();
    Image Screenshot(const std::string& name);
    // Grabs the screen until `test` holds for it or `timeout` has passed; keeps and returns
    // the last picture.
    template <class Test>
    Image ScreenshotWhen(const std::string& name, Test test, Millis timeout)
    {
        Image shot;
        Eventually([&] { return test(shot = Grab()); }, timeout, Millis(100));
        Keep(shot, name);
        return shot;
    }
    std::optional<Rgb> ReadPixel(int x, int y);
    // Polls one pixel until `test` holds; how long that took, or nothing after `timeout`.
    template <class Test>
    std::optional<Millis> WaitForPixel(int x, int y, Test test, Millis timeout)
    {
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            const auto elapsed = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start);
            const std::optional<Rgb> pixel = ReadPixel(x, y);
            if (pixel && test(*pixel))
                return elapsed;
            if (elapsed >= timeout)
                return std::nullopt;
            std::this_thread::sleep_for(Millis(2));
        }
    }
    void SetRootPicture(const fs::path& picture);   // what the bare desktop shows
    fs::path ArtifactPath(const std::string& file) const;

private:
    std::map<std::string, std::string> Environment() const;
    void StartDisplay();
    void Keep(const Image& shot, const std::string& name) const;
    Image GrabArea(int x, int y, int width, int height);

    SessionOptions options_;
    fs::path workDir_;
    fs::path prefix_;
    std::string display_;
    std::string desktop_;
    Process toolServers_[2];   // in the default desktop, in the virtual one
    pid_t displayProcess_ = -1;
    void* xDisplay_ = nullptr;   // Display*, opened on first use
};

}  // namespace harness
