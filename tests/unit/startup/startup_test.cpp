// Main's order of events for every argument string, against recorded steps.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "startup.h"

namespace {

using Log = std::vector<std::string>;

class RecordingSteps final : public glowmere::MainSteps {
public:
    std::string arguments;
    std::set<std::string> openWindows;
    bool hostIsWindow = true, rendererPresent = true;
    Log log;

    std::string Arguments() override { return arguments; }
    bool WindowExists(const char* title) override { return Add("find " + std::string(title)), openWindows.count(title); }
    bool ShowPreview(int32_t host) override { return Add("preview " + std::to_string(host)), hostIsWindow; }
    void CreateWorkingFolder() override { Add("folder"); }
    void ReadSettings() override { Add("settings"); }
    bool RendererPresent() override { return Add("renderer?"), rendererPresent; }
    void ShowRendererMissing() override { Add("message"); }
    void ShowSettingsDialog() override { Add("dialog"); }
    void HideCursor() override { Add("hide cursor"); }
    void LoadSaverForm() override { Add("saver form"); }
    void EndProcess(int exitCode) override { Add("end " + std::to_string(exitCode)); }

private:
    void Add(std::string entry) { log.push_back(std::move(entry)); }
};

const Log kLookups = {"find Lumadrift_Main", "find <Glowmere>"};
const Log kPrepare = {"find Lumadrift_Main", "find <Glowmere>", "folder", "settings", "renderer?"};

Log Then(Log head, const Log& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST(Startup, TheSecondCharacterOfTheArgumentsSelectsTheModeAfterTheFolderSettingsAndRendererCheck)
{
    const struct {
        const char* arguments;
        Log expected;
    } cases[] = {
        {"", Then(kPrepare, {"saver form"})},   // the cursor left alone
        {"/s", Then(kPrepare, {"hide cursor", "saver form"})}, {"-S 1234", Then(kPrepare, {"hide cursor", "saver form"})},
        {"xs", Then(kPrepare, {"hide cursor", "saver form"})},   // the first character is never examined
        {"/c", Then(kPrepare, {"dialog", "end 0"})}, {"/C:1234", Then(kPrepare, {"dialog", "end 0"})},
        {"/p 1234", Then(kLookups, {"preview 1234"})}, {"-P1234", Then(kLookups, {"preview 234"})},
        {"/a 1234", Then(kPrepare, {"end 0"})}, {"s", Then(kPrepare, {"end 0"})}, {" /s", Then(kPrepare, {"end 0"})},
        {"/\xE3\x81\x82", Then(kPrepare, {"end 0"})},
    };
    for (const auto& c : cases) {
        RecordingSteps steps;
        steps.arguments = c.arguments;
        glowmere::Main(steps);
        EXPECT_EQ(steps.log, c.expected) << '"' << c.arguments << '"';
    }
}

TEST(Startup, AMissingRendererEndsWithOneAPreviewWithoutAHostWithTwoAndAnOpenRunOrDialogRefusesEveryMode)
{
    const auto run = [](const char* arguments, bool renderer, bool host, std::set<std::string> open) {
        RecordingSteps steps;
        steps.arguments = arguments;
        steps.rendererPresent = renderer;
        steps.hostIsWindow = host;
        steps.openWindows = std::move(open);
        glowmere::Main(steps);
        return steps.log;
    };
    for (const char* arguments : {"", "/s", "/c", "/x"})
        EXPECT_EQ(run(arguments, false, true, {}), Then(kPrepare, {"message", "end 1"})) << arguments;
    EXPECT_EQ(run("/p 1234", false, true, {}), Then(kLookups, {"preview 1234"})) << "no renderer check";
    EXPECT_EQ(run("/p 99999", true, false, {}), Then(kLookups, {"preview 99999", "end 2"}));
    for (const char* arguments : {"", "/s", "/c", "/p 1234", "/a"})
        for (const char* open : {"Lumadrift_Main", "<Glowmere>"})
            EXPECT_EQ(run(arguments, true, true, {open}), Then(kLookups, {"end 0"})) << open << " / " << arguments;
    EXPECT_EQ(run("/s", true, true, {"Preview Window", "Lumadrift_VC"}).back(), "saver form");
}

}  // namespace
