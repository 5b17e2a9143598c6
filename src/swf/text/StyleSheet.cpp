#include "swf/text/StyleSheet.h"

namespace swf {

void StyleSheet::set(std::string selector, const TextFormat& format) {
    for (auto& [name, style] : styles_) {
        if (name == selector) {
            style = format;
            return;
        }
    }
    if (styles_.size() < kMaxStyles) styles_.emplace_back(std::move(selector), format);
}

const TextFormat* StyleSheet::find(std::string_view selector) const {
    for (const auto& [name, style] : styles_)
        if (name == selector) return &style;
    return nullptr;
}

const TextFormat* StyleSheet::forTag(std::string_view tag, std::u32string_view classes,
                                     TextFormat& combined) const {
    bool found = false;
    if (const TextFormat* style = find(tag)) {
        combined = *style;
        found = true;
    }
    // Class names are separated by spaces; a name with other characters than ASCII is none.
    size_t i = 0;
    while (i < classes.size()) {
        while (i < classes.size() && classes[i] == ' ') ++i;
        std::string name = ".";
        bool ascii = true;
        while (i < classes.size() && classes[i] != ' ') {
            ascii = ascii && classes[i] < 0x80;
            name.push_back(static_cast<char>(classes[i] & 0x7F));
            ++i;
        }
        if (name.size() == 1 || !ascii) continue;
        if (const TextFormat* style = find(name)) {
            if (found)
                combined.merge(*style);
            else
                combined = *style;
            found = true;
        }
    }
    return found ? &combined : nullptr;
}

}  // namespace swf
