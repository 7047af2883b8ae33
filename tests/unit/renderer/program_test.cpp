#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program.h"

namespace {

using namespace glowmere::renderer;
TEST(RendererInput, OnlyEscapeAndCloseRequestsEndTheRunAndOnlyTheScreenSaveCommandIsSwallowed)
{
    EXPECT_EQ(RendererMessageAction(msg::kKeyDown, msg::kEscapeKey), MessageAction::Quit);
    EXPECT_EQ(RendererMessageAction(msg::kClose, 0), MessageAction::Quit);
    for (uintptr_t key : {uintptr_t('A'), uintptr_t(' '), uintptr_t(0x0D), uintptr_t(0x70)})
        EXPECT_EQ(RendererMessageAction(msg::kKeyDown, key), MessageAction::Handled) << key;
    EXPECT_EQ(RendererMessageAction(0x0200 /* mouse move */, 0), MessageAction::Default);
    EXPECT_EQ(RendererMessageAction(0x0201 /* left button down */, 1), MessageAction::Default);
    EXPECT_EQ(RendererMessageAction(msg::kSize, 0), MessageAction::Handled);
    EXPECT_EQ(RendererMessageAction(msg::kPaint, 0), MessageAction::Validate);
    EXPECT_EQ(RendererMessageAction(msg::kSysCommand, 0xF140), MessageAction::Handled);
    EXPECT_EQ(RendererMessageAction(msg::kSysCommand, 0xF141), MessageAction::Default);
    EXPECT_EQ(RendererMessageAction(msg::kSysCommand, 0xF060 /* SC_CLOSE, Alt+F4 */), MessageAction::Default);
}

class RecordingSteps final : public RendererSteps {
public:
    bool windowCreated = true;
    std::vector<std::string> log;
    bool CreateRendererWindow() override
    {
        log.push_back("create");
        return windowCreated;
    }
    void RestoreDisplayAndCursor() override { log.push_back("restore"); }
    void InitRenderer() override { log.push_back("init"); }
    int RunMessageLoop() override
    {
        log.push_back("loop");
        return 0;
    }
};

TEST(RendererEntry, ARunInitialisesAndLoopsAndAWindowThatCannotBeCreatedRestoresTheDisplay)
{
    RecordingSteps run;
    EXPECT_EQ(RunRenderer(run), 0);
    EXPECT_EQ(run.log, (std::vector<std::string>{"create", "init", "loop"}));   // teardown restores

    RecordingSteps failed;
    failed.windowCreated = false;
    EXPECT_EQ(RunRenderer(failed), 1);
    EXPECT_EQ(failed.log, (std::vector<std::string>{"create", "restore"}));
}

}  // namespace
