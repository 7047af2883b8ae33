#pragma once
// Main: the saver shell's start-up, written against a small set of steps that the Win32
// edge provides (window look-ups, the folder, the message box, the forms), so that the
// whole order of events can be checked without Windows.
//
// Outcome by argument string, once no other saver run or settings dialog is open:
//
//   argument string                      letter  outcome
//   (empty)                              none    saver run, cursor left visible
//   /s  /S  -s  /S 1234                  S       saver run, cursor hidden
//   /c  /C:1234  -c                      C       settings dialog (modal), then the end
//   /p 1234  /P:1234  -p 1234            P       preview in host window 1234
//   anything else (/a 1234, s, " /s")    other   the end, after the folder, the
//                                                settings and the renderer check
//
// Every mode but the preview creates the working folder, reads the settings and ends with
// the renderer-missing message when Glowmere.dll is not beside the program.
#include <cstdint>
#include <string>
#include <string_view>

namespace glowmere {

// Titles of the windows the programs look for across processes.
constexpr char kSaverRunTitle[] = "Lumadrift_Main";       // hidden controller of a run
constexpr char kSettingsDialogTitle[] = "<Glowmere>";     // the settings dialog
constexpr char kPreviewTitle[] = "Preview Window";        // the preview form
constexpr char kRendererTitle[] = "Lumadrift_VC";         // the renderer's window

constexpr char kWorkingFolder[] = "C:\\n_hale";
constexpr char kRendererFileName[] = "\\Glowmere.dll";    // appended to the program folder
constexpr char kProgramTitle[] = "Glowmere (ScreenSaver)";
constexpr char kRendererMissingText[] = "Glowmere.dll が同じﾌｫﾙﾀﾞに見つかりません！";

// Exit codes of the process.
constexpr int kExitNormal = 0;            // every ordinary end, a refused start among them
constexpr int kExitRendererMissing = 1;   // after the renderer-missing message
constexpr int kExitNoPreviewHost = 2;     // a preview whose host handle names no window

enum class Outcome {
    Preview,
    SettingsDialog,
    SaverRun,            // cursor stays visible
    SaverRunHideCursor,
    End,
};

Outcome OutcomeFor(std::string_view arguments);

// What Main needs from the platform. EndProcess never returns in the program; a test's
// version records the call and returns, and Main then returns at once too.
class MainSteps {
public:
    virtual ~MainSteps() = default;
    virtual std::string Arguments() = 0;                 // read afresh on every call
    virtual bool WindowExists(const char* title) = 0;    // a top-level window so titled
    // Places and shows the preview form in the host window; false, with nothing created,
    // when the handle names no window.
    virtual bool ShowPreview(int32_t hostHandle) = 0;
    virtual void CreateWorkingFolder() = 0;              // failure ignored
    virtual void ReadSettings() = 0;
    virtual bool RendererPresent() = 0;
    virtual void ShowRendererMissing() = 0;              // returns once dismissed
    virtual void ShowSettingsDialog() = 0;               // returns once closed
    virtual void HideCursor() = 0;
    virtual void LoadSaverForm() = 0;                    // starts the full-screen run
    virtual void EndProcess(int exitCode) = 0;
};

// Runs the start-up. When it returns without having ended the process, a form (the
// preview or the saver run) keeps the process alive.
void Main(MainSteps& steps);

}  // namespace glowmere
