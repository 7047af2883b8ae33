#include "harness.h"

#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include "picture_loader.h"
#include "test_output.h"

namespace harness {

namespace {

[[noreturn]] void Fail(const std::string& what)
{
    throw std::runtime_error("harness: " + what);
}

std::string Trim(std::string text)
{
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    text.erase(text.begin(), std::find_if(text.begin(), text.end(), notSpace));
    text.erase(std::find_if(text.rbegin(), text.rend(), notSpace).base(), text.end());
    return text;
}

// Starts argv[0] (looked up in PATH) with the given environment added to ours, its
// standard output and error going to `output`. The child dies with us (PDEATHSIG), so
// a crashed test leaves nothing running.
pid_t Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
            const fs::path& workingDir, const fs::path& output)
{
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string key = entry.substr(0, entry.find('='));
        if (!env.count(key))
            envStrings.push_back(entry);
    }
    for (const auto& [key, value] : env)
        envStrings.push_back(key + "=" + value);

    std::vector<char*> args, envp;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : envStrings)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0)
        Fail("fork failed");
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        setpgid(0, 0);   // keeps our terminal's signals away from the child
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
            close(out);
        }
        const int in = open("/dev/null", O_RDONLY);
        if (in >= 0) {
            dup2(in, 0);
            close(in);
        }
        if (!workingDir.empty() && chdir(workingDir.c_str()) != 0)
            _exit(126);
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    return pid;
}

// Serialises the creation of the template prefix between test programs running at once.
class FileLock {
public:
    explicit FileLock(const fs::path& file)
    {
        fd_ = open(file.c_str(), O_RDWR | O_CREAT, 0644);
        if (fd_ < 0 || flock(fd_, LOCK_EX) != 0)
            Fail("cannot lock " + file.string());
    }
    ~FileLock()
    {
        flock(fd_, LOCK_UN);
        close(fd_);
    }

private:
    int fd_ = -1;
};

fs::path TemplatePrefix() { return fs::path(GLOWMERE_BUILD_DIR) / "wine-template"; }

}  // namespace

fs::path ProgramsDir() { return GLOWMERE_PROGRAMS_DIR; }
fs::path TestProgramsDir() { return GLOWMERE_TEST_PROGRAMS_DIR; }
fs::path SourceDir() { return GLOWMERE_SOURCE_DIR; }
fs::path ArtifactsDir() { return fs::path(GLOWMERE_BUILD_DIR) / "test-artifacts"; }

// ---------------------------------------------------------------------------------------
// Process

Process::Process(pid_t pid, fs::path output) : pid_(pid), output_(std::move(output)) {}

Process::Process(Process&& other) noexcept { *this = std::move(other); }

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        Kill();
        pid_ = other.pid_;
        exitCode_ = other.exitCode_;
        output_ = std::move(other.output_);
        other.pid_ = -1;
        other.exitCode_.reset();
    }
    return *this;
}

Process::~Process() { Kill(); }

bool Process::Running() { return pid_ > 0 && !Wait(Millis(0)).has_value(); }

std::optional<int> Process::Wait(Millis timeout)
{
    if (exitCode_)
        return exitCode_;
    if (pid_ <= 0)
        return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitCode_;
        }
        if (done < 0) {
            exitCode_ = -1;
            return exitCode_;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(Millis(20));
    }
}

void Process::Kill()
{
    if (pid_ > 0 && !exitCode_) {
        kill(pid_, SIGKILL);
        Wait(Millis(5000));
    }
}

std::string Process::Output() const { return output_.empty() ? std::string() : ReadFile(output_); }

// ---------------------------------------------------------------------------------------
// Texts

std::string Hex(const std::string& bytes) { return testoutput::Hex(bytes); }

std::string FromHex(const std::string& hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

std::string ReadFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& file, const std::string& bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

void WriteFile(const fs::path& file, const std::vector<uint8_t>& bytes)
{
    WriteFile(file, std::string(bytes.begin(), bytes.end()));
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

std::string Cp932(const std::string& utf8)
{
    iconv_t convert = iconv_open("CP932", "UTF-8");
    if (convert == reinterpret_cast<iconv_t>(-1))
        Fail("no CP932 converter");
    std::string in = utf8, out(utf8.size() * 2 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    const size_t done = iconv(convert, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(convert);
    if (done == static_cast<size_t>(-1))
        Fail("no code page 932 form for: " + utf8);
    out.resize(out.size() - outLeft);
    return out;
}

// ---------------------------------------------------------------------------------------
// Image

Rgb Image::At(int x, int y) const
{
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

std::string Rgb::Hex() const
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", r & 0xFF, g & 0xFF, b & 0xFF);
    return text;
}

Image LoadImage(const fs::path& file)
{
    std::optional<testpictures::RgbPicture> picture = testpictures::LoadPicture(file);
    if (!picture)
        Fail("not a picture: " + file.string());
    return {picture->width, picture->height, std::move(picture->rgb)};
}

// ---------------------------------------------------------------------------------------
// WineSession

WineSession::WineSession(SessionOptions options) : options_(std::move(options))
{
    char pattern[] = "/tmp/glowmere-wine-XXXXXX";
    if (!mkdtemp(pattern))
        Fail("cannot make a temporary folder");
    workDir_ = pattern;
    prefix_ = workDir_ / "prefix";
    fs::create_directories(ArtifactPath(""));
    display_ = options_.display;
    if (display_.empty())
        StartXvfb();
    CopyTemplatePrefix();
    if (options_.virtualDesktop) {
        const std::string size = std::to_string(options_.width) + "x" + std::to_string(options_.height);
        for (const auto& argv : std::vector<std::vector<std::string>>{
                 {"wine", "reg", "add", "HKCU\\Software\\Wine\\Explorer", "/v", "Desktop", "/d", "Default", "/f"},
                 {"wine", "reg", "add", "HKCU\\Software\\Wine\\Explorer\\Desktops", "/v", "Default", "/d", size, "/f"},
                 {"wineserver", "-k"},
                 {"wineserver", "-w"}})
            StartNative(argv).Wait(Millis(60000));
    }
}

WineSession::~WineSession()
{
    if (xDisplay_)
        XCloseDisplay(static_cast<::Display*>(xDisplay_));
    // The prefix's own server ends every Windows process of this prefix, including the
    // ones our programs started themselves; then our X server by its pid.
    if (!prefix_.empty() && fs::exists(prefix_)) {
        StartNative({"wineserver", "-k"}).Wait(Millis(10000));
        StartNative({"wineserver", "-w"}).Wait(Millis(10000));
    }
    if (xvfb_ > 0) {
        kill(xvfb_, SIGTERM);
        int status;
        waitpid(xvfb_, &status, 0);
    }
    std::error_code ignored;
    fs::remove_all(workDir_, ignored);
}

void WineSession::StartXvfb()
{
    // Xvfb picks a free display number itself and writes it to the pipe once it is ready.
    // A server that dies right after that (seen once when an earlier one was still going
    // down) is replaced, up to three times.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (TryStartXvfb())
            return;
    }
    Fail("Xvfb did not start: " + ReadFile(workDir_ / "xvfb.log"));
}

bool WineSession::TryStartXvfb()
{
    // The write end of the pipe is the one descriptor Xvfb inherits on purpose.
    int ready[2];
    if (pipe(ready) != 0)
        Fail("pipe failed");
    fcntl(ready[0], F_SETFD, FD_CLOEXEC);
    const std::string screen = std::to_string(options_.width) + "x" + std::to_string(options_.height) + "x24";
    const pid_t pid = Spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", screen, "-nolisten",
                             "tcp", "-noreset"},
                            {}, {}, workDir_ / "xvfb.log");
    close(ready[1]);
    std::string number;
    pollfd wait = {ready[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + Millis(20000);
    while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        if (poll(&wait, 1, 200) <= 0)
            continue;
        char buffer[32];
        const ssize_t n = read(ready[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        number.append(buffer, static_cast<size_t>(n));
    }
    close(ready[0]);
    number = Trim(number);

    // The server must still be there and answer.
    std::this_thread::sleep_for(Millis(100));
    int status;
    const bool alive = !number.empty() && waitpid(pid, &status, WNOHANG) == 0;
    if (alive) {
        xvfb_ = pid;
        display_ = ":" + number;
        Process check(Spawn({"xdpyinfo", "-display", display_}, {}, {}, workDir_ / "xdpyinfo.log"),
                      workDir_ / "xdpyinfo.log");
        if (check.Wait(Millis(10000)) == 0)
            return true;
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    xvfb_ = -1;
    display_.clear();
    return false;
}

void WineSession::CopyTemplatePrefix()
{
    const fs::path templ = TemplatePrefix();
    {
        FileLock lock(fs::path(GLOWMERE_BUILD_DIR) / "wine-template.lock");
        if (!fs::exists(templ / ".ready")) {
            // Initialise a prefix once per build tree (about 10 s); every session copies it.
            const fs::path fresh = fs::path(GLOWMERE_BUILD_DIR) / "wine-template.new";
            fs::remove_all(fresh);
            fs::remove_all(templ);
            std::map<std::string, std::string> env = Environment();
            env["WINEPREFIX"] = fresh.string();
            // No Mono or Gecko installers, no menu entries.
            env["WINEDLLOVERRIDES"] = "mscoree,mshtml=;winemenubuilder.exe=d";
            const fs::path log = workDir_ / "wineboot.log";
            auto run = [&](const std::vector<std::string>& argv) {
                Process p(Spawn(argv, env, {}, log), log);
                if (p.Wait(Millis(180000)) != 0)
                    Fail(argv[0] + " failed while making the template prefix: " + ReadFile(log));
            };
            run({"wineboot", "-i"});
            // The dialogs ask for "ＭＳ Ｐゴシック"; Debian's IPA fonts stand in for it.
            run({"wine", "reg", "add", "HKCU\\Software\\Wine\\Fonts\\Replacements", "/v",
                 "ＭＳ Ｐゴシック", "/t", "REG_SZ", "/d", "IPAPGothic", "/f"});
            run({"wine", "reg", "add", "HKCU\\Software\\Wine\\Fonts\\Replacements", "/v",
                 "ＭＳ ゴシック", "/t", "REG_SZ", "/d", "IPAGothic", "/f"});
            run({"wineserver", "-w"});
            std::ofstream(fresh / ".ready") << "ok\n";
            fs::rename(fresh, templ);
        }
    }
    fs::copy(templ, prefix_, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
}

std::map<std::string, std::string> WineSession::Environment() const
{
    return {
        {"WINEPREFIX", prefix_.string()},
        {"DISPLAY", display_},
        {"LC_ALL", "ja_JP.UTF-8"},
        {"WINEDEBUG", "-all"},
        {"WINEDLLOVERRIDES", "winemenubuilder.exe=d"},
    };
}

std::string WineSession::WindowsPath(const fs::path& path) const
{
    const std::string full = fs::absolute(path).lexically_normal().string();
    const std::string root = DriveC().string();
    std::string result;
    if (full.compare(0, root.size(), root) == 0)
        result = "C:" + full.substr(root.size());
    else
        result = "Z:" + full;
    for (char& c : result)
        if (c == '/')
            c = '\\';
    if (result == "C:")
        result = "C:\\";
    return result;
}

fs::path WineSession::MakeProgramFolder(const std::string& name, const std::vector<std::string>& programs)
{
    const fs::path folder = DriveC() / name;
    fs::create_directories(folder);
    for (const auto& program : programs)
        fs::copy_file(ProgramsDir() / program, folder / program, fs::copy_options::overwrite_existing);
    return folder;
}

Process WineSession::Start(const fs::path& exe, const std::vector<std::string>& args, const StartOptions& options)
{
    std::vector<std::string> argv = {"wine", exe.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    StartOptions withDir = options;
    if (withDir.workingDir.empty())
        withDir.workingDir = exe.parent_path();
    return StartNative(argv, withDir);
}

Process WineSession::StartNative(const std::vector<std::string>& argv, const StartOptions& options)
{
    static int counter = 0;
    const fs::path output = workDir_ / ("process-" + std::to_string(++counter) + ".log");
    std::map<std::string, std::string> env = Environment();
    for (const auto& [key, value] : options.env)
        env[key] = value;
    return Process(Spawn(argv, env, options.workingDir, output), output);
}

RunResult WineSession::Run(const fs::path& exe, const std::vector<std::string>& args, Millis timeout,
                           const StartOptions& options)
{
    Process p = Start(exe, args, options);
    RunResult result;
    result.exitCode = p.Wait(timeout);
    p.Kill();
    result.output = p.Output();
    return result;
}

std::string WineSession::Tool(const std::vector<std::string>& args, Millis timeout)
{
    RunResult result = Run(TestProgramsDir() / "wintool.exe", args, timeout);
    if (!result.exitCode)
        Fail("wintool timed out: " + (args.empty() ? std::string() : args[0]));
    return Trim(result.output);
}

uint64_t WineSession::FindWindow(const std::string& title)
{
    return std::strtoull(Tool({"find", title}).c_str(), nullptr, 10);
}

uint64_t WineSession::WaitForWindow(const std::string& title, Millis timeout)
{
    return std::strtoull(Tool({"wait-window", title, std::to_string(timeout.count())},
                              timeout + Millis(30000)).c_str(), nullptr, 10);
}

bool WineSession::WaitForWindowGone(const std::string& title, Millis timeout)
{
    return Tool({"wait-gone", title, std::to_string(timeout.count())}, timeout + Millis(30000)) == "1";
}

WindowInfo WineSession::Window(uint64_t handle)
{
    std::istringstream in(Tool({"info", std::to_string(handle)}));
    WindowInfo info;
    int visible = 0, enabled = 0;
    in >> visible >> enabled >> info.parent >> info.owner >> std::hex >> info.style >> std::dec >> info.left >>
        info.top >> info.right >> info.bottom >> info.clientX >> info.clientY >> info.clientWidth >>
        info.clientHeight >> info.className;
    info.visible = visible != 0;
    info.enabled = enabled != 0;
    return info;
}

std::vector<ChildWindow> WineSession::Children(uint64_t parent, bool visibleOnly)
{
    std::vector<ChildWindow> children;
    const std::string command = visibleOnly ? "visible-children" : "children";
    for (const std::string& line : Lines(Tool({command, std::to_string(parent)}))) {
        std::istringstream in(line);
        ChildWindow child;
        in >> child.handle >> child.className;
        std::getline(in >> std::ws, child.text);
        children.push_back(child);
    }
    return children;
}

MessageBoxFound WineSession::WaitForMessageBox(const std::string& caption, Millis timeout)
{
    const auto lines = Lines(Tool({"message-box", caption, std::to_string(timeout.count())}, timeout + Millis(30000)));
    MessageBoxFound box;
    if (!lines.empty())
        box.handle = std::strtoull(lines[0].c_str(), nullptr, 10);
    if (lines.size() > 1)
        box.text = FromHex(lines[1]);
    return box;
}

void WineSession::Post(uint64_t window, unsigned message, long long wParam, long long lParam)
{
    Tool({"post", std::to_string(window), std::to_string(message), std::to_string(wParam), std::to_string(lParam)});
}

void WineSession::Key(const std::string& keysym)
{
    StartNative({"xdotool", "key", "--clearmodifiers", keysym}).Wait(Millis(10000));
}

void WineSession::Type(const std::string& text)
{
    StartNative({"xdotool", "type", "--clearmodifiers", "--delay", "60", text}).Wait(Millis(30000));
}

void WineSession::MoveMouse(int x, int y)
{
    StartNative({"xdotool", "mousemove", std::to_string(x), std::to_string(y)}).Wait(Millis(10000));
}

void WineSession::Click(int button)
{
    StartNative({"xdotool", "click", std::to_string(button)}).Wait(Millis(10000));
}

bool WineSession::FocusWindow(const std::string& title)
{
    Process p = StartNative({"xdotool", "search", "--sync", "--limit", "1", "--name", "^" + title + "$",
                             "windowfocus", "--sync"});
    return p.Wait(Millis(10000)) == 0;
}

fs::path WineSession::ArtifactPath(const std::string& file) const
{
    return ArtifactsDir() / options_.name / file;
}

Image WineSession::Screenshot(const std::string& name)
{
    const fs::path png = ArtifactPath(name + ".png");
    Process shot = StartNative({"import", "-window", "root", png.string()});
    if (shot.Wait(Millis(30000)) != 0)
        Fail("import failed: " + shot.Output());
    return LoadImage(png);
}

std::optional<Rgb> WineSession::ReadPixel(int x, int y)
{
    if (!xDisplay_)
        xDisplay_ = XOpenDisplay(display_.c_str());
    ::Display* display = static_cast<::Display*>(xDisplay_);
    if (!display || x < 0 || y < 0 || x >= options_.width || y >= options_.height)
        return std::nullopt;
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return std::nullopt;
    const unsigned long value = XGetPixel(image, 0, 0);
    // The 24-bit screen keeps each channel in the 8 bits of its mask.
    auto channel = [value](unsigned long mask) { return mask ? static_cast<int>((value & mask) / (mask & -mask)) : 0; };
    const Rgb pixel = {channel(image->red_mask), channel(image->green_mask), channel(image->blue_mask)};
    XDestroyImage(image);
    return pixel;
}

void WineSession::PausePolling() { std::this_thread::sleep_for(Millis(2)); }

void WineSession::SetRootPicture(const fs::path& picture)
{
    // display -window root paints the picture as the root window's background and exits.
    StartNative({"display", "-window", "root", picture.string()}).Wait(Millis(30000));
}

}  // namespace harness
