#pragma once
// The styles a field's style sheet gives HTML text: a format per selector, a tag name ("p")
// or a class (".title"), as TextField.StyleSheet made them.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "swf/text/TextFormat.h"

namespace swf {

class StyleSheet {
  public:
    // Selectors beyond this many are dropped: a script could make any number.
    static constexpr size_t kMaxStyles = 4096;

    void set(std::string selector, const TextFormat& format);
    const TextFormat* find(std::string_view selector) const;
    bool empty() const { return styles_.empty(); }
    // What a tag takes from the sheet, selectors compared ignoring case: a paragraph's, list
    // item's or link's name's style, then its class's. Nothing when neither has one.
    const TextFormat* forTag(std::string_view tag, std::u32string_view classes,
                             TextFormat& combined) const;

  private:
    const TextFormat* findIgnoringCase(std::string_view selector) const;

    std::vector<std::pair<std::string, TextFormat>> styles_;
};

}  // namespace swf
