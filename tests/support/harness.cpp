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
#include <array>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "picture_loader.h"

namespace harness {

namespace {

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error("harness: " + what); }

std::string Trim(std::string text)
{
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    text.erase(text.begin(), std::find_if(text.begin(), text.end(), notSpace));
    text.erase(std::find_if(text.rbegin(), text.rend(), notSpace).base(), text.end());
    return text;
}

using Environment = std::map<std::string, std::string>;

// Starts argv[0] (looked up in PATH) with `env` added to our environment, its standard
// output and error going to `output`. The child dies with us (PDEATHSIG), so a crashed
// test leaves nothing running.
pid_t Spawn(const std::vector<std::string>& argv, const Environment& env, const fs::path& workingDir,
            const fs::path& output)
{
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e)
        if (!env.count(std::string(*e).substr(0, std::string(*e).find('='))))
            envStrings.push_back(*e);
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
        const int in = open("/dev/null", O_RDONLY);
        dup2(out, 1);
        dup2(out, 2);
        dup2(in, 0);
        if (!workingDir.empty() && chdir(workingDir.c_str()) != 0)
            _exit(126);
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    return pid;
}

int RunNative(const std::vector<std::string>& argv, const Environment& env, const fs::path& log)
{
    Process process(Spawn(argv, env, {}, log), log);
    return process.Wait(Millis(180000)).value_or(-1);
}

// An Xvfb of the size on a display number it picks itself (-displayfd), answering once
// this returns. A server that dies right after reporting its number is replaced.
pid_t StartXvfb(int width, int height, const fs::path& log, std::string& display)
{
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    for (int attempt = 0; attempt < 3; ++attempt) {
        int ready[2];
        if (pipe(ready) != 0)
            Fail("pipe failed");
        fcntl(ready[0], F_SETFD, FD_CLOEXEC);
        const pid_t pid = Spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", screen,
                                 "-nolisten", "tcp", "-noreset"},
                                {}, {}, log);
        close(ready[1]);
        std::string number;
        pollfd wait = {ready[0], POLLIN, 0};
        char buffer[32];
        ssize_t n = 1;
        while (number.find('\n') == std::string::npos && n > 0 && poll(&wait, 1, 20000) > 0)
            if ((n = read(ready[0], buffer, sizeof buffer)) > 0)
                number.append(buffer, static_cast<size_t>(n));
        close(ready[0]);
        display = ":" + Trim(number);
        if (!Trim(number).empty() && RunNative({"xdpyinfo", "-display", display}, {}, log.string() + ".check") == 0)
            return pid;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    Fail("Xvfb did not start: " + ReadFile(log));
}

// Serialises the making of the template prefix between test programs running at once.
class FileLock {
public:
    explicit FileLock(const fs::path& file) : fd_(open(file.c_str(), O_RDWR | O_CREAT, 0644))
    {
        if (fd_ < 0 || flock(fd_, LOCK_EX) != 0)
            Fail("cannot lock " + file.string());
    }
    ~FileLock() { close(fd_); }

private:
    int fd_;
};

const fs::path kBuildDir = GLOWMERE_BUILD_DIR;

// A session's prefix: hard links to the template's files, which Wine only reads, and
// copies of what it rewrites (the registry files at the top, the .ini files).
void LinkPrefix(const fs::path& from, const fs::path& to)
{
    fs::create_directories(to);
    for (auto it = fs::recursive_directory_iterator(from); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path target = to / it->path().lexically_relative(from);
        if (it->is_symlink())
            fs::copy_symlink(it->path(), target);
        else if (it->is_directory())
            fs::create_directory(target);
        else if (it->path().parent_path() == from || it->path().extension() == ".ini")
            fs::copy_file(it->path(), target);
        else
            fs::create_hard_link(it->path(), target);
    }
}

// The display and server of a prefix: persistent until `wineserver -k`, so that no
// process ever meets a server on its way out. `wineserver -p` returns once the server
// answers; an ended test leaves a server for at most five minutes after its last process.
void StartServer(const Environment& env, const fs::path& log)
{
    if (RunNative({"wineserver", "-p300"}, env, log) != 0)
        Fail("wineserver did not start: " + ReadFile(log));
}

void StopServer(const Environment& env, const fs::path& log)
{
    RunNative({"wineserver", "-k"}, env, log);
    RunNative({"wineserver", "-w"}, env, log);
}

}  // namespace

fs::path ProgramsDir() { return GLOWMERE_PROGRAMS_DIR; }
fs::path TestProgramsDir() { return GLOWMERE_TEST_PROGRAMS_DIR; }
fs::path SourceDir() { return GLOWMERE_SOURCE_DIR; }

void MakeTemplatePrefix()
{
    const fs::path templ = kBuildDir / "wine-template", fresh = kBuildDir / "wine-template.new";
    FileLock lock(kBuildDir / "wine-template.lock");
    if (fs::exists(templ / ".ready"))
        return;
    fs::remove_all(fresh);
    fs::remove_all(templ);
    fs::create_directories(fresh);
    const fs::path log = kBuildDir / "wine-template.log";
    std::string display;
    const pid_t xvfb = StartXvfb(640, 480, log, display);
    // No Mono or Gecko installers, no menu entries.
    const Environment env = {{"WINEPREFIX", fresh.string()}, {"DISPLAY", display}, {"LC_ALL", "ja_JP.UTF-8"},
                             {"WINEDEBUG", "-all"}, {"WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d"}};
    StartServer(env, log);
    int failed = RunNative({"wineboot", "-i"}, env, log);
    // The dialogs ask for Japanese faces Wine lacks, and the open-file dialog falls back on
    // "MS UI Gothic"; Debian's IPA fonts stand in. Unmanaged windows: Wine draws their
    // frames itself (there is no window manager) and destroys a shown window at once
    // instead of waiting for a manager's answer.
    const std::string fonts = "HKCU\\Software\\Wine\\Fonts\\Replacements";
    for (const auto& [key, name, data] : std::vector<std::array<std::string, 3>>{
             {fonts, "ＭＳ Ｐゴシック", "IPAPGothic"},
             {fonts, "ＭＳ ゴシック", "IPAGothic"},
             {fonts, "MS UI Gothic", "IPAPGothic"},
             {"HKCU\\Software\\Wine\\X11 Driver", "Managed", "N"}})
        failed |= RunNative({"wine", "reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", data, "/f"}, env, log);
    StopServer(env, log);
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    if (failed)
        Fail("could not make the template prefix: " + ReadFile(log));
    std::ofstream(fresh / ".ready") << "ok\n";
    fs::rename(fresh, templ);
}

// ---------------------------------------------------------------------------------------
// Process

Process::Process(pid_t pid, fs::path output) : pid_(pid), output_(std::move(output)) {}

Process::Process(Process&& other) noexcept { *this = std::move(other); }

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        Kill();
        pid_ = std::exchange(other.pid_, -1);
        exitCode_ = std::exchange(other.exitCode_, std::nullopt);
        output_ = std::move(other.output_);
    }
    return *this;
}

Process::~Process() { Kill(); }

bool Process::Running() { return pid_ > 0 && !Wait(Millis(0)).has_value(); }

std::optional<int> Process::Wait(Millis timeout)
{
    if (exitCode_ || pid_ <= 0)
        return exitCode_;
    Eventually(
        [&] {
            int status = 0;
            const pid_t done = waitpid(pid_, &status, WNOHANG);
            if (done == pid_)
                exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            else if (done < 0)
                exitCode_ = -1;
            return exitCode_.has_value();
        },
        timeout, Millis(10));
    return exitCode_;
}

void Process::Kill()
{
    if (pid_ > 0 && !exitCode_) {
        kill(pid_, SIGKILL);
        Wait(Millis(5000));
    }
}

std::string Process::Output() const { return output_.empty() ? std::string() : ReadFile(output_); }

std::optional<std::string> Process::WaitForLine(const std::string& start, Millis timeout)
{
    std::optional<std::string> found;
    Eventually(
        [&] {
            for (const std::string& line : Lines(Output()))
                if (line.compare(0, start.size(), start) == 0)
                    return (found = line).has_value();
            return false;
        },
        timeout, Millis(20));
    return found;
}

// ---------------------------------------------------------------------------------------
// Texts, files and pictures

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

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes)
        out += {digits[c >> 4], digits[c & 15]};
    return out;
}

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

Rgb Image::At(int x, int y) const
{
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
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
    MakeTemplatePrefix();
    LinkPrefix(kBuildDir / "wine-template", prefix_);
    StartDisplay();
    StartServer(Environment(), workDir_ / "wineserver.log");
}

WineSession::~WineSession()
{
    if (xDisplay_)
        XCloseDisplay(static_cast<::Display*>(xDisplay_));
    // The server ends every Windows process of this prefix, the ones our programs started
    // themselves among them; then the display, by its pid.
    StopServer(Environment(), workDir_ / "wineserver.log");
    kill(displayProcess_, SIGTERM);
    waitpid(displayProcess_, nullptr, 0);
    std::error_code ignored;
    fs::remove_all(workDir_, ignored);
}

void WineSession::StartDisplay()
{
    displayProcess_ = StartXvfb(options_.width, options_.height, workDir_ / "xvfb.log", display_);
}

Environment WineSession::Environment() const
{
    // One renderer thread: a spinning renderer then leaves the other core to the rest.
    return {{"WINEPREFIX", prefix_.string()}, {"DISPLAY", display_}, {"LC_ALL", options_.locale},
            {"WINEDEBUG", "-all"}, {"WINEDLLOVERRIDES", "winemenubuilder.exe=d"}, {"LP_NUM_THREADS", "1"}};
}

std::string WineSession::Ansi(const std::string& utf8) const
{
    const std::string language = options_.locale.substr(0, options_.locale.find('.'));
    const char* codePage = language == "en_US" ? "CP1252" : language == "zh_CN" ? "CP936" : "CP932";
    iconv_t convert = iconv_open(codePage, "UTF-8");
    std::string in = utf8, out(utf8.size() * 2 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    const size_t done = iconv(convert, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(convert);
    if (done == static_cast<size_t>(-1))
        Fail(std::string("no ") + codePage + " form for: " + utf8);
    out.resize(out.size() - outLeft);
    return out;
}

std::string WineSession::WindowsPath(const fs::path& path) const
{
    const std::string full = fs::absolute(path).lexically_normal().string(), root = DriveC().string();
    std::string result = full.compare(0, root.size(), root) == 0 ? "C:" + full.substr(root.size()) : "Z:" + full;
    std::replace(result.begin(), result.end(), '/', '\\');
    return result == "C:" ? "C:\\" : result;
}

fs::path WineSession::MakeProgramFolder(const std::string& name, const std::vector<std::string>& programs)
{
    const fs::path folder = DriveC() / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const auto& program : programs)
        fs::copy_file(ProgramsDir() / program, folder / program);
    return folder;
}

void WineSession::SetRegistryValue(const std::string& key, const std::string& name, const std::string& type,
                                   const std::string& data)
{
    const RunResult run = Run("reg", {"add", key, "/v", name, "/t", type, "/d", data, "/f"}, Millis(60000));
    if (run.exitCode != 0)
        Fail("reg add failed: " + run.output);
}

Process WineSession::Start(const fs::path& exe, const std::vector<std::string>& args, const StartOptions& options)
{
    std::vector<std::string> argv = {"wine"};
    if (!desktop_.empty())
        argv.insert(argv.end(), {"explorer", "/desktop=glowmere," + desktop_});
    argv.push_back(exe.string());
    argv.insert(argv.end(), args.begin(), args.end());
    StartOptions withDir = options;
    if (withDir.workingDir.empty())
        withDir.workingDir = exe.has_parent_path() ? exe.parent_path() : DriveC();
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

// Hands the tool server a request, whole.
void Request(const fs::path& folder, const std::string& request)
{
    WriteFile(folder / "request.new", request);
    fs::rename(folder / "request.new", folder / "request");
}

void WineSession::UseVirtualDesktop(const std::string& size)
{
    if (size.empty() && toolServers_[1].Running()) {
        Request(workDir_ / "tool-desktop", "quit");
        toolServers_[1].Wait(Millis(10000));
    }
    desktop_ = size;
}

std::string WineSession::Tool(const std::vector<std::string>& args, Millis timeout)
{
    // One serving tool process for the default desktop and one inside the virtual desktop,
    // each started on first use (inside the desktop the tool starts a copy of itself there).
    const bool inDesktop = !desktop_.empty();
    const fs::path folder = workDir_ / (inDesktop ? "tool-desktop" : "tool");
    Process& server = toolServers_[inDesktop];
    if (!server.Running()) {
        fs::create_directories(folder);
        StartOptions options;
        if (inDesktop)
            options.env["GLOWMERE_TEST_DESKTOP"] = "glowmere";
        server = StartNative({"wine", (TestProgramsDir() / "testtool.exe").string(), "serve", WindowsPath(folder)},
                             options);
    }
    std::string request;
    for (const std::string& arg : args)
        request += (request.empty() ? "" : "\n") + arg;
    Request(folder, request);
    if (!Eventually([&] { return fs::exists(folder / "answer"); }, timeout, Millis(2))) {
        server.Kill();
        Fail("testtool timed out: " + request);
    }
    const std::string answer = ReadFile(folder / "answer");
    fs::remove(folder / "answer");
    return Trim(answer);
}

uint64_t WineSession::FindWindow(const std::string& title) { return std::stoull("0" + Tool({"find", title})); }

uint64_t WineSession::WaitForWindow(const std::string& title, Millis timeout)
{
    return std::stoull("0" + Tool({"wait-window", title, std::to_string(timeout.count())}, timeout + Millis(30000)));
}

bool WineSession::WaitForWindowGone(const std::string& title, Millis timeout)
{
    return Tool({"wait-gone", title, std::to_string(timeout.count())}, timeout + Millis(30000)) == "1";
}

WindowInfo WineSession::Window(uint64_t handle)
{
    std::istringstream in(Tool({"info", std::to_string(handle)}));
    WindowInfo info;
    in >> info.visible >> info.enabled >> info.parent >> info.owner >> std::hex >> info.style >> std::dec >>
        info.left >> info.top >> info.right >> info.bottom >> info.clientX >> info.clientY >> info.clientWidth >>
        info.clientHeight >> info.className;
    std::getline(in >> std::ws, info.text);
    return info;
}

std::vector<ChildWindow> WineSession::Children(uint64_t parent, bool visibleOnly)
{
    std::vector<ChildWindow> children;
    for (const std::string& line : Lines(Tool({visibleOnly ? "visible-children" : "children", std::to_string(parent)}))) {
        std::istringstream in(line);
        ChildWindow child;
        in >> child.handle >> child.className;
        std::getline(in >> std::ws, child.text);
        children.push_back(child);
    }
    return children;
}

std::pair<uint64_t, std::string> WineSession::WaitForMessageBox(const std::string& caption, Millis timeout)
{
    const auto lines = Lines(Tool({"message-box", caption, std::to_string(timeout.count())}, timeout + Millis(30000)));
    return {lines.empty() ? 0 : std::stoull(lines[0]), lines.size() > 1 ? FromHex(lines[1]) : std::string()};
}

void WineSession::Post(uint64_t window, unsigned message, long long wParam, long long lParam)
{
    Tool({"post", std::to_string(window), std::to_string(message), std::to_string(wParam), std::to_string(lParam)});
}

void WineSession::Xdotool(const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    StartNative(argv).Wait(Millis(30000));
}

void WineSession::Key(const std::string& keysym) { Xdotool({"key", "--clearmodifiers", keysym}); }
void WineSession::Type(const std::string& text) { Xdotool({"type", "--clearmodifiers", "--delay", "40", text}); }
void WineSession::MoveMouse(int x, int y) { Xdotool({"mousemove", std::to_string(x), std::to_string(y)}); }
void WineSession::Click(int button) { Xdotool({"click", std::to_string(button)}); }

fs::path WineSession::ArtifactPath(const std::string& file) const
{
    return kBuildDir / "test-artifacts" / options_.name / file;
}

// The screen's pixels in the rectangle; no pixels when the screen cannot be read.
Image WineSession::GrabArea(int x, int y, int width, int height)
{
    if (!xDisplay_)
        xDisplay_ = XOpenDisplay(display_.c_str());
    ::Display* display = static_cast<::Display*>(xDisplay_);
    XImage* image = display ? XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), AllPlanes, ZPixmap)
                            : nullptr;
    Image area{width, height, {}};
    if (!image)
        return area;
    // The 24-bit screen keeps each channel in the 8 bits of its mask.
    const auto channel = [](unsigned long value, unsigned long mask) {
        return static_cast<uint8_t>((value & mask) / (mask & -mask));
    };
    area.rgb.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            const unsigned long value = XGetPixel(image, i, j);
            area.rgb.insert(area.rgb.end(), {channel(value, image->red_mask), channel(value, image->green_mask),
                                             channel(value, image->blue_mask)});
        }
    XDestroyImage(image);
    return area;
}

Image WineSession::Grab()
{
    Image shot = GrabArea(0, 0, options_.width, options_.height);
    if (shot.rgb.empty())
        Fail("cannot read the screen");
    return shot;
}

void WineSession::Keep(const Image& shot, const std::string& name) const
{
    std::ofstream out(ArtifactPath(name + ".ppm"), std::ios::binary);
    out << "P6\n" << shot.width << " " << shot.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(shot.rgb.data()), static_cast<std::streamsize>(shot.rgb.size()));
}

Image WineSession::Screenshot(const std::string& name)
{
    Image shot = Grab();
    Keep(shot, name);
    return shot;
}

std::optional<Rgb> WineSession::ReadPixel(int x, int y)
{
    if (x < 0 || y < 0 || x >= options_.width || y >= options_.height)
        return std::nullopt;
    const Image pixel = GrabArea(x, y, 1, 1);
    return pixel.rgb.empty() ? std::nullopt : std::optional<Rgb>(pixel.At(0, 0));
}

void WineSession::SetRootPicture(const fs::path& picture)
{
    // display -window root paints the picture as the root window's background and exits.
    StartNative({"display", "-window", "root", picture.string()}).Wait(Millis(30000));
}

}  // namespace harness
