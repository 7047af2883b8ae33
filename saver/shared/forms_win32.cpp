// Counts the loaded forms of the shell and runs the message loop that serves them.
#include "forms_win32.h"

#include <windows.h>

namespace glowmere {

namespace {
int loadedForms = 0;
}

void FormLoaded() { ++loadedForms; }

void FormGone()
{
    if (loadedForms > 0 && --loadedForms == 0)
        PostQuitMessage(0);
}

int RunFormsMessageLoop()
{
    if (loadedForms == 0)
        return 0;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

}  // namespace glowmere
