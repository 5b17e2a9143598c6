#pragma once
// Turns definition tags into characters for the dictionary.

#include <memory>
#include <span>

#include "swf/format/TagStream.h"
#include "swf/movie/Character.h"
#include "swf/movie/Dictionary.h"
#include "swf/parse/ParseBudget.h"

namespace swf {

struct CharacterParseContext {
    int swfVersion = 0;
    const Dictionary* dictionary = nullptr;  // the movie's, which its sprites refer into
    std::span<const uint8_t> jpegTables;
    ParseBudget budget;
};

class CharacterParser {
  public:
    // The character a definition tag defines; null for tags that define none here (control
    // tags, unknown tags) and for definitions too damaged to use.
    static std::shared_ptr<Character> parse(const Tag& tag, CharacterParseContext& context);
    // VideoFrame: hands the frame to the video stream it names, defined before it. False for
    // other tags.
    static bool addVideoFrame(const Tag& tag, CharacterParseContext& context);
    // DefineScalingGrid: gives the sprite or button it names, defined before it, its grid.
    static void addScalingGrid(std::span<const uint8_t> body, const Dictionary& dictionary);

  private:
    static std::shared_ptr<Character> parseBitmap(const Tag& tag, CharacterParseContext& context);
    static std::shared_ptr<Character> parseShape(const Tag& tag, int version);
    static std::shared_ptr<Character> parseSprite(const Tag& tag, CharacterParseContext& context);
};

}  // namespace swf
