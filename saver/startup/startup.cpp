#include "startup.h"

#include "command_line.h"

namespace glowmere {

Outcome OutcomeFor(std::string_view arguments)
{
    if (arguments.empty())
        return Outcome::SaverRun;
    switch (ModeLetter(arguments)) {
    case 'S':
        return Outcome::SaverRunHideCursor;
    case 'C':
        return Outcome::SettingsDialog;
    case 'P':
        return Outcome::Preview;
    default:
        return Outcome::End;
    }
}

void Main(MainSteps& steps)
{
    // 1. One saver run or settings dialog at a time. Both look-ups are made every time,
    //    before anything else, whatever the mode.
    const bool runOpen = steps.WindowExists(kSaverRunTitle);
    const bool dialogOpen = steps.WindowExists(kSettingsDialogTitle);
    if (runOpen || dialogOpen) {
        steps.EndProcess(kExitNormal);
        return;
    }

    // 2. The preview reads no settings, creates nothing and needs no renderer. A handle
    //    that names no window would leave an unparented, invisible form behind that
    //    nothing ever closes, so that preview ends here instead.
    if (OutcomeFor(steps.Arguments()) == Outcome::Preview) {
        if (!steps.ShowPreview(HostHandle(steps.Arguments())))
            steps.EndProcess(kExitNoPreviewHost);
        return;
    }

    // 3 to 5, for every other mode: folder, settings, renderer check.
    steps.CreateWorkingFolder();
    steps.ReadSettings();
    if (!steps.RendererPresent()) {
        steps.ShowRendererMissing();
        steps.EndProcess(kExitRendererMissing);
        return;
    }

    // 6 to 9.
    switch (OutcomeFor(steps.Arguments())) {
    case Outcome::SettingsDialog:
        steps.ShowSettingsDialog();
        steps.EndProcess(kExitNormal);
        return;
    case Outcome::SaverRunHideCursor:
        steps.HideCursor();
        steps.LoadSaverForm();
        return;
    case Outcome::SaverRun:
        steps.LoadSaverForm();
        return;
    case Outcome::Preview:
    case Outcome::End:
        break;
    }
    steps.EndProcess(kExitNormal);
}

}  // namespace glowmere
