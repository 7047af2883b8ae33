// Start-up benchmark under Wine, at 1024 x 768 on Xvfb and at 1920 x 1080 and 3840 x 2160
// on Xorg, where the renderer's switch to 1024 x 768 really happens: alternated rounds time
// "Glowmere.scr /s" and the renderer alone (with a desktop picture written here, of the
// screen's size and of 1024 x 768) from their start to the first frame on the screen, each
// as it ships, and take the steps inside them from a run under Wine's relay trace of a few
// calls (its clock ticks every 1 to 16 ms: a short call can count as 0). The session's
// server stays up between rounds, so no round pays for starting it again.
// Run through scripts/bench_startup.sh; not a test.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "harness.h"

namespace {

using harness::Millis;
using Samples = std::map<std::string, std::vector<double>>;

constexpr char kRendererTitle[] = "Lumadrift_VC";
constexpr char kRelayed[] =
    "gdi32.BitBlt;gdi32.SetDIBits;gdi32.GdiFlush;gdi32.DeleteDC;gdi32.SwapBuffers;opengl32.glTexImage2D;"
    "glu32.gluBuild2DMipmaps;kernel32.CreateFileA;kernel32.WriteFile;kernel32.MoveFileExA;kernel32.CreateProcessA;"
    "kernel32.MapViewOfFile";
const char* const kSteps[] = {"shell start-up", "desktop picture", "of it in BitBlt (capture)",
                              "in WriteFile (disk write)", "encoding, copies, rest", "spirit picture, renderer start",
                              "renderer start-up", "file mapping", "GDI conversion", "RGB rows", "upload",
                              "first SwapBuffers"};

// The trace of the process that makes the first call matching `owner`, from its start
// ("load_list"): calls as "Name(arguments", returns as "<Name".
class Trace {
public:
    Trace(const std::string& output, const std::string& owner)
    {
        static const std::regex line(R"(^(\d+\.\d+):([0-9a-f]+):[0-9a-f]+:(Call|Ret|trace:relay:load_list)\s+(.*))");
        std::vector<std::pair<std::string, Event>> all;
        std::string pid;
        std::istringstream in(output);
        for (std::string text; std::getline(in, text);) {
            std::smatch m;
            if (!std::regex_search(text, m, line))
                continue;
            const std::string what = m[4].str(), name = what.substr(std::min(what.find('.') + 1, what.size()));
            const std::string event = m[3] == "Call" ? name : m[3] == "Ret" ? "<" + name : "load_list";
            all.push_back({m[2], {std::stod(m[1]) * 1000, event}});
            if (pid.empty() && std::regex_search(all.back().second.what, std::regex(owner)))
                pid = m[2];
        }
        for (const auto& [process, event] : all)
            if (process == pid)
                events_.push_back(event);
    }

    // The first event at or after `from` that matches, or the end.
    size_t Find(size_t from, const std::string& pattern) const
    {
        const std::regex match(pattern);
        while (from < events_.size() && !std::regex_search(events_[from].what, match))
            ++from;
        return from;
    }
    bool Has(size_t at) const { return at < events_.size(); }
    std::string Name(size_t call) const { return events_[call].what.substr(0, events_[call].what.find('(')); }
    double Between(size_t from, size_t to) const { return Has(to) ? events_[to].ms - events_[from].ms : 0; }
    // The time spent inside calls of `name` between the two events.
    double Inside(size_t from, size_t to, const std::string& name) const
    {
        double sum = 0;
        for (size_t call = Find(from, "^" + name + "\\("); call < to; call = Find(call + 1, "^" + name + "\\("))
            sum += Between(call, Find(call, "^<" + name));
        return sum;
    }

private:
    struct Event { double ms; std::string what; };
    std::vector<Event> events_;
};

// The shell's steps: the capture, its copies and the write of the desktop picture, then
// the spirit picture and the renderer's start. Nothing when the trace has no capture.
void AddShellSteps(const std::string& output, Samples& steps)
{
    const Trace t(output, R"(^BitBlt\()");
    const size_t begun = t.Find(0, R"(^(BitBlt\(|CreateFileA\(.*Lumadrift1))"), moved = t.Find(begun, "^<MoveFileExA");
    const size_t started = t.Find(moved, "^<CreateProcessA");
    if (!t.Has(started))
        return;
    const double copied = t.Inside(begun, moved, "BitBlt"), written = t.Inside(begun, moved, "WriteFile");
    const double all[] = {t.Between(0, begun), t.Between(begun, moved), copied, written,
                          t.Between(begun, moved) - copied - written, t.Between(moved, started)};
    for (int i = 0; i < 6; ++i)
        steps[kSteps[i]].push_back(all[i]);
}

// The renderer's steps from its start to its first frame, through the desktop picture.
void AddRendererSteps(const std::string& output, Samples& steps)
{
    const Trace t(output, R"(^SwapBuffers\()");
    const size_t open = t.Find(0, R"(^CreateFileA\(.*Lumadrift1)"), mapped = t.Find(open, "^<MapViewOfFile");
    const size_t upload = t.Find(mapped, R"(^(glTexImage2D|gluBuild2DMipmaps)\()");
    const size_t uploaded = t.Has(upload) ? t.Find(upload, "^<" + t.Name(upload)) : upload;
    const size_t converted = std::min(t.Find(mapped, "^<GdiFlush"), upload);
    const size_t released = t.Find(converted, R"(^DeleteDC\()"), shown = t.Find(uploaded, "^<SwapBuffers");
    if (!t.Has(shown))
        return;
    const double all[] = {t.Between(0, open),      t.Between(open, mapped),  t.Between(mapped, converted),
                          released < upload ? t.Between(converted, released) : 0, t.Between(upload, uploaded),
                          t.Between(uploaded, shown)};
    for (int i = 0; i < 6; ++i)
        steps[kSteps[6 + i]].push_back(all[i]);
}

// The first frame inside the renderer's 1024 x 768 window at the top-left: a black sky
// above a floor that is not black. Until then the window is white, and the desktop under
// it is never black.
bool FirstFrameShown(harness::WineSession& session)
{
    auto brightness = [&](int x, int y) { const auto p = session.ReadPixel(x, y); return p ? p->Brightness() : 999; };
    return std::max({brightness(128, 96), brightness(512, 96), brightness(896, 96)}) <= 15 && brightness(512, 691) > 60;
}

// Starts the program and returns the milliseconds to its first frame (-1: none within a
// minute); then closes the renderer and waits until every program of the run has ended and
// the desktop shows again.
double TimeToFirstFrame(harness::WineSession& session, harness::Process& process, const std::filesystem::path& program,
                        const std::vector<std::string>& args, const harness::StartOptions& options)
{
    const auto start = std::chrono::steady_clock::now();
    process = session.Start(program, args, options);
    const bool shown = harness::Eventually([&] { return FirstFrameShown(session); }, Millis(60000), Millis(1));
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (const uint64_t window = session.FindWindow(kRendererTitle))
        session.Post(window, harness::kWmClose);
    session.WaitForWindowGone(kRendererTitle, Millis(15000));
    process.Wait(Millis(15000));
    process.Kill();
    harness::Eventually([&] { return !FirstFrameShown(session); }, Millis(15000), Millis(20));
    harness::Eventually([&] { return session.Tool({"processes"}).find("Glowmere") == std::string::npos; },
                        Millis(15000));
    return shown ? ms : -1;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

std::string LoadAverage() { return harness::ReadFile("/proc/loadavg").substr(0, 14); }

void Measure(int width, int height, int rounds)
{
    const bool xorg = width != 1024;
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    harness::WineSession session({width, height, "bench-" + size,
                                  xorg ? std::vector<std::string>{size + "+0+0"} : std::vector<std::string>{}});
    session.SetRegistryValue("HKCU\\Software\\Wine\\Debug", "RelayInclude", "REG_SZ", kRelayed);
    const auto picture = session.ArtifactPath("desktop.png");
    session.StartNative({"convert", "-size", size, "gradient:#3a7bd5-#00d2ff", picture.string()}).Wait(Millis(60000));
    session.SetRootPicture(picture);
    const auto folder = session.MakeProgramFolder("Glowmere", {"Glowmere.scr", "Glowmere.dll"});
    // The renderer alone's desktop pictures; its spirit picture is the one the runs leave.
    std::map<std::string, std::vector<uint8_t>> pictures;
    for (const auto& [w, h] : {std::pair{width, height}, {1024, 768}})
        pictures["renderer alone, " + std::to_string(w) + "x" + std::to_string(h) + " picture"] = bmp::Build24(
            w, h, [w = w](int x, int y) { return bmp::Rgb{uint8_t(60 + 140 * x / w), uint8_t(90 + y % 100), 200}; });
    const std::string load = LoadAverage();

    std::map<std::string, Samples> samples;   // by program and picture: first frames and steps
    for (int round = 0; round < 2 * rounds; ++round) {
        const bool traced = round % 2;
        const harness::StartOptions options = {{}, {{"WINEDEBUG", traced ? "+timestamp,+pid,+relay" : "-all"}}};
        auto time = [&](const std::string& name, const std::string& program, const std::vector<std::string>& args) {
            harness::Process process;
            const double ms = TimeToFirstFrame(session, process, folder / program, args, options);
            if (!traced)
                return samples[name]["first frame"].push_back(ms);
            AddShellSteps(process.Output(), samples[name]);   // none in the renderer alone's trace
            AddRendererSteps(process.Output(), samples[name]);
        };
        time("\"/s\"", "Glowmere.scr", {"/s"});
        for (const auto& [name, picture] : pictures) {
            harness::WriteFile(session.DriveC() / "n_hale" / "Lumadrift1.bmp", std::string(picture.begin(), picture.end()));
            time(name, "Glowmere.dll", {});
        }
    }

    auto median = [&](const std::string& name) { return Median(samples[name]["first frame"]); };
    const double full = median("\"/s\""), alone = median("renderer alone, " + size + " picture");
    std::printf("%s %s, medians of %d rounds, load average %s at the start and %s at the end\n", size.c_str(),
                xorg ? "on Xorg" : "on Xvfb", rounds, load.c_str(),
                LoadAverage().c_str());
    std::printf("  \"/s\" to first frame %.0f ms, renderer alone %.0f ms: ratio %.2f\n", full, alone, full / alone);
    if (xorg)
        std::printf("  renderer alone with a 1024x768 picture %.0f ms: %s picture / 1024x768 picture %.2f\n",
                    median("renderer alone, 1024x768 picture"), size.c_str(),
                    alone / median("renderer alone, 1024x768 picture"));
    for (auto& [name, steps] : samples) {
        std::printf("  steps of %s (ms):", name.c_str());
        for (const char* step : kSteps)
            if (steps.count(step))
                std::printf(" %s %.0f,", step, Median(steps[step]));
        std::printf("\n");
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    for (const auto& [width, height] : {std::pair{1024, 768}, {1920, 1080}, {3840, 2160}})
        Measure(width, height, rounds);
    return 0;
}
