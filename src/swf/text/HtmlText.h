#pragma once
// The plain text of a text field's HTML: tags dropped, <br> and the end of each <p> paragraph
// made line breaks, the common entities decoded. Styling tags are ignored for now.

#include <string>
#include <string_view>

namespace swf {

std::u32string PlainTextFromHtml(std::u32string_view html);

}  // namespace swf
