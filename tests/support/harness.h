#pragma once
// Test harness for running the real Windows programs under Wine.
//
// A WineSession owns everything one test program needs: its own Xvfb on a free display
// number, its own WINEPREFIX (a copy of a template prefix that is initialised once per
// build tree), and every process it starts. All Wine processes run with
// LC_ALL=ja_JP.UTF-8, so the ANSI code page of the prefix is 932. On destruction it stops
// what it started by process id, and the prefix's own wineserver with `wineserver -k`.
//
// Windows-side questions (is there a top-level window titled X, what does a message box
// say, post a message) are answered by wintool.exe, a small program built by the cross
// configuration from tests/support/wintool_win32.cpp.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
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
bool Eventually(Done done, Millis timeout, Millis step = Millis(100))
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

// Where the build put things (compile-time settings of the test programs).
fs::path ProgramsDir();       // Glowmere.dll and Glowmere.scr
fs::path TestProgramsDir();   // wintool.exe and other Windows-side test programs
fs::path SourceDir();         // the repository
fs::path ArtifactsDir();      // screenshots and logs made by tests (never committed)

// A child process started by the harness. Ending it means SIGKILL by its own pid.
class Process {
public:
    Process() = default;
    Process(pid_t pid, fs::path output);
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();   // kills the process if it is still running

    bool Running();
    // The exit code, or nothing when the process is still running after `timeout`.
    std::optional<int> Wait(Millis timeout);
    void Kill();
    // What the process wrote to its standard output (and error) so far.
    std::string Output() const;

private:
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
    fs::path output_;
};

struct RunResult {
    std::optional<int> exitCode;   // nothing: it timed out and was killed
    std::string output;
};

// Pixels read from a screenshot, top row first, 3 bytes (R, G, B) per pixel.
struct Rgb {
    int r = 0, g = 0, b = 0;
    int Brightness() const { return r + g + b; }
    bool Is(int rgb) const { return r == (rgb >> 16) && g == ((rgb >> 8) & 0xFF) && b == (rgb & 0xFF); }
    std::string Hex() const;   // "RRGGBB"
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    Rgb At(int x, int y) const;
    // The share of pixels in the rectangle for which `test` holds.
    template <class Test>
    double Fraction(int x0, int y0, int x1, int y1, Test test) const
    {
        long hits = 0, all = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x, ++all)
                if (test(At(x, y)))
                    ++hits;
        return all ? static_cast<double>(hits) / static_cast<double>(all) : 0.0;
    }
};

// Texts as the tests compare them: the non-empty lines of a program's output (CR dropped),
// UTF-8 text in code page 932 (what the programs' A functions see on a Japanese system;
// throws when the text has no such form), and bytes as lower-case hex and back.
std::vector<std::string> Lines(const std::string& text);
std::string Cp932(const std::string& utf8);
std::string Hex(const std::string& bytes);
std::string FromHex(const std::string& hex);

std::string ReadFile(const fs::path& file);
// Replaces the file, making its folder first.
void WriteFile(const fs::path& file, const std::string& bytes);
void WriteFile(const fs::path& file, const std::vector<uint8_t>& bytes);

// Reads a binary PPM (P6) file or any picture ImageMagick's convert understands.
Image LoadImage(const fs::path& file);

struct SessionOptions {
    int width = 1024;    // size of the Xvfb screen
    int height = 768;
    std::string name = "session";   // names the artifacts folder of this session
    // Every program of the session runs inside Wine's virtual desktop of the screen's size
    // (where a switch to 1024 x 768 succeeds on a larger screen) instead of on the X root.
    bool virtualDesktop = false;
    // An X server of the caller's (for example an XorgDisplay) instead of the session's own Xvfb.
    std::string display = {};
};

// A window as wintool's info and children commands see it.
struct WindowInfo {
    bool visible = false, enabled = false;
    uint64_t parent = 0, owner = 0;
    unsigned long style = 0;
    long left = 0, top = 0, right = 0, bottom = 0;   // the window's rectangle on the screen
    long clientX = 0, clientY = 0, clientWidth = 0, clientHeight = 0;   // its client area, placed on the screen
    std::string className;
};

struct ChildWindow {
    uint64_t handle = 0;
    std::string className, text;
};

// A dialog found by its caption (handle 0: none) and its message text in the ANSI code page.
struct MessageBoxFound {
    uint64_t handle = 0;
    std::string text;
};

struct StartOptions {
    fs::path workingDir;                        // default: the program's folder
    std::map<std::string, std::string> env;     // extra environment variables
};

class WineSession {
public:
    explicit WineSession(SessionOptions options = {});
    ~WineSession();
    WineSession(const WineSession&) = delete;
    WineSession& operator=(const WineSession&) = delete;

    const fs::path& Prefix() const { return prefix_; }
    fs::path DriveC() const { return prefix_ / "drive_c"; }

    // The Windows path of a Linux path: inside drive_c it is C:\..., elsewhere Z:\...
    std::string WindowsPath(const fs::path& path) const;

    // A fresh folder C:\<name> holding copies of the named shipped programs
    // (for example {"Glowmere.scr", "Glowmere.dll"}).
    fs::path MakeProgramFolder(const std::string& name, const std::vector<std::string>& programs);

    // Starts `wine <exe> <args...>`. The process belongs to the caller.
    Process Start(const fs::path& exe, const std::vector<std::string>& args = {},
                  const StartOptions& options = {});
    // Starts a Linux program (xdotool, a second wine command line) under this display.
    Process StartNative(const std::vector<std::string>& argv, const StartOptions& options = {});
    // Runs to completion (killed after `timeout`).
    RunResult Run(const fs::path& exe, const std::vector<std::string>& args, Millis timeout,
                  const StartOptions& options = {});

    // Runs wintool.exe with the arguments and returns its trimmed standard output.
    std::string Tool(const std::vector<std::string>& args, Millis timeout = Millis(30000));

    // Top-level window handles (0 when there is none). Titles are UTF-8 here and reach
    // FindWindowA in the ANSI code page.
    uint64_t FindWindow(const std::string& title);
    uint64_t WaitForWindow(const std::string& title, Millis timeout);
    bool WaitForWindowGone(const std::string& title, Millis timeout);
    WindowInfo Window(uint64_t handle);
    std::vector<ChildWindow> Children(uint64_t parent, bool visibleOnly = false);
    MessageBoxFound WaitForMessageBox(const std::string& caption, Millis timeout);
    // PostMessageA from inside Wine.
    void Post(uint64_t window, unsigned message, long long wParam = 0, long long lParam = 0);

    // Real input through the X server (XTEST), as a user would give it.
    void Key(const std::string& keysym);
    // Types ASCII text key by key into the window that has the input focus.
    void Type(const std::string& text);
    void MoveMouse(int x, int y);
    void Click(int button);
    // Gives the X input focus to the X window whose name is `title`.
    bool FocusWindow(const std::string& title);

    // Takes a picture of the whole screen, keeps it as <artifacts>/<session>/<name>.png
    // and returns its pixels.
    Image Screenshot(const std::string& name);
    fs::path ArtifactPath(const std::string& file) const;

    // Sets the picture of the X root window (what the "desktop" shows).
    void SetRootPicture(const fs::path& picture);

    // Reads one screen pixel straight from the X server (no file, about a millisecond),
    // or nothing when it cannot be read.
    std::optional<Rgb> ReadPixel(int x, int y);
    // Polls the pixel at (x, y) until `test` holds for it; returns how long that took
    // from the call, or nothing after `timeout`. For timing what appears on the screen.
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
            PausePolling();
        }
    }

private:
    // Environment of every process the session starts.
    std::map<std::string, std::string> Environment() const;
    static void PausePolling();
    void StartXvfb();
    bool TryStartXvfb();
    void CopyTemplatePrefix();

    SessionOptions options_;
    fs::path workDir_;
    fs::path prefix_;
    std::string display_;
    pid_t xvfb_ = -1;
    void* xDisplay_ = nullptr;   // Display*, opened by the first ReadPixel
};

}  // namespace harness
