#pragma once
// The harness of the Wine suites. A WineSession owns its X display (Xvfb, or Xorg for several
// monitors, on a free display number), its WINEPREFIX (hard links to a template made once per
// build tree), one persistent wineserver started before any other Wine process of the prefix,
// and every process it starts; it runs each under LC_ALL=ja_JP.UTF-8 (code page 932) unless
// told otherwise. At its end `wineserver -k` for its own prefix ends the Windows processes, then the
// display goes by its process id. Questions inside Wine (which window is there, what a
// message box says, post a message) go to testtool.exe (tests/wine/testtool_win32.cpp).
#include <sys/types.h>

#include <chrono>
#include <cstdint>
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
    for (const auto deadline = std::chrono::steady_clock::now() + timeout; !done(); std::this_thread::sleep_for(step))
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    return true;
}

fs::path ProgramsDir();       // Glowmere.dll and Glowmere.scr
fs::path TestProgramsDir();   // testtool.exe and the test build of the shell
fs::path SourceDir();
// Makes the template prefix unless it is there: a CTest fixture before the suites.
void MakeTemplatePrefix();

// A child process started by the harness; ending it means SIGKILL by its own pid.
class Process {
public:
    Process() = default;
    Process(pid_t pid, fs::path output) : pid_(pid), output_(std::move(output)) {}
    Process(Process&& other) noexcept { *this = std::move(other); }
    Process& operator=(Process&& other) noexcept;
    ~Process() { Kill(); }

    bool Running() { return pid_ > 0 && !Wait(Millis(0)); }
    std::optional<int> Wait(Millis timeout);   // the exit code, or nothing while it runs
    void Kill();
    std::string Output() const;   // its standard output and error so far

private:
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
    fs::path output_;
};

std::string Hex(const std::string& bytes);   // lower-case hex

struct RunResult {
    std::optional<int> exitCode;   // nothing: it timed out and was killed
    std::string output;
};

struct Rgb {
    int r = 0, g = 0, b = 0;
    int Brightness() const { return r + g + b; }
    bool Is(int rgb) const { return r == (rgb >> 16) && g == ((rgb >> 8) & 0xFF) && b == (rgb & 0xFF); }
    bool Near(Rgb o, int distance) const { return std::abs(r - o.r) + std::abs(g - o.g) + std::abs(b - o.b) < distance; }
    std::string Hex() const { return harness::Hex({char(r), char(g), char(b)}); }   // "rrggbb"
};

// Pixels top row first, R, G and B.
struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;

    Rgb At(int x, int y) const
    {
        const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
    // The share of pixels in [x0, x1) x [y0, y1) for which `test` holds.
    template <class Test>
    double Fraction(int x0, int y0, int x1, int y1, Test test) const
    {
        long hits = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                hits += test(At(x, y)) ? 1 : 0;
        return x1 > x0 && y1 > y0 ? static_cast<double>(hits) / (double(x1 - x0) * (y1 - y0)) : 0.0;
    }
};

std::vector<std::string> Lines(const std::string& text);   // the non-empty lines, CR dropped
std::string FromHex(const std::string& hex);
std::string ReadFile(const fs::path& file);
void WriteFile(const fs::path& file, const std::string& bytes);   // makes the folder first
Image LoadImage(const fs::path& file);   // a PPM, or any picture ImageMagick reads

struct SessionOptions {
    int width = 1024, height = 768;   // the X screen
    std::string name = "session";     // the folder of its screenshots in build/test-artifacts
    // Xorg's dummy driver instead of Xvfb: real mode switches, and one monitor per "WxH+X+Y"
    // (X's coordinates; the first is the primary), laid out before any Wine process starts.
    std::vector<std::string> monitors = {};
};

struct StartOptions {
    fs::path workingDir;                        // default: the program's folder
    std::map<std::string, std::string> env;     // extra environment variables (LC_ALL=en_US.UTF-8: code page 1252)
};

struct WindowInfo {
    bool visible = false, enabled = false;
    uint64_t parent = 0, owner = 0;
    unsigned long style = 0;
    long left = 0, top = 0, right = 0, bottom = 0;                      // on the screen
    long clientX = 0, clientY = 0, clientWidth = 0, clientHeight = 0;   // the client area
    std::string className, text;
};

struct ChildWindow {
    uint64_t handle = 0;
    bool visible = false;
    std::string className, text;
};

class WineSession {
public:
    explicit WineSession(SessionOptions options = {});
    ~WineSession();
    WineSession(const WineSession&) = delete;
    WineSession& operator=(const WineSession&) = delete;

    fs::path DriveC() const { return workDir_ / "prefix" / "drive_c"; }
    fs::path WorkDir() const { return workDir_; }    // the session's temporary folder
    std::string WindowsPath(const fs::path& path) const;   // C:\... or Z:\...
    static std::string Ansi(const std::string& utf8);     // in code page 932
    fs::path ArtifactPath(const std::string& file) const;

    // A fresh folder C:\<name> with copies of the named programs from the build.
    fs::path MakeProgramFolder(const std::string& name, const std::vector<std::string>& programs);
    // REG ADD of one value (REG_SZ, REG_DWORD, ...); processes started later see it.
    void SetRegistryValue(const std::string& key, const std::string& name, const std::string& type,
                          const std::string& data);

    Process Start(const fs::path& exe, const std::vector<std::string>& args = {}, const StartOptions& options = {});
    Process StartNative(const std::vector<std::string>& argv, const StartOptions& options = {});
    RunResult Run(const fs::path& exe, const std::vector<std::string>& args, Millis timeout,
                  const StartOptions& options = {});
    // testtool.exe's trimmed answer, from one tool process that serves a session's questions.
    std::string Tool(const std::vector<std::string>& args, Millis timeout = Millis(30000));

    // Top-level windows by title (UTF-8; FindWindowA gets it in the ANSI code page): 0 for none.
    uint64_t FindWindow(const std::string& title) { return std::stoull(Tool({"find", title})); }
    uint64_t WaitForWindow(const std::string& title, Millis timeout)
    {
        uint64_t window = 0;
        return Eventually([&] { return (window = FindWindow(title)) != 0; }, timeout, Millis(20)) ? window : 0;
    }
    bool WaitForWindowGone(const std::string& title, Millis timeout)
    {
        return Eventually([&] { return FindWindow(title) == 0; }, timeout, Millis(20));
    }
    WindowInfo Window(uint64_t handle);
    std::vector<ChildWindow> Children(uint64_t parent);
    // A dialog with that caption: its handle (0: none) and its text in the ANSI code page.
    std::pair<uint64_t, std::string> WaitForMessageBox(const std::string& caption, Millis timeout);
    void Post(uint64_t window, unsigned message, long long wParam = 0, long long lParam = 0)
    {
        Tool({"post", std::to_string(window), std::to_string(message), std::to_string(wParam), std::to_string(lParam)});
    }

    // Real input through the X server, as a user gives it.
    void Xdotool(std::vector<std::string> args)
    {
        args.insert(args.begin(), "xdotool");
        StartNative(args).Wait(Millis(30000));
    }
    void Key(const std::string& keysym) { Xdotool({"key", "--clearmodifiers", keysym}); }
    void Type(const std::string& text) { Xdotool({"type", "--clearmodifiers", "--delay", "40", text}); }
    void MoveMouse(int x, int y) { Xdotool({"mousemove", std::to_string(x), std::to_string(y)}); }
    void Click(int button) { Xdotool({"click", std::to_string(button)}); }
    void SetRootPicture(const fs::path& picture) { StartNative({"display", "-window", "root", picture}).Wait(Millis(30000)); }

    // The screen at its size of the moment; Screenshot keeps it as build/test-artifacts/<session>/<name>.ppm.
    Image Grab();
    Image Screenshot(const std::string& name) { return Keep(Grab(), name); }
    // Grabs the screen until `test` holds or `timeout` has passed; keeps the last picture.
    template <class Test>
    Image ScreenshotWhen(const std::string& name, Test test, Millis timeout)
    {
        Image shot;
        Eventually([&] { return test(shot = Grab()); }, timeout, Millis(100));
        return Keep(shot, name);
    }
    std::optional<Rgb> ReadPixel(int x, int y);
    // Polls one pixel until `test` holds; how long that took, or nothing after `timeout`.
    template <class Test>
    std::optional<Millis> WaitForPixel(int x, int y, Test test, Millis timeout)
    {
        const auto start = std::chrono::steady_clock::now();
        std::optional<Rgb> pixel;
        if (!Eventually([&] { return (pixel = ReadPixel(x, y)) && test(*pixel); }, timeout, Millis(2)))
            return std::nullopt;
        return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start);
    }

private:
    std::map<std::string, std::string> Environment() const;
    void StartDisplay();
    const Image& Keep(const Image& shot, const std::string& name) const;   // returns `shot`
    Image GrabArea(int x, int y, int width, int height);

    SessionOptions options_;
    fs::path workDir_;
    std::string display_;
    Process toolServer_;
    pid_t displayProcess_ = -1;
    void* xDisplay_ = nullptr;   // Display*, opened on first use
};

}  // namespace harness
