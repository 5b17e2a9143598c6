#include "swf/sound/StreamSound.h"

#include <algorithm>
#include <optional>

#include "swf/format/BitReader.h"
#include "swf/format/TagCode.h"
#include "swf/movie/Timeline.h"
#include "swf/sound/Resampler.h"
#include "swf/sound/SoundDecoder.h"

namespace swf {

std::shared_ptr<StreamSound> StreamSound::build(const Timeline& timeline, size_t maxFrames,
                                                std::string& error) {
    const std::vector<Frame>& frames = timeline.frames();
    std::optional<SoundFormat> format;
    for (const Frame& frame : frames) {
        for (const KeptTag& tag : frame.soundTags)
            if (tag.code == static_cast<uint16_t>(TagCode::SoundStreamHead) ||
                tag.code == static_cast<uint16_t>(TagCode::SoundStreamHead2)) {
                if (tag.body.size() >= 4) format = SoundFormat::fromFlags(tag.body[1]);
                break;
            }
        if (format) break;
    }
    if (!format) return nullptr;
    const bool mp3 = format->codec == SoundCharacter::Format::Mp3;
    SoundDecoder decoder(*format, maxFrames);
    auto stream = std::make_shared<StreamSound>();
    stream->frameStart.reserve(frames.size());
    bool anyBlock = false;
    // MP3 blocks state their sample count and how far into their first MP3 frame the
    // frame's sound begins; the decoder runs on across blocks (MP3 frames borrow bits from
    // the ones before). The other codecs' blocks hold exactly their frame's samples.
    uint64_t mp3Position = 0;
    for (const Frame& frame : frames) {
        const KeptTag* block = nullptr;
        for (const KeptTag& tag : frame.soundTags)
            if (tag.code == static_cast<uint16_t>(TagCode::SoundStreamBlock)) block = &tag;
        if (!block) {
            stream->frameStart.push_back(mp3 ? mp3Position : decoder.pcm().frames());
            continue;
        }
        anyBlock = true;
        std::span<const uint8_t> data = block->body;
        if (mp3) {
            BitReader in(data);
            const uint16_t samples = in.u16();
            const int16_t seek = in.s16();
            if (in.overrun()) {
                stream->frameStart.push_back(mp3Position);
                continue;
            }
            stream->frameStart.push_back(mp3Position +
                                         static_cast<uint64_t>(std::max<int>(seek, 0)));
            mp3Position += samples;
            data = data.subspan(4);
        } else {
            stream->frameStart.push_back(decoder.pcm().frames());
        }
        if (error.empty() && !decoder.feed(data)) error = decoder.error();
    }
    if (!anyBlock) return nullptr;
    if (error.empty() && !decoder.finish()) error = decoder.error();
    stream->pcm = std::move(decoder.pcm());
    if (stream->pcm.rate == 0) stream->pcm.rate = format->rateHz;
    return stream;
}

bool StreamSound::resample(uint32_t rate, std::string& error) {
    const uint32_t from = pcm.rate;
    if (!Resampler::convert(pcm, rate, error)) return false;
    if (from != rate)
        for (uint64_t& start : frameStart) start = start * rate / from;
    return true;
}

}  // namespace swf
