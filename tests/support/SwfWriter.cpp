#include "support/SwfWriter.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

#include "support/BitWriter.h"
#include "support/Lzma.h"
#include "support/Zlib.h"

namespace swftest {

namespace {

constexpr uint32_t kShortLengthLimit = 0x3F;
constexpr uint8_t kLosslessColorMapped = 3;
constexpr uint8_t kLosslessDirect32 = 5;

uint8_t premultiply(uint8_t channel, uint8_t alpha) {
    return static_cast<uint8_t>((channel * alpha + 127) / 255);
}

// The colour of one pixel or palette entry: RGB for DefineBitsLossless palettes, reserved
// byte + RGB for its direct pixels, premultiplied RGBA / ARGB for DefineBitsLossless2.
void writeLosslessColor(BitWriter& out, Rgba color, int version, bool direct) {
    if (version == 1) {
        if (direct) out.u8(0);
        out.u8(color.r).u8(color.g).u8(color.b);
        return;
    }
    const Rgba stored{premultiply(color.r, color.a), premultiply(color.g, color.a),
                      premultiply(color.b, color.a), color.a};
    if (direct)
        out.u8(stored.a).u8(stored.r).u8(stored.g).u8(stored.b);
    else
        out.u8(stored.r).u8(stored.g).u8(stored.b).u8(stored.a);
}

void checkImageSize(int width, int height, size_t count, const char* what) {
    if (width < 0 || height < 0 || width > 0xFFFF || height > 0xFFFF)
        throw std::invalid_argument("bitmap size out of range");
    if (count != static_cast<size_t>(width) * static_cast<size_t>(height))
        throw std::invalid_argument(std::string(what) + " do not match the bitmap size");
}

void checkVersion(int version, int lowest, int highest, const char* what) {
    if (version < lowest || version > highest)
        throw std::invalid_argument(std::string(what) +
                                    " version out of range: " + std::to_string(version));
}

// With KINETROPE_FUZZ_SEEDS naming a folder, every movie the tests build is also kept
// there, named by its content, as a seed for fuzzing the engine.
void saveFuzzSeed(const std::vector<uint8_t>& movie) {
    const char* folder = std::getenv("KINETROPE_FUZZ_SEEDS");
    if (folder == nullptr || *folder == '\0') return;
    uint64_t hash = 1469598103934665603ull;
    for (uint8_t byte : movie) hash = (hash ^ byte) * 1099511628211ull;
    char name[32];
    std::snprintf(name, sizeof name, "/%016llx.swf", static_cast<unsigned long long>(hash));
    std::ofstream out(std::string(folder) + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(movie.data()),
              static_cast<std::streamsize>(movie.size()));
}

}  // namespace

// --- header ---------------------------------------------------------------------------------

SwfWriter& SwfWriter::version(uint8_t swfVersion) {
    version_ = swfVersion;
    return *this;
}

SwfWriter& SwfWriter::frameSize(const Rect& twips) {
    frameSize_ = twips;
    return *this;
}

SwfWriter& SwfWriter::frameSizePixels(int width, int height) {
    return frameSize(Rect::fromPixels(0, 0, width, height));
}

SwfWriter& SwfWriter::frameRate(double fps) {
    const double rate88 = std::round(fps * 256.0);
    if (!(rate88 >= 1 && rate88 <= 0xFFFF))
        throw std::invalid_argument("frame rate must be from 1/256 to 255.996");
    return frameRateFixed(static_cast<uint16_t>(rate88));
}

SwfWriter& SwfWriter::frameRateFixed(uint16_t rate88) {
    frameRate_ = rate88;
    return *this;
}

SwfWriter& SwfWriter::compressed(bool zlib) {
    compressed_ = zlib;
    lzma_ = false;
    return *this;
}

SwfWriter& SwfWriter::doAbc(std::span<const uint8_t> abc, uint32_t flags, std::string_view name) {
    BitWriter body;
    body.u32(flags).string(name).raw(abc);
    return tag(82, body.bytes());
}

SwfWriter& SwfWriter::symbolClass(const std::vector<std::pair<uint16_t, std::string>>& classes) {
    BitWriter body;
    body.u16(static_cast<uint16_t>(classes.size()));
    for (const auto& [id, name] : classes) body.u16(id).string(name);
    return tag(76, body.bytes());
}

SwfWriter& SwfWriter::lzmaCompressed() {
    lzma_ = true;
    return *this;
}

// --- hostile files ----------------------------------------------------------------------------

SwfWriter& SwfWriter::longTagHeaders(bool always) {
    alwaysLongHeaders_ = always;
    return *this;
}

SwfWriter& SwfWriter::overrideFrameCount(uint16_t frameCount) {
    frameCountOverride_ = frameCount;
    return *this;
}

SwfWriter& SwfWriter::overrideFileLength(uint32_t fileLength) {
    fileLengthOverride_ = fileLength;
    return *this;
}

SwfWriter& SwfWriter::omitEndTag() {
    omitEnd_ = true;
    return *this;
}

// --- any tag ----------------------------------------------------------------------------------

void SwfWriter::writeTagHeader(uint16_t code, uint32_t length, bool longHeader) {
    if (code > 0x3FF) throw std::invalid_argument("tag code above 1023: " + std::to_string(code));
    BitWriter out;
    if (longHeader || alwaysLongHeaders_ || length >= kShortLengthLimit) {
        out.u16(static_cast<uint16_t>(code << 6 | kShortLengthLimit)).u32(length);
    } else {
        out.u16(static_cast<uint16_t>(code << 6 | length));
    }
    rawBytes(out.bytes());
    if (code == kTagShowFrame) ++frameCount_;
    if (code == kTagEnd) endWritten_ = true;
}

SwfWriter& SwfWriter::tag(uint16_t code, std::span<const uint8_t> body) {
    return tagDeclaringLength(code, static_cast<uint32_t>(body.size()), body, false);
}

SwfWriter& SwfWriter::tagWithLongHeader(uint16_t code, std::span<const uint8_t> body) {
    return tagDeclaringLength(code, static_cast<uint32_t>(body.size()), body, true);
}

SwfWriter& SwfWriter::tagDeclaringLength(uint16_t code, uint32_t declaredLength,
                                         std::span<const uint8_t> body, bool longHeader) {
    writeTagHeader(code, declaredLength, longHeader);
    return rawBytes(body);
}

SwfWriter& SwfWriter::rawBytes(std::span<const uint8_t> bytes) {
    tags_.insert(tags_.end(), bytes.begin(), bytes.end());
    return *this;
}

// --- control tags -----------------------------------------------------------------------------

SwfWriter& SwfWriter::setBackgroundColor(Rgba color) {
    BitWriter body;
    color.write(body, false);
    return tag(kTagSetBackgroundColor, body.bytes());
}

SwfWriter& SwfWriter::fileAttributes(uint32_t flags) {
    BitWriter body;
    body.u32(flags);
    return tag(kTagFileAttributes, body.bytes());
}

SwfWriter& SwfWriter::showFrame() {
    return tag(kTagShowFrame, {});
}

SwfWriter& SwfWriter::frameLabel(std::string_view label, bool namedAnchor) {
    BitWriter body;
    body.string(label);
    if (namedAnchor) body.u8(1);
    return tag(kTagFrameLabel, body.bytes());
}

SwfWriter& SwfWriter::end() {
    return tag(kTagEnd, {});
}

SwfWriter& SwfWriter::doAction(const ActionBuilder& actions) {
    return tag(kTagDoAction, actions.terminated());
}

SwfWriter& SwfWriter::doInitAction(uint16_t spriteId, const ActionBuilder& actions) {
    BitWriter body;
    body.u16(spriteId).raw(actions.terminated());
    return tag(kTagDoInitAction, body.bytes());
}

// --- definitions ------------------------------------------------------------------------------

SwfWriter& SwfWriter::defineShape(uint16_t id, const ShapeBuilder& shape, int shapeVersion) {
    static constexpr uint16_t kCodes[] = {kTagDefineShape, kTagDefineShape2, kTagDefineShape3,
                                          kTagDefineShape4};
    checkVersion(shapeVersion, 1, 4, "DefineShape");
    return tag(kCodes[shapeVersion - 1], shape.defineShapeBody(id, shapeVersion));
}

SwfWriter& SwfWriter::defineBitsLossless(uint16_t id, int width, int height,
                                         std::span<const Rgba> pixels, int version) {
    checkVersion(version, 1, 2, "DefineBitsLossless");
    checkImageSize(width, height, pixels.size(), "pixels");
    BitWriter image;
    for (const Rgba& pixel : pixels) writeLosslessColor(image, pixel, version, true);
    BitWriter body;
    body.u16(id)
        .u8(kLosslessDirect32)
        .u16(static_cast<uint16_t>(width))
        .u16(static_cast<uint16_t>(height));
    body.raw(Zlib::compress(image.bytes()));
    return tag(version == 1 ? kTagDefineBitsLossless : kTagDefineBitsLossless2, body.bytes());
}

SwfWriter& SwfWriter::defineBitsLosslessColorMapped(uint16_t id, int width, int height,
                                                    std::span<const Rgba> palette,
                                                    std::span<const uint8_t> indices, int version) {
    checkVersion(version, 1, 2, "DefineBitsLossless");
    checkImageSize(width, height, indices.size(), "indices");
    if (palette.empty() || palette.size() > 256)
        throw std::invalid_argument("a colour-mapped bitmap has 1 to 256 palette entries");
    BitWriter image;
    for (const Rgba& color : palette) writeLosslessColor(image, color, version, false);
    const size_t paddedWidth = (static_cast<size_t>(width) + 3) / 4 * 4;
    for (int row = 0; row < height; ++row) {
        const auto rowIndices = indices.subspan(
            static_cast<size_t>(row) * static_cast<size_t>(width), static_cast<size_t>(width));
        image.raw(rowIndices);
        for (size_t padding = rowIndices.size(); padding < paddedWidth; ++padding) image.u8(0);
    }
    BitWriter body;
    body.u16(id)
        .u8(kLosslessColorMapped)
        .u16(static_cast<uint16_t>(width))
        .u16(static_cast<uint16_t>(height));
    body.u8(static_cast<uint8_t>(palette.size() - 1));
    body.raw(Zlib::compress(image.bytes()));
    return tag(version == 1 ? kTagDefineBitsLossless : kTagDefineBitsLossless2, body.bytes());
}

SwfWriter& SwfWriter::defineBitsJpeg2(uint16_t id, std::span<const uint8_t> imageData) {
    BitWriter body;
    body.u16(id).raw(imageData);
    return tag(kTagDefineBitsJpeg2, body.bytes());
}

SwfWriter& SwfWriter::defineBitsJpeg3(uint16_t id, std::span<const uint8_t> imageData,
                                      std::span<const uint8_t> alpha) {
    BitWriter body;
    body.u16(id)
        .u32(static_cast<uint32_t>(imageData.size()))
        .raw(imageData)
        .raw(Zlib::compress(alpha));
    return tag(kTagDefineBitsJpeg3, body.bytes());
}

SwfWriter& SwfWriter::jpegTables(std::span<const uint8_t> tables) {
    return tag(kTagJpegTables, tables);
}

SwfWriter& SwfWriter::defineBits(uint16_t id, std::span<const uint8_t> imageData) {
    BitWriter body;
    body.u16(id).raw(imageData);
    return tag(kTagDefineBits, body.bytes());
}

SwfWriter& SwfWriter::defineMorphShape(uint16_t id, const MorphShapeBuilder& morph,
                                       int morphVersion) {
    checkVersion(morphVersion, 1, 2, "DefineMorphShape");
    return tag(morphVersion == 1 ? kTagDefineMorphShape : kTagDefineMorphShape2,
               morph.defineMorphShapeBody(id, morphVersion));
}

SwfWriter& SwfWriter::defineFont(uint16_t id, const FontBuilder& font) {
    return tag(kTagDefineFont, font.defineFontBody(id));
}

SwfWriter& SwfWriter::defineFont2(uint16_t id, const FontBuilder& font) {
    return tag(kTagDefineFont2, font.defineFont2Body(id, 2));
}

SwfWriter& SwfWriter::defineFont3(uint16_t id, const FontBuilder& font) {
    return tag(kTagDefineFont3, font.defineFont2Body(id, 3));
}

SwfWriter& SwfWriter::defineText(uint16_t id, const TextBuilder& text, int textVersion) {
    checkVersion(textVersion, 1, 2, "DefineText");
    return tag(textVersion == 1 ? kTagDefineText : kTagDefineText2,
               text.defineTextBody(id, textVersion));
}

SwfWriter& SwfWriter::defineEditText(uint16_t id, const EditText& field) {
    return tag(kTagDefineEditText, field.defineEditTextBody(id));
}

SwfWriter& SwfWriter::defineButton2(uint16_t id, const ButtonBuilder& button) {
    return tag(kTagDefineButton2, button.defineButton2Body(id));
}

SwfWriter& SwfWriter::defineSound(uint16_t id, const SoundFormat& format,
                                  std::span<const uint8_t> data,
                                  std::optional<uint32_t> sampleCount) {
    if (!sampleCount && !format.isPcm())
        throw std::invalid_argument("compressed sounds need their sample count");
    BitWriter body;
    body.u16(id).u8(format.packed());
    body.u32(sampleCount.value_or(static_cast<uint32_t>(data.size() / format.pcmFrameBytes())));
    body.raw(data);
    return tag(kTagDefineSound, body.bytes());
}

SwfWriter& SwfWriter::defineSprite(uint16_t id, const SwfWriter& timeline) {
    BitWriter body;
    body.u16(id)
        .u16(timeline.frameCountOverride_.value_or(timeline.frameCount_))
        .raw(timeline.tagStreamWithEnd());
    return tag(kTagDefineSprite, body.bytes());
}

// --- display list -----------------------------------------------------------------------------

SwfWriter& SwfWriter::placeObject(uint16_t characterId, uint16_t depth, const Matrix& matrix,
                                  const std::optional<ColorTransform>& colorTransform) {
    BitWriter body;
    body.u16(characterId).u16(depth);
    matrix.write(body);
    if (colorTransform) colorTransform->write(body);
    return tag(kTagPlaceObject, body.bytes());
}

SwfWriter& SwfWriter::placeObject2(const Placement& placement) {
    BitWriter body;
    placement.write(body, 2, version_);
    return tag(kTagPlaceObject2, body.bytes());
}

SwfWriter& SwfWriter::placeObject3(const Placement& placement) {
    BitWriter body;
    placement.write(body, 3, version_);
    return tag(kTagPlaceObject3, body.bytes());
}

SwfWriter& SwfWriter::place(uint16_t characterId, uint16_t depth, const Matrix& matrix) {
    return placeObject2({.depth = depth, .character = characterId, .matrix = matrix});
}

SwfWriter& SwfWriter::move(uint16_t depth, const Matrix& matrix) {
    return placeObject2({.depth = depth, .move = true, .matrix = matrix});
}

SwfWriter& SwfWriter::removeObject(uint16_t characterId, uint16_t depth) {
    BitWriter body;
    body.u16(characterId).u16(depth);
    return tag(kTagRemoveObject, body.bytes());
}

SwfWriter& SwfWriter::removeObject2(uint16_t depth) {
    BitWriter body;
    body.u16(depth);
    return tag(kTagRemoveObject2, body.bytes());
}

// --- sound ----------------------------------------------------------------------------------

SwfWriter& SwfWriter::startSound(uint16_t soundId, const SoundInfo& info) {
    BitWriter body;
    body.u16(soundId);
    info.write(body);
    return tag(kTagStartSound, body.bytes());
}

SwfWriter& SwfWriter::soundStreamHead(const SoundFormat& playback, const SoundFormat& stream,
                                      uint16_t samplesPerFrame, int16_t latencySeek,
                                      int headVersion) {
    checkVersion(headVersion, 1, 2, "SoundStreamHead");
    BitWriter body;
    // The playback byte has no codec field: its top four bits are reserved.
    body.u8(playback.packed() & 0x0F).u8(stream.packed()).u16(samplesPerFrame);
    if (stream.codec == SoundCodec::Mp3) body.s16(latencySeek);
    return tag(headVersion == 1 ? kTagSoundStreamHead : kTagSoundStreamHead2, body.bytes());
}

SwfWriter& SwfWriter::soundStreamBlock(std::span<const uint8_t> data) {
    return tag(kTagSoundStreamBlock, data);
}

// --- output -----------------------------------------------------------------------------------

std::vector<uint8_t> SwfWriter::tagStreamWithEnd() const {
    std::vector<uint8_t> stream = tags_;
    if (!endWritten_ && !omitEnd_) {
        stream.push_back(0);
        stream.push_back(0);
    }
    return stream;
}

std::vector<uint8_t> SwfWriter::bytes() const {
    BitWriter body;
    frameSize_.write(body);
    body.u16(frameRate_).u16(frameCountOverride_.value_or(frameCount_)).raw(tagStreamWithEnd());
    const std::vector<uint8_t>& uncompressed = body.bytes();

    constexpr size_t kHeaderSize = 8;
    BitWriter file;
    file.u8(lzma_ ? 'Z' : compressed_ ? 'C' : 'F').u8('W').u8('S').u8(version_);
    file.u32(
        fileLengthOverride_.value_or(static_cast<uint32_t>(kHeaderSize + uncompressed.size())));
    if (lzma_) {
        // The compressed length counts the stream without its 5 property bytes.
        std::vector<uint8_t> packed = Lzma::compress(uncompressed);
        file.u32(static_cast<uint32_t>(packed.size() - 5)).raw(packed);
    } else {
        file.raw(compressed_ ? Zlib::compress(uncompressed) : uncompressed);
    }
    saveFuzzSeed(file.bytes());
    return file.bytes();
}

void SwfWriter::writeFile(const std::filesystem::path& path) const {
    const std::vector<uint8_t> data = bytes();
    std::filesystem::path temporary = path;
    temporary += ".partial";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (out)
            out.write(reinterpret_cast<const char*>(data.data()),
                      static_cast<std::streamsize>(data.size()));
        if (out) out.flush();
        if (!out) {
            const std::string reason = std::strerror(errno);
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw std::runtime_error("cannot write " + path.string() + ": " + reason);
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw std::runtime_error("cannot write " + path.string() + ": " + error.message());
    }
}

}  // namespace swftest
