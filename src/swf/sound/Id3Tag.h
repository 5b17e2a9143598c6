#pragma once
// The text an MP3 file's ID3 tags carry, as a script's Sound.id3 shows it: an ID3v2.3 or
// v2.4 tag at the start (its text frames and comment under their frame ids, the common ones
// also under the ID3v1 names), an ID3v1 tag at the end under the v1 names where the v2 tag
// did not set them. Text comes out as UTF-8 whatever the tag's encoding. The file is
// untrusted: every size is checked against the data, and at most kMaxFrames frames are read.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace swf {

class Id3Tag {
  public:
    static constexpr int kMaxFrames = 256;

    struct Field {
        std::string name;
        std::string text;
        bool operator==(const Field&) const = default;
    };

    // Nothing when the file has neither tag.
    static std::optional<std::vector<Field>> read(std::span<const uint8_t> file);
};

}  // namespace swf
