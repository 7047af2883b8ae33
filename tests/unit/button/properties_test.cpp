// The Command button's stored properties: what a save leaves out and in which order, what
// a load asks for and what it keeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command.h"
#include "properties.h"

namespace {

using namespace glowmere::button;
using Names = std::vector<std::string>;

class NoSurface final : public CommandSurface {
    void Draw(const DrawPlan&) override {}
    void Repaint() override {}
    void StartPoll(unsigned) override {}
    void RaiseClick() override {}
    void ReportChange(std::string_view) override {}
};

// Remembers the names a load asks for.
class WatchedStore final : public PropertyStore {
public:
    mutable Names asked;
    const PropertyValue* Find(std::string_view name) const override
    {
        asked.emplace_back(name);
        return PropertyStore::Find(name);
    }
};

glowmere::Font Ambient()
{
    glowmere::Font font;
    font.face = "Tahoma";
    return font;
}

Names NamesIn(const PropertyStore& store)
{
    Names names;
    for (const auto& entry : store.Entries())
        names.push_back(entry.first);
    return names;
}

TEST(CommandStore, ASaveLeavesOutEveryDefaultAndWritesTheRestInItsOrder)
{
    NoSurface surface;
    Command button(surface, 1215, 375), created(surface);
    button.ReadProperties(PropertyStore(), Ambient());
    PropertyStore store;
    store.Put("Caption", std::string("old"));   // stale, and now the default
    button.SetCaption("Command");
    button.WriteProperties(store, Ambient());
    EXPECT_TRUE(store.Entries().empty());

    button.SetVisible(false);
    button.SetFontColour(0x80000012u);
    button.SetFont(DesignFont());
    button.SetCaption("設定");
    button.SetEnabled(false);
    button.WriteProperties(store, Ambient());
    EXPECT_EQ(NamesIn(store), (Names{"Enabled", "Caption", "Font", "FontColour", "Visible"}));
    EXPECT_FALSE(std::get<bool>(*store.Find("Enabled")));
    EXPECT_EQ(std::get<std::string>(*store.Find("Caption")), "設定");
    EXPECT_EQ(std::get<uint32_t>(*store.Find("FontColour")), 0x80000012u);
    EXPECT_EQ(std::get<int16_t>(*store.Find("Visible")), 0);

    PropertyStore firstRun;   // saved before its first use: FirstRun goes before Font
    created.WriteProperties(firstRun, Ambient());
    EXPECT_EQ(NamesIn(firstRun), (Names{"Enabled", "FirstRun", "Font"}));
    EXPECT_EQ(std::get<uint8_t>(*firstRun.Find("FirstRun")), 0);
}

TEST(CommandStore, ALoadAsksInItsOrderTakesItsDefaultsAndRefusesValuesOfTheWrongKind)
{
    NoSurface surface;
    Command empty(surface), stored(surface), wrong(surface);
    empty.SetVisible(false);
    WatchedStore watched;
    empty.ReadProperties(watched, Ambient());
    EXPECT_EQ(watched.asked, (Names{"Enabled", "Caption", "Font", "FirstRun", "FontColour", "Visible"}));
    EXPECT_TRUE(empty.EnabledValue() && empty.Opaque() && empty.FirstRun() == 1);
    EXPECT_EQ(empty.Caption(), "Command1");   // so a saved "Command" comes back as "Command1"
    EXPECT_EQ(empty.CaptionFont(), Ambient());

    PropertyStore values;
    values.Put("Enabled", false);
    values.Put("Caption", std::string("..."));
    values.Put("FontColour", uint32_t{0xFF});
    values.Put("Visible", int16_t{0});
    stored.ReadProperties(values, Ambient());
    EXPECT_TRUE(!stored.EnabledValue() && stored.Caption() == "..." && stored.Look().colour == 0xFF && !stored.Opaque());

    PropertyStore mistyped;   // each leaves the property as the created button has it
    mistyped.Put("Enabled", std::string("yes"));
    mistyped.Put("Caption", uint32_t{7});
    mistyped.Put("FirstRun", int16_t{1});
    mistyped.Put("Visible", int16_t{2});
    wrong.ReadProperties(mistyped, Ambient());
    EXPECT_TRUE(!wrong.EnabledValue() && wrong.Caption() == "Command" && wrong.FirstRun() == 0 && wrong.Opaque());
}

}  // namespace
