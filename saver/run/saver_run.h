#pragma once
// The saver run's decisions, free of the window system: which music a file name selects,
// how the renderer is started, when the renderer counts as gone, whether the display
// needs its mode back at the end, and who may touch the desktop picture and for how long.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// The desktop picture shows whatever was on the user's screen, so it lives no longer than
// its run needs it. At the end of the run it goes once no renderer of this run can still
// read it: none was started, its process has ended, or it has reached its message loop,
// which it does only after loading both pictures (the process counts as input-idle). A
// renderer still starting keeps the picture; the next run replaces it.
bool DesktopPictureDisposable(bool rendererStarted, bool rendererEnded, bool rendererInputIdle);

// Who may do what with the desktop picture. The platform edge turns this table into a
// protected access list: the folder's inherited entries do not apply.
enum class Principal { CurrentUser, System, Administrators, Everyone };

// Access masks in the platform's file-rights bits.
constexpr uint32_t kDeleteAccess = 0x00010000;    // DELETE
constexpr uint32_t kFileAllAccess = 0x001F01FF;   // FILE_ALL_ACCESS

struct AccessGrant {
    Principal principal;
    uint32_t access;
};

// Full access for the user whose screen it is and for the system's own accounts; for
// everybody else only the right to delete it, so that another user's run can replace or
// remove a picture left behind by a crash without being able to read it.
std::vector<AccessGrant> DesktopPictureGrants();

}  // namespace glowmere
