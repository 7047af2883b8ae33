#pragma once
// A CommandSurface that records what the control asks of its platform, for the button's
// unit tests: "draw <bitmap>", "poll <ms>", "click", "change <property>". Repaints of
// the kept picture are counted apart, since they do not change what is drawn.
#include <string>
#include <vector>

#include "command.h"

class RecordingSurface final : public glowmere::button::CommandSurface {
public:
    std::vector<std::string> log;
    std::vector<glowmere::button::DrawPlan> plans;
    int repaints = 0;

    void Draw(const glowmere::button::DrawPlan& plan) override
    {
        plans.push_back(plan);
        log.push_back(std::string("draw ") + glowmere::button::Name(plan.bitmap));
    }
    void Repaint() override { ++repaints; }
    void StartPoll(unsigned milliseconds) override { log.push_back("poll " + std::to_string(milliseconds)); }
    void RaiseClick() override { log.push_back("click"); }
    void ReportChange(std::string_view property) override { log.push_back("change " + std::string(property)); }

    // What was recorded since the last call, and a fresh start.
    std::vector<std::string> Take()
    {
        std::vector<std::string> taken;
        taken.swap(log);
        plans.clear();
        repaints = 0;
        return taken;
    }
};
