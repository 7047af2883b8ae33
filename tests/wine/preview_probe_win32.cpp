// preview_probe.exe: the preview form of Glowmere.scr (same sources, same picture) placed
// in a host window of this very process, so that a screenshot can show what it paints.
// (Under Wine, a child window painted by another process than its host's never reaches
// the screen; the real program's preview is checked for placement and lifetime instead.)
//
//   preview_probe <width> <height> <x> <y>   prints the host's handle, then runs until
//                                            the preview form is gone
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "forms_win32.h"
#include "preview_win32.h"

namespace {

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::puts("usage: preview_probe <width> <height> <x> <y>");
        return 2;
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "GlowmerePreviewProbeHost";
    RegisterClassA(&windowClass);
    HWND host = CreateWindowExA(0, windowClass.lpszClassName, "PreviewProbeHost", WS_POPUP | WS_VISIBLE,
                                std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[1]), std::atoi(argv[2]),
                                nullptr, nullptr, windowClass.hInstance, nullptr);
    std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(host)));
    std::fflush(stdout);
    if (!host || !glowmere::ShowPreviewForm(static_cast<int32_t>(reinterpret_cast<intptr_t>(host))))
        return 1;
    return glowmere::RunFormsMessageLoop();
}
