#pragma once
// The saver run's decisions, free of the window system: which music a file name selects,
// how the renderer is started, when the renderer counts as gone, and whether the display
// needs its mode back at the end.
#include <cstdint>
#include <string>
#include <string_view>

namespace glowmere {

enum class MusicFileKind { Wav, Mp3, Other };

// Only the last three characters count, in any letter case: "song.Wav" is a WAV, "mymp3"
// an MP3, "tune.mid" neither.
MusicFileKind MusicFileKindOf(std::string_view file);

// The renderer's whole command line: its path, quoted so that a program folder with
// blanks cannot start a different program.
std::string RendererCommandLine(std::string_view programFolder);

// The renderer watch, asked at every tick of the 500 ms watch timer. The renderer
// switches the display before it creates its window, so the watch first waits for the
// window to appear (up to kAppearBound), and only then for it to go. A renderer that
// could not be started, exits before showing its window, or never shows it within the
// bound counts as gone.
class RendererWatch {
public:
    static constexpr uint32_t kAppearBoundMs = 8000;

    RendererWatch(bool rendererStarted, uint32_t startMs);

    // True once the run is over.
    bool RendererGone(bool windowExists, bool processRunning, uint32_t nowMs);

    bool WindowSeen() const { return windowSeen_; }

private:
    bool started_;
    bool windowSeen_ = false;
    uint32_t startMs_;
};

struct DisplayMode {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerPixel = 0;
};

// A renderer that died without its teardown leaves the display in its own mode; at the
// end of the run the shell then puts back the registry's. A display that is already
// right is left alone, and so is one that a still running renderer is using (a run
// ended by a close request to the controller window).
bool DisplayNeedsRestore(const DisplayMode& current, const DisplayMode& registry, bool rendererRunning);

}  // namespace glowmere
