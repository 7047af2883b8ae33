// The Command button's stored properties: what a save leaves out, what a load puts in,
// and the orders of both.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command.h"
#include "properties.h"
#include "recording_surface.h"

namespace {

using namespace glowmere::button;
using glowmere::Font;

std::vector<std::string> Names(const PropertyStore& store)
{
    std::vector<std::string> names;
    for (const auto& entry : store.Entries())
        names.push_back(entry.first);
    return names;
}

// Remembers the names a load asks for.
class WatchedStore final : public PropertyStore {
public:
    mutable std::vector<std::string> asked;
    const PropertyValue* Find(std::string_view name) const override
    {
        asked.emplace_back(name);
        return PropertyStore::Find(name);
    }
};

Font Ambient()
{
    Font font;
    font.face = "Tahoma";
    font.points = 8.25;
    return font;
}

TEST(CommandStore, ACaptionOfExactlyCommandComesBackAsCommand1AndOthersSurvive)
{
    for (const char* caption : {"Command", "Command1", "設定", ""}) {
        SCOPED_TRACE(caption);
        RecordingSurface surface;
        Command saved(surface, 1215, 375);
        saved.ReadProperties(PropertyStore(), Ambient());
        saved.SetCaption(caption);
        PropertyStore store;
        saved.WriteProperties(store, Ambient());

        Command loaded(surface, 1215, 375);
        loaded.ReadProperties(store, Ambient());
        EXPECT_EQ(loaded.Caption(), std::string(caption) == "Command" ? "Command1" : caption);
    }
}

TEST(CommandStore, ASaveLeavesOutDefaultsAndWritesTheRestInItsOrder)
{
    RecordingSurface surface;
    Command button(surface, 1215, 375);
    button.ReadProperties(PropertyStore(), Ambient());
    button.SetCaption("Command");

    PropertyStore defaults;
    defaults.Put("Caption", std::string("old"));   // a stale value that now equals its default
    button.WriteProperties(defaults, Ambient());
    EXPECT_TRUE(defaults.Entries().empty());

    button.SetVisible(false);
    button.SetFontColour(0x80000012u);
    button.SetFont(DesignFont());
    button.SetCaption("設定");
    button.SetEnabled(false);
    PropertyStore store;
    button.WriteProperties(store, Ambient());
    EXPECT_EQ(Names(store), (std::vector<std::string>{"Enabled", "Caption", "Font", "FontColour", "Visible"}));
    EXPECT_EQ(std::get<bool>(*store.Find("Enabled")), false);
    EXPECT_EQ(std::get<std::string>(*store.Find("Caption")), "設定");
    EXPECT_EQ(std::get<Font>(*store.Find("Font")), DesignFont());
    EXPECT_EQ(std::get<uint32_t>(*store.Find("FontColour")), 0x80000012u);
    EXPECT_EQ(std::get<int16_t>(*store.Find("Visible")), 0);

    // FirstRun goes between Caption and Font when it is not the default 1.
    RecordingSurface fresh;
    Command created(fresh);
    created.SetCaption("x");
    PropertyStore firstRun;
    created.WriteProperties(firstRun, Ambient());
    EXPECT_EQ(Names(firstRun), (std::vector<std::string>{"Enabled", "Caption", "FirstRun", "Font"}));
    EXPECT_EQ(std::get<uint8_t>(*firstRun.Find("FirstRun")), 0);
}

TEST(CommandStore, ALoadAsksInItsOrderAndMissingNamesTakeTheLoadDefaults)
{
    RecordingSurface surface;
    Command button(surface);   // as created: disabled, FirstRun 0, transparent later
    button.SetVisible(false);
    surface.Take();

    WatchedStore empty;
    button.ReadProperties(empty, Ambient());
    EXPECT_EQ(empty.asked,
              (std::vector<std::string>{"Enabled", "Caption", "Font", "FirstRun", "FontColour", "Visible"}));
    EXPECT_TRUE(button.EnabledValue());
    EXPECT_EQ(button.Caption(), "Command1");
    EXPECT_EQ(button.CaptionFont(), Ambient());
    EXPECT_EQ(button.FirstRun(), 1);
    EXPECT_EQ(button.Look().colour, 0u);
    EXPECT_TRUE(button.Opaque());
    // The load ends with ResetLook.
    EXPECT_EQ(surface.Take(), (std::vector<std::string>{"draw Normal"}));
}

TEST(CommandStore, StoredValuesAreAppliedAndValuesOfTheWrongKindOrAnUnknownStyleAreNot)
{
    PropertyStore store;
    store.Put("Enabled", false);
    store.Put("Caption", std::string("..."));
    store.Put("Font", DesignFont());
    store.Put("FontColour", uint32_t{0x0000FF});
    store.Put("Visible", int16_t{0});
    RecordingSurface surface;
    Command button(surface, 615, 375);
    button.ReadProperties(store, Ambient());
    EXPECT_FALSE(button.EnabledValue());
    EXPECT_EQ(button.Caption(), "...");
    EXPECT_EQ(button.CaptionFont(), DesignFont());
    EXPECT_EQ(button.Look().colour, 0x0000FFu);
    EXPECT_FALSE(button.Opaque());
    EXPECT_EQ(surface.Take(), std::vector<std::string>{}) << "a disabled button is not drawn by the load";
    button.Resize(615, 375);   // the first Resize shows it disabled
    EXPECT_EQ(surface.Take(), (std::vector<std::string>{"draw Disable"}));

    // Each of these leaves the property as the created button has it.
    PropertyStore wrong;
    wrong.Put("Enabled", std::string("yes"));
    wrong.Put("Caption", uint32_t{7});
    wrong.Put("FirstRun", int16_t{1});
    wrong.Put("Visible", int16_t{2});
    Command created(surface);
    created.ReadProperties(wrong, Ambient());
    EXPECT_FALSE(created.EnabledValue());
    EXPECT_EQ(created.Caption(), "Command");
    EXPECT_EQ(created.FirstRun(), 0);
    EXPECT_TRUE(created.Opaque());
}

}  // namespace
