#include "saver_run.h"

#include <cctype>

#include "startup.h"

namespace glowmere {

MusicFileKind MusicFileKindOf(std::string_view file)
{
    if (file.size() < 3)
        return MusicFileKind::Other;
    std::string ending(file.substr(file.size() - 3));
    for (char& c : ending)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (ending == "WAV")
        return MusicFileKind::Wav;
    if (ending == "MP3")
        return MusicFileKind::Mp3;
    return MusicFileKind::Other;
}

std::string RendererCommandLine(std::string_view programFolder)
{
    return "\"" + std::string(programFolder) + kRendererFileName + "\"";
}

RendererWatch::RendererWatch(bool rendererStarted, uint32_t startMs)
    : started_(rendererStarted), startMs_(startMs)
{
}

bool RendererWatch::RendererGone(bool windowExists, bool processRunning, uint32_t nowMs)
{
    if (!started_)
        return true;
    if (windowSeen_)
        return !windowExists;
    if (windowExists) {
        windowSeen_ = true;
        return false;
    }
    // Unsigned difference: correct across the millisecond clock's wrap.
    return !processRunning || nowMs - startMs_ >= kAppearBoundMs;
}

bool DisplayNeedsRestore(const DisplayMode& current, const DisplayMode& registry, bool rendererRunning)
{
    if (rendererRunning)
        return false;
    return current.width != registry.width || current.height != registry.height ||
           current.bitsPerPixel != registry.bitsPerPixel;
}

bool DesktopPictureDisposable(bool rendererStarted, bool rendererEnded, bool rendererInputIdle)
{
    return !rendererStarted || rendererEnded || rendererInputIdle;
}

std::vector<AccessGrant> DesktopPictureGrants()
{
    return {{Principal::CurrentUser, kFileAllAccess},
            {Principal::System, kFileAllAccess},
            {Principal::Administrators, kFileAllAccess},
            {Principal::Everyone, kDeleteAccess}};
}

}  // namespace glowmere
