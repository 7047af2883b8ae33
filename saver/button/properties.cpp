#include "properties.h"

#include <algorithm>

namespace glowmere::button {

Font DesignFont()
{
    Font font;
    font.face = "ＭＳ Ｐゴシック";
    font.points = 9.75;
    font.charset = 128;
    return font;
}

const PropertyValue* PropertyStore::Find(std::string_view name) const
{
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.first == name; });
    return found == entries_.end() ? nullptr : &found->second;
}

void PropertyStore::Put(std::string_view name, PropertyValue value)
{
    for (auto& entry : entries_) {
        if (entry.first == name) {
            entry.second = std::move(value);
            return;
        }
    }
    entries_.emplace_back(std::string(name), std::move(value));
}

void PropertyStore::Erase(std::string_view name)
{
    entries_.erase(
        std::remove_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.first == name; }),
        entries_.end());
}

}  // namespace glowmere::button
