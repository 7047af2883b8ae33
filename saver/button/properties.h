#pragma once
// The Command button's stored properties: a small ordered store of named values that the
// host fills from its stored form data before it creates a button, and that a button's
// save writes into. The caption font is shared/font.h.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "font.h"

namespace glowmere::button {

// The caption's own font: "ＭＳ Ｐゴシック" 9.75 pt, regular, Shift-JIS (128).
Font DesignFont();

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
