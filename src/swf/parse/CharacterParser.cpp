#include "swf/parse/CharacterParser.h"

#include "swf/bitmap/BitmapTag.h"
#include "swf/format/BitReader.h"
#include "swf/format/TagCode.h"
#include "swf/movie/ShapeCharacter.h"
#include "swf/movie/SoundCharacter.h"
#include "swf/movie/SpriteCharacter.h"
#include "swf/movie/VideoCharacter.h"
#include "swf/parse/ButtonParser.h"
#include "swf/parse/MorphShapeParser.h"
#include "swf/parse/TimelineBuilder.h"
#include "swf/shape/ShapeParser.h"
#include "swf/text/EditTextCharacter.h"
#include "swf/text/FontCharacter.h"
#include "swf/text/TextCharacter.h"
#include "swf/video/VideoPacket.h"

namespace swf {
namespace {

std::shared_ptr<Character> parseSound(const Tag& tag) {
    BitReader in(tag.body);
    uint16_t id = in.u16();
    uint8_t flags = in.u8();
    uint32_t samples = in.u32();
    if (in.overrun()) return nullptr;
    static constexpr uint32_t kRates[] = {5512, 11025, 22050, 44100};
    auto format = static_cast<SoundCharacter::Format>(flags >> 4);
    int seekSamples = format == SoundCharacter::Format::Mp3 ? in.s16() : 0;
    std::span<const uint8_t> data = in.bytes(in.remaining());
    return std::make_shared<SoundCharacter>(id, format, kRates[(flags >> 2) & 3], (flags & 2) != 0,
                                            (flags & 1) != 0, samples,
                                            std::vector<uint8_t>(data.begin(), data.end()),
                                            seekSamples);
}

std::shared_ptr<Character> parseVideo(const Tag& tag) {
    BitReader in(tag.body);
    uint16_t id = in.u16();
    uint16_t frames = in.u16();
    uint16_t width = in.u16();
    uint16_t height = in.u16();
    uint8_t flags = in.u8();
    uint8_t codec = in.u8();
    if (in.overrun()) return nullptr;
    return std::make_shared<VideoCharacter>(id, frames, width, height, (flags >> 1) & 7,
                                            (flags & 1) != 0, codec);
}

}  // namespace

std::shared_ptr<Character> CharacterParser::parseShape(const Tag& tag, int version) {
    BitReader in(tag.body);
    uint16_t id = in.u16();
    if (in.overrun()) return nullptr;
    Shape shape;
    // A shape damaged part-way still shows the edges read before the fault.
    ShapeParser::parseDefineShape(in, version, shape);
    return std::make_shared<ShapeCharacter>(id, std::move(shape));
}

std::shared_ptr<Character> CharacterParser::parseSprite(const Tag& tag,
                                                        CharacterParseContext& context) {
    BitReader in(tag.body);
    uint16_t id = in.u16();
    uint16_t frames = in.u16();
    if (in.overrun()) return nullptr;
    TimelineBuilder builder(frames, context.budget, context.swfVersion, tag.body.subspan(4));
    TagStream stream(tag.body.subspan(4));
    Tag inner;
    // Definitions inside a sprite are not allowed; they are skipped with everything unknown.
    // Video frames are kept wherever they are.
    while (stream.next(inner))
        if (!builder.add(inner)) addVideoFrame(inner, context);
    return std::make_shared<SpriteCharacter>(id, builder.finish(), context.dictionary);
}

std::shared_ptr<Character> CharacterParser::parseBitmap(const Tag& tag,
                                                        CharacterParseContext& context) {
    // Bitmaps past the movie's budget are left undecoded: fills that name them paint nothing.
    auto bitmap =
        ParseBitmapTag(tag.code, tag.body, context.jpegTables, context.budget.bitmapBytesLeft);
    if (bitmap && !context.budget.takeBitmapBytes(bitmap->bitmap().rgba.size())) return nullptr;
    return bitmap;
}

bool CharacterParser::addVideoFrame(const Tag& tag, CharacterParseContext& context) {
    if (tag.code != static_cast<uint16_t>(TagCode::VideoFrame)) return false;
    BitReader in(tag.body);
    const uint16_t streamId = in.u16();
    const uint16_t number = in.u16();
    if (in.overrun() || !context.dictionary) return true;
    auto character = context.dictionary->share(streamId);
    if (!character || character->kind() != CharacterKind::Video) return true;
    const std::span<const uint8_t> data = in.bytes(in.remaining());
    if (!context.budget.takeVideoBytes(data.size())) return true;
    auto& stream = static_cast<VideoCharacter&>(*character);
    if (auto frame = VideoPacket::frame(stream, data)) stream.addFrame(number, std::move(*frame));
    return true;
}

void CharacterParser::addScalingGrid(std::span<const uint8_t> body, const Dictionary& dictionary) {
    BitReader in(body);
    const uint16_t id = in.u16();
    const Rect grid = in.rect();
    if (in.overrun()) return;
    // A second grid for the same character is ignored.
    auto character = dictionary.share(id);
    if (character && !character->scalingGrid() &&
        (character->kind() == CharacterKind::Sprite || character->kind() == CharacterKind::Button))
        character->setScalingGrid(grid);
}

std::shared_ptr<Character> CharacterParser::parse(const Tag& tag, CharacterParseContext& context) {
    if (IsBitmapTag(tag.code)) return parseBitmap(tag, context);
    switch (static_cast<TagCode>(tag.code)) {
        case TagCode::DefineShape:
            return parseShape(tag, 1);
        case TagCode::DefineShape2:
            return parseShape(tag, 2);
        case TagCode::DefineShape3:
            return parseShape(tag, 3);
        case TagCode::DefineShape4:
            return parseShape(tag, 4);
        case TagCode::DefineMorphShape:
            return MorphShapeParser::parse(tag.body, 1);
        case TagCode::DefineMorphShape2:
            return MorphShapeParser::parse(tag.body, 2);
        case TagCode::DefineSprite:
            return parseSprite(tag, context);
        case TagCode::DefineButton:
            return ButtonParser::parse(tag.body, 1);
        case TagCode::DefineButton2:
            return ButtonParser::parse(tag.body, 2);
        case TagCode::DefineFont:
        case TagCode::DefineFont2:
        case TagCode::DefineFont3:
            return FontCharacter::parse(tag.code, tag.body);
        case TagCode::DefineText:
        case TagCode::DefineText2:
            return TextCharacter::parse(tag.code, tag.body);
        case TagCode::DefineEditText:
            return EditTextCharacter::parse(tag.body);
        case TagCode::DefineSound:
            return parseSound(tag);
        case TagCode::DefineVideoStream:
            return parseVideo(tag);
        default:
            return nullptr;
    }
}

}  // namespace swf
