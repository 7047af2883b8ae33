// Reads QueryPerformanceCounter or timeGetTime for the frame timer.
#include "clock_win32.h"

#include <windows.h>
#include <mmsystem.h>

namespace glowmere::renderer {

int64_t Win32Clock::CounterFrequency()
{
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency))
        return 0;
    return frequency.QuadPart;
}

int64_t Win32Clock::Read(bool counter)
{
    if (counter) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return now.QuadPart;
    }
    return static_cast<int64_t>(static_cast<uint32_t>(timeGetTime()));
}

}  // namespace glowmere::renderer
