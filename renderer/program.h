#pragma once
// The renderer program's decisions that do not need a window: the entry sequence with
// its failure path, and which messages end the run.
#include <cstdint>

namespace glowmere::renderer {

// Message and key values the window procedure decides on (the platform's numbers).
namespace msg {
constexpr unsigned kSize = 0x0005;
constexpr unsigned kPaint = 0x000F;
constexpr unsigned kClose = 0x0010;
constexpr unsigned kSetCursor = 0x0020;
constexpr unsigned kMouseActivate = 0x0021;
constexpr unsigned kDisplayChange = 0x007E;
constexpr unsigned kKeyDown = 0x0100;
constexpr unsigned kSysCommand = 0x0112;
constexpr uintptr_t kEscapeKey = 0x1B;
constexpr uintptr_t kScreenSaveCommand = 0xF140;
}  // namespace msg

enum class MessageAction {
    Quit,           // post the quit request, return 0
    Validate,       // WM_PAINT: BeginPaint/EndPaint only, return 0
    Handled,        // consumed without effect, return 0
    Default,        // DefWindowProcA
    LayOutCovers,   // the monitors changed: lay the covers out again, then DefWindowProcA
    KeepInactive,   // WM_MOUSEACTIVATE on a cover: MA_NOACTIVATE
    HideCursor,     // WM_SETCURSOR on a cover: no cursor, return TRUE
};

MessageAction RendererMessageAction(unsigned message, uintptr_t wParam);

// The steps of the program entry, provided by the platform edge.
class RendererSteps {
public:
    virtual ~RendererSteps() = default;
    // Registers the class, switches the display, hides the cursor and creates the window.
    virtual bool CreateRendererWindow() = 0;
    // Returns the display to the registry's mode and shows the cursor again.
    virtual void RestoreDisplayAndCursor() = 0;
    virtual void InitRenderer() = 0;
    // Runs until WM_QUIT and returns the quit message's wParam.
    virtual int RunMessageLoop() = 0;
    // Releases the GL context and destroys the window (the saver shell watches for it to
    // go), unregisters the class and frees the scene.
    virtual void DestroyRendererWindow() = 0;
};

// Exit code 1 when the window cannot be created; the display mode and cursor that the
// creation already changed are put back first. Otherwise the message loop's result, after
// the window has gone and the display mode and cursor are back as they were.
int RunRenderer(RendererSteps& steps);

}  // namespace glowmere::renderer
