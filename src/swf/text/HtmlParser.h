#pragma once
// Reads a text field's HTML into its text and the format of each character, as the player
// does: <p align>, <br>, <font face size color letterSpacing kerning>, <b>, <i>, <u>,
// <a href target>, <li> (bullets), <textformat> (margins, indents, leading, tab stops) and,
// with a style sheet, the styles of tags and of their classes (<span class>). Other tags are
// skipped, entities decoded. Raw newlines always break lines; paragraphs, <li> and <br> do
// only in multiline fields.

#include <cstddef>
#include <string>
#include <string_view>

#include "swf/text/StyleSheet.h"
#include "swf/text/TextFormat.h"
#include "swf/text/TextRuns.h"

namespace swf {

struct FormattedText {
    std::u32string text;  // line breaks are '\r'
    TextRuns runs;
};

class HtmlParser {
  public:
    struct Options {
        bool multiline = false;
        bool condenseWhite = false;  // runs of white space (newlines too) become one space
        const StyleSheet* styleSheet = nullptr;
        // Movies before version 8 drop text between tags that is only white space and ignore
        // letterSpacing and kerning.
        int swfVersion = 8;
        // The text a field's definition starts with keeps such blank text when it is the
        // content of an inline tag (<font> </font>); text set by a script loses it.
        bool definitionText = false;
    };

    // Tags nested deeper than this keep the format they have.
    static constexpr size_t kMaxOpenTags = 256;
    // Attribute values are cut to this many characters.
    static constexpr size_t kMaxAttributeLength = 1024;

    // `base` is the format of text outside any tag.
    static FormattedText parse(std::u32string_view html, const TextFormat& base,
                               const Options& options);
};

}  // namespace swf
