// The shell's start-up: the arguments, the preview's host handle and layout, and Main's order of events.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "command_line.h"
#include "preview_layout.h"
#include "startup.h"

namespace {

using Log = std::vector<std::string>;

TEST(CommandLine, TheArgumentsFollowThePathAndOneBlankAndTheHostHandleIsTheRoundedNumberFromTheFourthCharacter)
{
    const std::pair<const char*, const char*> lines[] = {
        {R"("C:\Program Files\G\Glowmere.scr" /p 1234)", "/p 1234"}, {R"(C:\G\Glowmere.scr)", ""},
        {"Glowmere.scr\t/c", "/c"}, {R"(C:\G\Glowmere.scr  /s)", " /s"}, {R"("C:\G\Glowmere.scr /s)", ""}};
    for (const auto& [line, arguments] : lines)
        EXPECT_EQ(glowmere::ArgumentString(line), arguments) << line;
    const std::pair<std::string, int32_t> handles[] = {{"/p 1234", 1234}, {"/p:1234", 1234}, {"/p1234", 234},
        {"/p \t 77", 77}, {"/p 1234 5678", 1234}, {"/p -42", -42}, {"/p", 0}, {"/p abc", 0}, {"/p 0x1F", 0},
        {"/p 1234.5", 1234}, {"/p 1235.5", 1236}, {"/p 1234.50001", 1235}, {"/p -2.6", -3}, {"/p 1e3", 1},
        {"/p 2147483647", 2147483647}, {"/p 2147483647.5", 0}, {"/p -2147483648", -2147483647 - 1},
        {"/p -2147483649", 0}, {"/p " + std::string(400, '9'), 0}};
    for (const auto& [arguments, handle] : handles)
        EXPECT_EQ(glowmere::HostHandle(arguments), handle) << '"' << arguments << '"';
}

struct RecordingSteps final : glowmere::MainSteps {
    std::string arguments;
    std::set<std::string> openWindows;
    bool hostIsWindow = true, rendererPresent = true;
    Log log;
    void Add(std::string entry) { log.push_back(std::move(entry)); }

    std::string Arguments() override { return arguments; }
    bool WindowExists(const char* name) override { return Add("find " + std::string(name)), openWindows.count(name); }
    bool ShowPreview(int32_t host) override { return Add("preview " + std::to_string(host)), hostIsWindow; }
    void CreateWorkingFolder() override { Add("folder"); }
    void ReadSettings() override { Add("settings"); }
    bool RendererPresent() override { return Add("renderer?"), rendererPresent; }
    void ShowRendererMissing() override { Add("message"); }
    void ShowSettingsDialog() override { Add("dialog"); }
    void HideCursor() override { Add("hide cursor"); }
    void LoadSaverForm() override { Add("saver form"); }
    void EndProcess(int exitCode) override { Add("end " + std::to_string(exitCode)); }
};

// Main's calls with the renderer present or not, the host a window or not, these windows open.
Log MainCalls(const char* arguments, bool renderer = true, bool host = true, std::set<std::string> open = {})
{
    RecordingSteps steps;
    steps.arguments = arguments, steps.rendererPresent = renderer, steps.hostIsWindow = host, steps.openWindows = open;
    glowmere::Main(steps);
    return steps.log;
}

Log Then(Log head, const Log& tail) { return head.insert(head.end(), tail.begin(), tail.end()), head; }
const Log kLookups = {"find Lumadrift_Main", "find <Glowmere>"};
const Log kPrepare = Then(kLookups, {"folder", "settings", "renderer?"});

TEST(Startup, TheSecondCharacterSelectsTheModeAfterTheFolderSettingsAndRendererCheck)
{
    const std::pair<const char*, Log> cases[] = {
        {"", Then(kPrepare, {"saver form"})},   // the cursor left alone
        {"/s", Then(kPrepare, {"hide cursor", "saver form"})}, {"-S 1", Then(kPrepare, {"hide cursor", "saver form"})},
        {"xs", Then(kPrepare, {"hide cursor", "saver form"})},   // the first character is never examined
        {"/c", Then(kPrepare, {"dialog", "end 0"})}, {"/C:1234", Then(kPrepare, {"dialog", "end 0"})},
        {"/p 1234", Then(kLookups, {"preview 1234"})}, {"-P1234", Then(kLookups, {"preview 234"})},
        {"/a 1234", Then(kPrepare, {"end 0"})}, {"s", Then(kPrepare, {"end 0"})}, {" /s", Then(kPrepare, {"end 0"})},
        {"/\xE3\x81\x82", Then(kPrepare, {"end 0"})}};
    for (const auto& [arguments, expected] : cases)
        EXPECT_EQ(MainCalls(arguments), expected) << '"' << arguments << '"';
    // A missing renderer ends with 1, a preview without a host with 2, and an open run or dialog refuses every mode.
    for (const char* arguments : {"", "/s", "/c", "/x"})
        EXPECT_EQ(MainCalls(arguments, false), Then(kPrepare, {"message", "end 1"})) << arguments;
    EXPECT_EQ(MainCalls("/p 1234", false), Then(kLookups, {"preview 1234"})) << "no renderer check";
    EXPECT_EQ(MainCalls("/p 99999", true, false), Then(kLookups, {"preview 99999", "end 2"}));
    for (const char* arguments : {"", "/s", "/c", "/p 1234", "/a"})
        for (const char* open : {"Lumadrift_Main", "<Glowmere>"})
            EXPECT_EQ(MainCalls(arguments, true, true, {open}), Then(kLookups, {"end 0"})) << open << " " << arguments;
    EXPECT_EQ(MainCalls("/s", true, true, {"Preview Window", "Lumadrift_VC"}).back(), "saver form");
}

// The preview's size travels in 16-bit twips (1440 / dpi to the pixel): a host beyond 32,767 twips in one
// direction (2,184 pixels at 96 dpi) leaves that size 0. The picture shows at its own size, cut by the form.
TEST(PreviewLayout, TheFormCoversItsHostUnlessThatIsTooLargeForSixteenBitTwips)
{
    const struct { int width, height, dpi; std::vector<int> twipsAndPixels; } cases[] = {   // twips, form, picture
        {152, 112, 96, {2280, 1680, 152, 112, 152, 112}}, {300, 200, 96, {4500, 3000, 300, 200, 152, 112}},
        {100, 70, 96, {1500, 1050, 100, 70, 100, 70}}, {2184, 2185, 96, {32760, 0, 2184, 0, 152, 0}},
        {1000, 600, 120, {12000, 7200, 1000, 600, 152, 112}}};
    for (const auto& c : cases) {
        const glowmere::PreviewLayout l = glowmere::LayoutPreview(c.width, c.height, c.dpi, c.dpi);
        EXPECT_EQ(std::vector<int>({l.widthTwips, l.heightTwips, l.width, l.height, l.pictureWidth, l.pictureHeight}),
                  c.twipsAndPixels) << c.width << "x" << c.height << " at " << c.dpi;
    }
}

}  // namespace
