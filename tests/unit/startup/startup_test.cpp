#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "startup.h"

namespace {

using glowmere::Outcome;
using glowmere::OutcomeFor;
using Log = std::vector<std::string>;

// Records Main's calls in order. EndProcess is recorded as "end <code>".
class RecordingSteps final : public glowmere::MainSteps {
public:
    std::string arguments;
    std::set<std::string> openWindows;
    bool hostIsWindow = true;
    bool rendererPresent = true;
    Log log;

    std::string Arguments() override { return arguments; }
    bool WindowExists(const char* title) override
    {
        log.push_back(std::string("find ") + title);
        return openWindows.count(title) != 0;
    }
    bool ShowPreview(int32_t host) override
    {
        log.push_back("preview " + std::to_string(host));
        return hostIsWindow;
    }
    void CreateWorkingFolder() override { log.push_back("folder"); }
    void ReadSettings() override { log.push_back("settings"); }
    bool RendererPresent() override
    {
        log.push_back("renderer?");
        return rendererPresent;
    }
    void ShowRendererMissing() override { log.push_back("message"); }
    void ShowSettingsDialog() override { log.push_back("dialog"); }
    void HideCursor() override { log.push_back("hide cursor"); }
    void LoadSaverForm() override { log.push_back("saver form"); }
    void EndProcess(int exitCode) override { log.push_back("end " + std::to_string(exitCode)); }
};

Log RunMain(RecordingSteps& steps)
{
    glowmere::Main(steps);
    return steps.log;
}

Log RunMain(const std::string& arguments)
{
    RecordingSteps steps;
    steps.arguments = arguments;
    return RunMain(steps);
}

const Log kLookups = {"find Lumadrift_Main", "find <Glowmere>"};

Log After(const Log& head, const Log& tail)
{
    Log all = head;
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
}

TEST(StartupOutcome, TheSecondCharacterOfTheArgumentStringUpperCasedSelectsTheOutcome)
{
    EXPECT_EQ(OutcomeFor(""), Outcome::SaverRun);
    // The first character is never examined: "xs" runs too.
    for (const char* run : {"/s", "/S", "-s", "-S", "/S 1234", "xs"})
        EXPECT_EQ(OutcomeFor(run), Outcome::SaverRunHideCursor) << run;
    for (const char* dialog : {"/c", "/C:1234", "-c", "/c 99"})
        EXPECT_EQ(OutcomeFor(dialog), Outcome::SettingsDialog) << dialog;
    for (const char* preview : {"/p 1234", "/P:1234", "-p 1234", "/p"})
        EXPECT_EQ(OutcomeFor(preview), Outcome::Preview) << preview;
    // A lone letter has no second character, and a leading blank shifts the letter away.
    for (const char* other : {"/a 1234", "s", " /s", "/x", "/", "//", "/\xE3\x81\x82"})
        EXPECT_EQ(OutcomeFor(other), Outcome::End) << other;
}

TEST(StartupSequence, EveryModeButThePreviewPreparesAndChecksBeforeItsOwnStep)
{
    const Log prepare = After(kLookups, {"folder", "settings", "renderer?"});
    EXPECT_EQ(RunMain(""), After(prepare, {"saver form"}));   // cursor left alone
    EXPECT_EQ(RunMain("/s"), After(prepare, {"hide cursor", "saver form"}));
    EXPECT_EQ(RunMain("/c"), After(prepare, {"dialog", "end 0"}));
    EXPECT_EQ(RunMain("/a 1234"), After(prepare, {"end 0"}));

    for (const char* arguments : {"", "/s", "/c", "/x"}) {   // the renderer missing
        RecordingSteps steps;
        steps.arguments = arguments;
        steps.rendererPresent = false;
        EXPECT_EQ(RunMain(steps), After(prepare, {"message", "end 1"})) << '"' << arguments << '"';
    }
}

TEST(StartupSequence, APreviewTouchesNothingButItsHostAndEndsWithoutOne)
{
    EXPECT_EQ(RunMain("/p 1234"), After(kLookups, {"preview 1234"}));
    EXPECT_EQ(RunMain("/p1234"), After(kLookups, {"preview 234"}));

    RecordingSteps noRenderer;   // no check, no message
    noRenderer.arguments = "/p 1234";
    noRenderer.rendererPresent = false;
    EXPECT_EQ(RunMain(noRenderer), After(kLookups, {"preview 1234"}));

    RecordingSteps noHost;
    noHost.arguments = "/p 99999";
    noHost.hostIsWindow = false;
    EXPECT_EQ(RunMain(noHost), After(kLookups, {"preview 99999", "end 2"}));
}

TEST(StartupSequence, AnOpenRunOrDialogRefusesEveryModeAfterBothLookups)
{
    for (const char* open : {"Lumadrift_Main", "<Glowmere>"}) {
        for (const char* arguments : {"", "/s", "/c", "/p 1234", "/a"}) {
            RecordingSteps steps;
            steps.arguments = arguments;
            steps.openWindows = {open};
            EXPECT_EQ(RunMain(steps), After(kLookups, {"end 0"})) << open << " / " << arguments;
        }
    }
}

TEST(StartupSequence, APreviewWindowOfAnotherProcessDoesNotBlock)
{
    RecordingSteps steps;
    steps.arguments = "/s";
    steps.openWindows = {"Preview Window", "Lumadrift_VC"};
    EXPECT_EQ(RunMain(steps).back(), "saver form");
}

}  // namespace
