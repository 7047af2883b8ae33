#include "program.h"

namespace glowmere::renderer {

MessageAction RendererMessageAction(unsigned message, uintptr_t wParam)
{
    switch (message) {
    case msg::kClose:
        return MessageAction::Quit;
    case msg::kSize:
        return MessageAction::Handled;   // full-screen: the projection set at start-up stays
    case msg::kPaint:
        return MessageAction::Validate;  // drawing happens in the loop
    case msg::kDisplayChange:
        return MessageAction::LayOutCovers;   // a mode switch can move the other monitors
    case msg::kKeyDown:
        return wParam == msg::kEscapeKey ? MessageAction::Quit : MessageAction::Handled;
    case msg::kSysCommand:
        // Refuse the system's own screen saver while we run; everything else (Alt+F4's
        // SC_CLOSE among it) takes the default path.
        return wParam == msg::kScreenSaveCommand ? MessageAction::Handled : MessageAction::Default;
    default:
        return MessageAction::Default;
    }
}

int RunRenderer(RendererSteps& steps)
{
    if (!steps.CreateRendererWindow()) {
        steps.RestoreDisplayAndCursor();
        return 1;
    }
    steps.InitRenderer();
    const int exitCode = steps.RunMessageLoop();
    steps.DestroyRendererWindow();
    steps.RestoreDisplayAndCursor();
    return exitCode;
}

}  // namespace glowmere::renderer
