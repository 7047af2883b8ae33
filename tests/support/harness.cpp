#include "harness.h"

#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace harness {

namespace {

using Environment = std::map<std::string, std::string>;
const fs::path kBuildDir = GLOWMERE_BUILD_DIR;

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error("harness: " + what); }

std::string Trim(std::string text)   // without the line ends around it
{
    text.erase(text.find_last_not_of("\r\n") + 1);
    return text.substr(std::min(text.size(), text.find_first_not_of("\r\n")));
}

// Starts argv[0] (looked up in PATH) with `env` over our environment, its output going to
// `output`. The child dies with us (PDEATHSIG): a crashed test leaves nothing running.
pid_t Spawn(const std::vector<std::string>& argv, const Environment& env, const fs::path& workingDir,
            const fs::path& output)
{
    std::vector<std::string> strings;
    for (char** e = environ; *e; ++e)
        if (!env.count(std::string(*e).substr(0, std::string(*e).find('='))))
            strings.push_back(*e);
    for (const auto& [key, value] : env)
        strings.push_back(key + "=" + value);
    std::vector<char*> args, envp;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    for (const auto& e : strings)
        envp.push_back(const_cast<char*>(e.c_str()));
    args.push_back(nullptr);
    envp.push_back(nullptr);
    const pid_t parent = getpid(), pid = fork();
    if (pid < 0)
        Fail("fork failed");
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        setpgid(0, 0);   // keeps our terminal's signals away from the child
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644), in = open("/dev/null", O_RDONLY);
        dup2(out, 1);
        dup2(out, 2);
        dup2(in, 0);
        if (workingDir.empty() || chdir(workingDir.c_str()) == 0)
            execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    return pid;
}

int RunNative(const std::vector<std::string>& argv, const Environment& env, const fs::path& log)
{
    return Process(Spawn(argv, env, {}, log), log).Wait(Millis(180000)).value_or(-1);
}

// An X server (argv) that picks its display number itself (-displayfd) and answers once
// this returns. One that dies right after reporting its number (seen once) is replaced.
pid_t StartX(std::vector<std::string> argv, const fs::path& log, std::string& display)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        int ready[2];
        if (pipe(ready) != 0)
            Fail("pipe failed");
        fcntl(ready[0], F_SETFD, FD_CLOEXEC);
        std::vector<std::string> args = argv;
        args.insert(args.end(), {"-displayfd", std::to_string(ready[1]), "-nolisten", "tcp", "-noreset"});
        const pid_t pid = Spawn(args, {}, {}, log);
        close(ready[1]);
        std::string number;
        char buffer[32];
        pollfd wait = {ready[0], POLLIN, 0};
        for (ssize_t n = 1; number.find('\n') == std::string::npos && n > 0 && poll(&wait, 1, 20000) > 0;)
            if ((n = read(ready[0], buffer, sizeof buffer)) > 0)
                number.append(buffer, static_cast<size_t>(n));
        close(ready[0]);
        display = ":" + Trim(number);
        if (display != ":" && RunNative({"xdpyinfo", "-display", display}, {}, log.string() + ".check") == 0)
            return pid;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    Fail(argv[0] + " did not start: " + ReadFile(log));
}

// The prefix's server, persistent until `wineserver -k`, so that no process ever meets a
// server on its way out. `wineserver -p` returns once the server answers; a crashed test
// leaves one for at most five minutes after its last process.
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
    // The programs ask for Japanese faces Wine lacks, and the open-file dialog falls back on
    // "MS UI Gothic": Debian's IPA fonts stand in. Unmanaged windows: with no window manager
    // Wine then draws their frames itself and destroys a shown window at once.
    const std::string fonts = "HKCU\\Software\\Wine\\Fonts\\Replacements";
    const std::vector<std::array<std::string, 3>> settings = {
        {fonts, "ＭＳ Ｐゴシック", "IPAPGothic"},
        {fonts, "ＭＳ ゴシック", "IPAGothic"},
        {fonts, "MS UI Gothic", "IPAPGothic"},
        {"HKCU\\Software\\Wine\\X11 Driver", "Managed", "N"}};
    // A template made by an older recipe (another build of these tests) is made again.
    std::string recipe;
    for (const auto& setting : settings)
        recipe += setting[0] + "|" + setting[1] + "|" + setting[2] + "\n";
    const fs::path templ = kBuildDir / "wine-template", fresh = kBuildDir / "wine-template.new";
    if (fs::exists(templ / ".ready") && ReadFile(templ / ".ready") == recipe)
        return;
    fs::remove_all(fresh);
    fs::remove_all(templ);
    fs::create_directories(fresh);
    const fs::path log = kBuildDir / "wine-template.log";
    std::string display;
    const pid_t xvfb = StartX({"Xvfb", "-screen", "0", "640x480x24"}, log, display);
    // No Mono or Gecko installers, no menu entries.
    const Environment env = {{"WINEPREFIX", fresh.string()}, {"DISPLAY", display}, {"LC_ALL", "ja_JP.UTF-8"},
                             {"WINEDEBUG", "-all"}, {"WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d"}};
    StartServer(env, log);
    int failed = RunNative({"wineboot", "-i"}, env, log);
    for (const auto& [key, name, data] : settings)
        failed |= RunNative({"wine", "reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", data, "/f"}, env, log);
    StopServer(env, log);
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    if (failed)
        Fail("could not make the template prefix: " + ReadFile(log));
    WriteFile(fresh / ".ready", recipe);
    fs::rename(fresh, templ);
}

Process& Process::operator=(Process&& other) noexcept
{
    Kill();
    pid_ = std::exchange(other.pid_, -1);
    exitCode_ = std::exchange(other.exitCode_, std::nullopt);
    output_ = std::move(other.output_);
    return *this;
}

std::optional<int> Process::Wait(Millis timeout)
{
    Eventually(
        [&] {
            int status = 0;
            const pid_t done = exitCode_ || pid_ <= 0 ? 0 : waitpid(pid_, &status, WNOHANG);
            if (done == pid_ || done < 0)
                exitCode_ = done < 0 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitCode_ || pid_ <= 0;
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

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        line.erase(line.find_last_not_of('\r') + 1);
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

std::string Hex(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes)
        out += {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
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
    std::ostringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    return text.str();
}

void WriteFile(const fs::path& file, const std::string& bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

Image LoadImage(const fs::path& file)
{
    // A binary PPM as it is, anything else through ImageMagick's convert.
    std::string data = ReadFile(file);
    if (data.compare(0, 2, "P6") != 0) {
        const fs::path ppm = fs::temp_directory_path() / ("glowmere-" + std::to_string(getpid()) + ".ppm");
        RunNative({"convert", file, "-depth", "8", "-type", "TrueColor", "ppm:" + ppm.string()}, {}, "/dev/null");
        data = ReadFile(ppm);
        fs::remove(ppm);
    }
    std::istringstream in(data);
    std::string magic;
    int maxValue = 0;
    Image image;
    in >> magic >> image.width >> image.height >> maxValue;
    in.get();
    image.rgb.resize(size_t(std::max(image.width, 0)) * size_t(std::max(image.height, 0)) * 3);
    in.read(reinterpret_cast<char*>(image.rgb.data()), static_cast<std::streamsize>(image.rgb.size()));
    if (magic != "P6" || maxValue != 255 || image.rgb.empty() || in.gcount() != std::streamsize(image.rgb.size()))
        Fail("not a picture: " + file.string());
    return image;
}

WineSession::WineSession(SessionOptions options) : options_(std::move(options))
{
    char pattern[] = "/tmp/glowmere-wine-XXXXXX";
    if (!mkdtemp(pattern))
        Fail("cannot make a temporary folder");
    workDir_ = pattern;
    fs::create_directories(ArtifactPath(""));
    MakeTemplatePrefix();
    // Hard links to the template's files, which Wine only reads; copies of the ones it
    // rewrites (the registry files at the top, the .ini files).
    const fs::path templ = kBuildDir / "wine-template", prefix = workDir_ / "prefix";
    fs::create_directories(prefix);
    for (auto it = fs::recursive_directory_iterator(templ); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path target = prefix / it->path().lexically_relative(templ);
        if (it->is_symlink())
            fs::copy_symlink(it->path(), target);
        else if (it->is_directory())
            fs::create_directory(target);
        else if (it->path().parent_path() == templ || it->path().extension() == ".ini")
            fs::copy_file(it->path(), target);
        else
            fs::create_hard_link(it->path(), target);
    }
    StartDisplay();
    StartServer(Environment(), workDir_ / "wineserver.log");
}

WineSession::~WineSession()
{
    if (xDisplay_)
        XCloseDisplay(static_cast<::Display*>(xDisplay_));
    // The server ends every Windows process of this prefix, those our programs started
    // themselves among them.
    StopServer(Environment(), workDir_ / "wineserver.log");
    kill(displayProcess_, SIGTERM);
    waitpid(displayProcess_, nullptr, 0);
    std::error_code ignored;
    fs::remove_all(workDir_, ignored);
}

// The one place that starts the session's X display.
void WineSession::StartDisplay()
{
    const std::vector<std::string>& monitors = options_.monitors;
    if (monitors.empty()) {
        const std::string screen = std::to_string(options_.width) + "x" + std::to_string(options_.height) + "x24";
        displayProcess_ = StartX({"Xvfb", "-screen", "0", screen}, workDir_ / "xvfb.log", display_);
        return;
    }
    // The dummy driver's outputs DUMMY0, DUMMY1, ... on a screen large enough for several
    // monitors side by side; the monitor limits let every common mode through.
    const fs::path config = workDir_ / "xorg.conf", log = workDir_ / "xorg.log";
    WriteFile(config, "Section \"Monitor\"\n Identifier \"m\"\n HorizSync 5-1000\n VertRefresh 5-200\nEndSection\n"
                      "Section \"Device\"\n Identifier \"d\"\n Driver \"dummy\"\n VideoRam 256000\nEndSection\n"
                      "Section \"Screen\"\n Identifier \"s\"\n Device \"d\"\n Monitor \"m\"\n"
                      " SubSection \"Display\"\n  Virtual 4096 2160\n EndSubSection\nEndSection\n");
    displayProcess_ = StartX({"Xorg", "-config", config, "-logfile", log, "-novtswitch", "-sharevts", "-keeptty"},
                             log, display_);
    // Every output gets every mode of the layout (one it has already is no harm); a size the
    // driver does not list (3840 x 2160) is made from cvt's timings. Wine reads the outputs
    // without probing them: the last query makes X probe, so that the outputs just switched
    // on read as connected.
    std::string modes, layout = "xrandr";
    for (size_t i = 0; i < monitors.size(); ++i) {
        const std::string mode = monitors[i].substr(0, monitors[i].find('+'));
        std::string place = monitors[i].substr(mode.size() + 1), size = mode;
        std::replace(place.begin(), place.end(), '+', 'x');
        std::replace(size.begin(), size.end(), 'x', ' ');
        modes += "xrandr | grep -q '^ *" + mode + " ' || xrandr --newmode " + mode + " $(cvt " + size +
                 " | sed -n 's/^Modeline \"[^\"]*\" *//p');";
        for (size_t output = 0; output < monitors.size(); ++output)
            modes += "xrandr --addmode DUMMY" + std::to_string(output) + " " + mode + ";";
        layout += " --output DUMMY" + std::to_string(i) + " --mode " + mode + " --pos " + place + (i ? "" : " --primary");
    }
    if (RunNative({"sh", "-c", modes + layout + " && xrandr"}, {{"DISPLAY", display_}}, log.string() + ".layout") != 0)
        Fail("xrandr could not lay out the monitors: " + ReadFile(log.string() + ".layout"));
}

Environment WineSession::Environment() const
{
    // One renderer thread: a spinning renderer then leaves the other core to the rest.
    return {{"WINEPREFIX", (workDir_ / "prefix").string()}, {"DISPLAY", display_}, {"LC_ALL", "ja_JP.UTF-8"},
            {"WINEDEBUG", "-all"}, {"WINEDLLOVERRIDES", "winemenubuilder.exe=d"}, {"LP_NUM_THREADS", "1"}};
}

std::string WineSession::Ansi(const std::string& utf8)
{
    iconv_t convert = iconv_open("CP932", "UTF-8");
    std::string in = utf8, out(utf8.size() * 2 + 4, '\0');
    char *inPtr = in.data(), *outPtr = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    const size_t done = iconv(convert, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(convert);
    if (done == static_cast<size_t>(-1))
        Fail("no code page 932 form for: " + utf8);
    return out.substr(0, out.size() - outLeft);
}

std::string WineSession::WindowsPath(const fs::path& path) const
{
    const std::string full = fs::absolute(path).lexically_normal().string(), root = DriveC().string();
    std::string result = full.compare(0, root.size(), root) == 0 ? "C:" + full.substr(root.size()) : "Z:" + full;
    std::replace(result.begin(), result.end(), '/', '\\');
    return result == "C:" ? "C:\\" : result;
}

fs::path WineSession::ArtifactPath(const std::string& file) const
{
    return kBuildDir / "test-artifacts" / options_.name / file;
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
    std::vector<std::string> argv = {"wine", exe.string()};
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
    RunResult result{p.Wait(timeout), {}};
    p.Kill();
    result.output = p.Output();
    return result;
}

std::string WineSession::Tool(const std::vector<std::string>& args, Millis timeout)
{
    // The serving tool, started on first use.
    const fs::path folder = workDir_ / "tool";
    if (!toolServer_.Running()) {
        fs::create_directories(folder);
        toolServer_ = StartNative({"wine", (TestProgramsDir() / "testtool.exe").string(), "serve", WindowsPath(folder)});
    }
    std::string request;
    for (const std::string& arg : args)
        request += (request.empty() ? "" : "\n") + arg;
    WriteFile(folder / "request.new", request);   // handed over whole
    fs::rename(folder / "request.new", folder / "request");
    if (!Eventually([&] { return fs::exists(folder / "answer"); }, timeout, Millis(2))) {
        toolServer_.Kill();
        Fail("testtool timed out: " + request);
    }
    const std::string answer = ReadFile(folder / "answer");
    fs::remove(folder / "answer");
    return Trim(answer);
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

std::vector<ChildWindow> WineSession::Children(uint64_t parent)
{
    std::vector<ChildWindow> children;
    for (const std::string& line : Lines(Tool({"children", std::to_string(parent)}))) {
        std::istringstream in(line);
        ChildWindow& child = children.emplace_back();
        in >> child.handle >> child.visible >> child.className;
        std::getline(in >> std::ws, child.text);
    }
    return children;
}

std::pair<uint64_t, std::string> WineSession::WaitForMessageBox(const std::string& caption, Millis timeout)
{
    std::vector<std::string> lines;
    Eventually([&] { return !(lines = Lines(Tool({"message-box", caption}))).empty() && lines[0] != "0"; }, timeout,
               Millis(20));
    return {lines.empty() ? 0 : std::stoull(lines[0]), lines.size() > 1 ? FromHex(lines[1]) : std::string()};
}

// The screen's pixels in the rectangle (width 0: the whole screen at its size of the moment);
// none when the screen cannot be read, as when it changes its size meanwhile.
Image WineSession::GrabArea(int x, int y, int width, int height)
{
    if (!xDisplay_) {
        XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });   // instead of ending the test
        xDisplay_ = XOpenDisplay(display_.c_str());
    }
    ::Display* display = static_cast<::Display*>(xDisplay_);
    XWindowAttributes root = {};
    if (display && width == 0 && XGetWindowAttributes(display, DefaultRootWindow(display), &root))
        width = root.width, height = root.height;
    XImage* image = display ? XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), AllPlanes, ZPixmap)
                            : nullptr;
    Image area{width, height, std::vector<uint8_t>(image ? size_t(width) * size_t(height) * 3 : 0)};
    // The 24-bit screen keeps each channel in the 8 bits of its mask.
    const auto channel = [](unsigned long value, unsigned long mask) {
        return static_cast<uint8_t>((value & mask) / (mask & -mask));
    };
    for (size_t i = 0; i < area.rgb.size(); i += 3) {
        const unsigned long value = XGetPixel(image, int(i / 3 % size_t(width)), int(i / 3 / size_t(width)));
        area.rgb[i] = channel(value, image->red_mask);
        area.rgb[i + 1] = channel(value, image->green_mask);
        area.rgb[i + 2] = channel(value, image->blue_mask);
    }
    if (image)
        XDestroyImage(image);
    return area;
}

Image WineSession::Grab()
{
    Image shot;
    if (!Eventually([&] { return !(shot = GrabArea(0, 0, 0, 0)).rgb.empty(); }, Millis(5000)))
        Fail("cannot read the screen");
    return shot;
}

const Image& WineSession::Keep(const Image& shot, const std::string& name) const
{
    std::ofstream out(ArtifactPath(name + ".ppm"), std::ios::binary);
    out << "P6\n" << shot.width << " " << shot.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(shot.rgb.data()), static_cast<std::streamsize>(shot.rgb.size()));
    return shot;
}

std::optional<Rgb> WineSession::ReadPixel(int x, int y)
{
    const Image pixel = x >= 0 && y >= 0 && x < options_.width && y < options_.height ? GrabArea(x, y, 1, 1) : Image{};
    return pixel.rgb.empty() ? std::nullopt : std::optional<Rgb>(pixel.At(0, 0));
}

}  // namespace harness
