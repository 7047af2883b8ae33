// Glowmere.scr's entry: binds Main's steps to the platform (window look-ups by title, the
// working folder, the renderer check and its message box, the forms) and then serves the
// loaded forms until the last one is gone.
#include <windows.h>

#include "ansi_text_win32.h"
#include "command_line.h"
#include "forms_win32.h"
#include "preview_win32.h"
#include "program_folder_win32.h"
#include "saver_form_win32.h"
#include "settings_dialog_win32.h"
#include "settings_file_win32.h"
#include "startup.h"

namespace {

class Win32MainSteps final : public glowmere::MainSteps {
public:
    std::string Arguments() override { return std::string(glowmere::ArgumentString(GetCommandLineA())); }

    bool WindowExists(const char* title) override { return FindWindowA(nullptr, title) != nullptr; }

    bool ShowPreview(int32_t hostHandle) override { return glowmere::ShowPreviewForm(hostHandle); }

    void CreateWorkingFolder() override { CreateDirectoryA(glowmere::kWorkingFolder, nullptr); }

    void ReadSettings() override { glowmere::ReadSettings(); }

    bool RendererPresent() override
    {
        return glowmere::FileExists(glowmere::ProgramFolder() + glowmere::kRendererFileName);
    }

    void ShowRendererMissing() override
    {
        // A text for people to read: through the Unicode function, so that it reads right
        // whatever the system's code page.
        MessageBoxW(nullptr, glowmere::ToWide(glowmere::kRendererMissingText).c_str(),
                    glowmere::ToWide(glowmere::kProgramTitle).c_str(), MB_OK);
    }

    void ShowSettingsDialog() override { glowmere::ShowSettingsDialog(glowmere::SystemSettingsPlatform()); }

    void HideCursor() override { ShowCursor(FALSE); }

    void LoadSaverForm() override { glowmere::LoadSaverForm(); }

    void EndProcess(int exitCode) override { ExitProcess(static_cast<UINT>(exitCode)); }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    Win32MainSteps steps;
    glowmere::Main(steps);
    return glowmere::RunFormsMessageLoop();
}
