// Start-up benchmark of a full-screen run, under Wine: the time from starting
// "Glowmere.scr /s" to the renderer's first frame on the screen, against the time the
// renderer alone takes to its first frame with the hand-off pictures already written,
// measured in the same session. Run through scripts/bench_startup.sh; not a test.
//
// The first frame is recognised on the screen itself: a black sky above a floor that is
// not black. The desktop under the run is never black, and the renderer's window shows
// white until its first frame is presented.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Millis;
using Clock = std::chrono::steady_clock;

constexpr char kRendererTitle[] = "Lumadrift_VC";

// Milliseconds from `start` to the first frame, or -1 when none came within a minute.
double MillisToFirstFrame(harness::WineSession& session, Clock::time_point start)
{
    // Inside the renderer's 1024 x 768 window at the top-left.
    while (Clock::now() - start < std::chrono::seconds(60)) {
        const auto sky = session.ReadPixel(512, 96);
        const auto floor = session.ReadPixel(512, 691);
        if (sky && floor && sky->Brightness() == 0 && floor->Brightness() > 0)
            return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::this_thread::sleep_for(Millis(1));
    }
    return -1;
}

void EndRun(harness::WineSession& session, harness::Process& program)
{
    if (const uint64_t window = session.FindWindow(kRendererTitle))
        session.Tool({"post", std::to_string(window), "16", "0", "0"});
    session.WaitForWindowGone(kRendererTitle, Millis(15000));
    program.Wait(Millis(15000));
    program.Kill();
    std::this_thread::sleep_for(Millis(1500));   // the renderer's process ends after its window
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

void Measure(int width, int height, bool xorg, int rounds)
{
    // On Xorg the renderer's switch to 1024 x 768 really happens.
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    harness::WineSession session({width, height, "bench-" + size, "ja_JP.UTF-8",
                                  xorg ? std::vector<std::string>{size + "+0+0"} : std::vector<std::string>{}});
    const fs::path picture = session.ArtifactPath("desktop.png");
    session.StartNative({"convert", "-size", size, "gradient:#3a7bd5-#00d2ff", picture.string()}).Wait(Millis(60000));
    session.SetRootPicture(picture);
    const fs::path folder = session.MakeProgramFolder("Glowmere", {"Glowmere.scr", "Glowmere.dll"});
    session.Tool({"display-mode"});   // the session's first Wine process starts its server

    std::vector<double> full, alone;
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        harness::Process shell = session.Start(folder / "Glowmere.scr", {"/s"});
        full.push_back(MillisToFirstFrame(session, start));
        // The run removes its desktop picture at its end: the renderer alone gets a copy.
        const std::string desktop = harness::ReadFile(session.DriveC() / "n_hale" / "Lumadrift1.bmp");
        EndRun(session, shell);

        harness::WriteFile(session.DriveC() / "n_hale" / "Lumadrift1.bmp", desktop);
        start = Clock::now();
        harness::Process renderer = session.Start(folder / "Glowmere.dll");
        alone.push_back(MillisToFirstFrame(session, start));
        EndRun(session, renderer);
    }
    const double a = Median(full), b = Median(alone);
    std::printf("%4dx%-4d %-16s  /s to first frame %7.0f ms   renderer alone %7.0f ms   ratio %.2f   (median of %d)\n",
                width, height, xorg ? "Xorg" : "Xvfb", a, b, b > 0 ? a / b : 0.0, rounds);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Measure(1024, 768, false, rounds);
    Measure(1920, 1080, true, rounds);
    return 0;
}
