#pragma once
// The Command button's stored properties: the caption font as a value, and a small
// ordered store of named values that the host fills from its stored form data before it
// creates a button, and that a button's save writes into.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace glowmere::button {

// A caption font: face (UTF-8), size in points, style and character set.
struct Font {
    std::string face;
    double points = 9.0;
    int16_t weight = 400;   // 400 regular, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    uint8_t charset = 1;    // 1 = the platform's default character set

    bool operator==(const Font& other) const;
    bool operator!=(const Font& other) const { return !(*this == other); }
};

// The caption's own font: "ＭＳ Ｐゴシック" 9.75 pt, regular, Shift-JIS (128).
Font DesignFont();

// The font's cell height in device pixels for LOGFONT's lfHeight (negative: character
// height), at `dotsPerInch` (96 on the screen the control's constants assume).
int FontPixelHeight(const Font& font, int dotsPerInch);

// One stored value. Each property has one type: "Enabled" bool, "Caption" string,
// "FirstRun" uint8_t, "Font" Font, "FontColour" uint32_t, "Visible" int16_t.
using PropertyValue = std::variant<bool, uint8_t, int16_t, uint32_t, std::string, Font>;

// Named values in the order they were first put. Find is virtual so that a test can
// watch the order in which a load asks for them.
class PropertyStore {
public:
    using Entry = std::pair<std::string, PropertyValue>;

    virtual ~PropertyStore() = default;

    virtual const PropertyValue* Find(std::string_view name) const;
    // Replaces the value of an existing name in place, or appends a new name.
    void Put(std::string_view name, PropertyValue value);
    void Erase(std::string_view name);
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

// Load one value: a missing name gives `loadDefault`; a value of another type is a
// failed step, and `target` keeps what it held.
template <class T>
void ReadProperty(const PropertyStore& store, std::string_view name, const T& loadDefault, T& target)
{
    const PropertyValue* value = store.Find(name);
    if (!value) {
        target = loadDefault;
        return;
    }
    if (const T* typed = std::get_if<T>(value))
        target = *typed;
}

// Save one value: a value equal to its save default is left out of the store.
template <class T>
void WriteProperty(PropertyStore& store, std::string_view name, const T& value, const T& saveDefault)
{
    if (value == saveDefault)
        store.Erase(name);
    else
        store.Put(name, value);
}

}  // namespace glowmere::button
