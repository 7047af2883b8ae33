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
    // One saver run or settings dialog at a time. Both look-ups are made every time,
    // before anything else, whatever the mode.
    const bool runOpen = steps.WindowExists(kSaverRunTitle);
    const bool dialogOpen = steps.WindowExists(kSettingsDialogTitle);
    if (runOpen || dialogOpen) {
        steps.EndProcess(kExitNormal);
        return;
    }

    // The preview reads no settings, creates nothing and needs no renderer. A handle that
    // names no window would leave an unparented, invisible form behind that nothing ever
    // closes, so that preview ends here instead.
    if (OutcomeFor(steps.Arguments()) == Outcome::Preview) {
        if (!steps.ShowPreview(HostHandle(steps.Arguments())))
            steps.EndProcess(kExitNoPreviewHost);
        return;
    }

    // Every other mode: the working folder, the settings, the renderer check.
    steps.CreateWorkingFolder();
    steps.ReadSettings();
    if (!steps.RendererPresent()) {
        steps.ShowRendererMissing();
        steps.EndProcess(kExitRendererMissing);
        return;
    }

    // The mode itself: the dialog ends the process once it is closed, a run lives on in its
    // form, and anything else ends here.
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
