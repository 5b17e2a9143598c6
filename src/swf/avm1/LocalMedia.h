#pragma once
// Media files scripts ask for by URL (Sound.loadSound, NetStream.play): only files in the
// movie's folder or below it are read, never a URL with a scheme or a path leaving the folder,
// and never more than a size cap. Nothing is fetched from a network.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace swf::avm1 {

class LocalMedia {
  public:
    static constexpr size_t kMaxFileBytes = size_t{64} << 20;

    // The file's bytes, or nothing when the URL is not a local file under the movie's folder,
    // the file is missing or larger than kMaxFileBytes. `movieUrl` is "file://" + the movie's
    // path; anything else has no folder.
    static std::optional<std::vector<uint8_t>> read(const std::string& movieUrl,
                                                    const std::string& url);

    struct Mp3Info {
        uint32_t rateHz = 0;
        bool stereo = false;
        uint32_t sampleCount = 0;
        bool hasId3 = false;
        size_t audioStart = 0;  // the first byte after an ID3v2 tag
    };
    // Walks the MPEG audio frames; nothing when there is no frame at all.
    static std::optional<Mp3Info> scanMp3(std::span<const uint8_t> data);
};

}  // namespace swf::avm1
