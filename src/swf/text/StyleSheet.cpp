#include "swf/text/StyleSheet.h"

#include <algorithm>

#include "swf/format/LetterCase.h"

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

const TextFormat* StyleSheet::findIgnoringCase(std::string_view selector) const {
    for (const auto& [name, style] : styles_)
        if (equalsIgnoringCase(name, selector)) return &style;
    return nullptr;
}

const TextFormat* StyleSheet::forTag(std::string_view tag, std::u32string_view classes,
                                     TextFormat& combined) const {
    bool found = false;
    // Only paragraphs, list items and links take their tag's style.
    if (tag == "p" || tag == "li" || tag == "a") {
        if (const TextFormat* style = findIgnoringCase(tag)) {
            combined = *style;
            found = true;
        }
    }
    // The class attribute names one class, spaces and all; a name with other characters than
    // ASCII is none.
    if (classes.empty() || std::any_of(classes.begin(), classes.end(),
                                       [](char32_t c) { return c >= 0x80; }))
        return found ? &combined : nullptr;
    std::string name = ".";
    for (char32_t c : classes) name.push_back(static_cast<char>(c));
    if (const TextFormat* style = findIgnoringCase(name)) {
        if (found)
            combined.merge(*style);
        else
            combined = *style;
        found = true;
    }
    return found ? &combined : nullptr;
}

}  // namespace swf
