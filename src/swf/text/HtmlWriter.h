#pragma once
// Writes a field's text and formats back as HTML in the player's form: per paragraph an
// optional <TEXTFORMAT> with the paragraph's non-zero settings, <P ALIGN> or <LI>, a <FONT>
// with all five font attributes, then each run of equal formats with a nested <FONT> for the
// attributes it changes and its <A>, <B>, <I>, <U>.

#include <string>
#include <string_view>

#include "swf/text/TextRuns.h"

namespace swf {

class HtmlWriter {
  public:
    // `fallback` is the format of text outside every run (a field with no runs yet).
    static std::u32string write(std::u32string_view text, const TextRuns& runs,
                                const TextFormat& fallback);
};

}  // namespace swf
