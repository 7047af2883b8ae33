#include "xorg_display.h"

#include <signal.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace harness {

XorgDisplay::XorgDisplay()
{
    char pattern[] = "/tmp/glowmere-xorg-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("cannot make a folder for Xorg");
    folder_ = pattern;
    // A screen large enough for several monitors side by side.
    std::ofstream(folder_ / "xorg.conf") << "Section \"Device\"\n Identifier \"d\"\n Driver \"dummy\"\n VideoRam 256000\n"
                                            "EndSection\nSection \"Screen\"\n Identifier \"s\"\n Device \"d\"\n"
                                            " SubSection \"Display\"\n  Virtual 4096 2160\n EndSubSection\nEndSection\n";
    // The shell prints its pid and becomes the server, which writes its display number to the
    // pipe once it accepts clients, and ends with the test.
    const std::string log = (folder_ / "xorg.log").string();
    server_ = popen(("echo $$; exec setpriv --pdeathsig TERM Xorg -config " + (folder_ / "xorg.conf").string() +
                     " -logfile " + log + " -displayfd 1 -noreset -nolisten tcp -novtswitch -sharevts -keeptty 2>" +
                     log + ".err").c_str(), "re");
    char pid[32] = {}, number[32] = {};
    if (!server_ || !fgets(pid, sizeof pid, server_) || !fgets(number, sizeof number, server_) ||
        (pid_ = std::atoi(pid)) <= 0)
        throw std::runtime_error("Xorg did not start; see " + log);
    name_ = ":" + std::to_string(std::atoi(number));
}

XorgDisplay::~XorgDisplay()
{
    kill(pid_, SIGTERM);
    pclose(server_);   // waits for it
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string XorgDisplay::Run(const std::string& command) const
{
    const fs::path output = folder_ / "run.out";
    std::system(("export DISPLAY=" + name_ + "; (" + command + ") >" + output.string() + " 2>>" +
                 (folder_ / "run.log").string()).c_str());
    return ReadFile(output);
}

void XorgDisplay::Apply(const std::vector<Monitor>& monitors)
{
    // Each mode is made from cvt's timings (making one that exists fails harmlessly).
    std::string command;
    for (const Monitor& m : monitors) {
        const std::string w = std::to_string(m.width), h = std::to_string(m.height);
        command += "xrandr --newmode " + w + "x" + h + " $(cvt " + w + " " + h + " 60 | sed -n 's/^Modeline \"[^\"]*\"//p');";
        for (size_t i = 0; i < monitors.size(); ++i)
            command += "xrandr --addmode DUMMY" + std::to_string(i) + " " + w + "x" + h + ";";
    }
    command += "xrandr";
    for (size_t i = 0; i < std::max(monitors.size(), outputsUsed_); ++i) {
        const Monitor m = i < monitors.size() ? monitors[i] : Monitor();
        command += " --output DUMMY" + std::to_string(i) +
                   (m.width == 0 ? " --off"
                                 : " --mode " + std::to_string(m.width) + "x" + std::to_string(m.height) + " --pos " +
                                       std::to_string(m.x) + "x" + std::to_string(m.y) + (i == 0 ? " --primary" : ""));
    }
    outputsUsed_ = monitors.size();
    // Wine reads the outputs without probing them; the last query makes the server probe, so
    // that an output just switched on reads as connected.
    Run(command + "; xrandr >/dev/null");
}

Image XorgDisplay::Screen() const
{
    // A screen that changes its size between the two requests fails the second: no exit for that.
    XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
    ::Display* display = XOpenDisplay(name_.c_str());
    XWindowAttributes root = {};
    XGetWindowAttributes(display, DefaultRootWindow(display), &root);
    Image shot;
    if (XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, root.width, root.height, AllPlanes, ZPixmap)) {
        shot = {root.width, root.height, std::vector<uint8_t>(static_cast<size_t>(root.width) * root.height * 3)};
        for (size_t i = 0; i < shot.rgb.size(); i += 3) {
            const unsigned long pixel = XGetPixel(image, i / 3 % root.width, i / 3 / root.width);   // 0xRRGGBB
            shot.rgb[i] = static_cast<uint8_t>(pixel >> 16);
            shot.rgb[i + 1] = static_cast<uint8_t>(pixel >> 8);
            shot.rgb[i + 2] = static_cast<uint8_t>(pixel);
        }
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return shot;
}

}  // namespace harness
