#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "support/ActionBuilder.h"
#include "support/ButtonBuilder.h"
#include "support/ColorTransform.h"
#include "support/EditText.h"
#include "support/FontBuilder.h"
#include "support/Matrix.h"
#include "support/MorphShapeBuilder.h"
#include "support/Placement.h"
#include "support/Rect.h"
#include "support/Rgba.h"
#include "support/ShapeBuilder.h"
#include "support/SoundFormat.h"
#include "support/SoundInfo.h"
#include "support/TextBuilder.h"

namespace swftest {

// Tag codes of the tags this writer produces (and a few more, for raw tags).
enum TagCode : uint16_t {
    kTagEnd = 0,
    kTagShowFrame = 1,
    kTagDefineShape = 2,
    kTagPlaceObject = 4,
    kTagRemoveObject = 5,
    kTagDefineBits = 6,
    kTagJpegTables = 8,
    kTagSetBackgroundColor = 9,
    kTagDefineFont = 10,
    kTagDefineText = 11,
    kTagDoAction = 12,
    kTagDefineSound = 14,
    kTagStartSound = 15,
    kTagSoundStreamHead = 18,
    kTagSoundStreamBlock = 19,
    kTagDefineBitsLossless = 20,
    kTagDefineBitsJpeg2 = 21,
    kTagDefineShape2 = 22,
    kTagPlaceObject2 = 26,
    kTagRemoveObject2 = 28,
    kTagDefineShape3 = 32,
    kTagDefineText2 = 33,
    kTagDefineButton2 = 34,
    kTagDefineBitsJpeg3 = 35,
    kTagDefineBitsLossless2 = 36,
    kTagDefineEditText = 37,
    kTagDefineSprite = 39,
    kTagFrameLabel = 43,
    kTagSoundStreamHead2 = 45,
    kTagDefineMorphShape = 46,
    kTagDefineFont2 = 48,
    kTagDoInitAction = 59,
    kTagFileAttributes = 69,
    kTagPlaceObject3 = 70,
    kTagDefineFont3 = 75,
    kTagDefineShape4 = 83,
    kTagDefineMorphShape2 = 84,
};

// Writes SWF movies from code, for tests and the sample movie.
//
// A writer is a timeline: tags are appended in call order, each ShowFrame ends a frame and
// the header's frame count is the number of ShowFrame tags. bytes() adds the End tag unless
// end() or omitEndTag() was called. A sprite's timeline is another SwfWriter, handed to
// defineSprite() (its header settings are ignored there).
//
//   SwfWriter movie;                                    // SWF 8, 550x400 px, 24 fps, FWS
//   movie.frameSizePixels(200, 100).frameRate(30).compressed();
//   ShapeBuilder box;
//   box.fill1(box.addFill(FillStyle::solid({0, 128, 255}))).rectangle(0, 0, px(50), px(50));
//   movie.setBackgroundColor({255, 255, 255})
//        .defineShape(1, box)
//        .place(1, 1, Matrix::translation(px(10), px(10)))
//        .showFrame()
//        .move(1, Matrix::translation(px(20), px(10)))
//        .showFrame();
//   movie.writeFile("two-frames.swf");
//
// All coordinates are twips (px() converts pixels) unless a name says pixels. Methods that
// are given values the format cannot hold throw std::invalid_argument.
class SwfWriter {
  public:
    // --- header ---------------------------------------------------------------------------
    SwfWriter& version(uint8_t swfVersion);
    SwfWriter& frameSize(const Rect& twips);
    SwfWriter& frameSizePixels(int width, int height);
    // Stored as 8.8 fixed point, rounded to 1/256 (1/256 up to 255.996).
    SwfWriter& frameRate(double fps);
    // The raw 8.8 value, for unusual rates such as 0.
    SwfWriter& frameRateFixed(uint16_t rate88);
    // "CWS" (zlib) instead of "FWS".
    SwfWriter& compressed(bool zlib = true);
    // "ZWS" (LZMA, from SWF 13) instead.
    SwfWriter& lzmaCompressed();

    // --- hostile files --------------------------------------------------------------------
    // Every later tag gets a long (6-byte) header even when short.
    SwfWriter& longTagHeaders(bool always = true);
    // Header fields that disagree with the content.
    SwfWriter& overrideFrameCount(uint16_t frameCount);
    SwfWriter& overrideFileLength(uint32_t fileLength);
    // No End tag at the end of the tag stream.
    SwfWriter& omitEndTag();

    // --- any tag --------------------------------------------------------------------------
    // Short header when the body is under 63 bytes (and long headers are not forced).
    SwfWriter& tag(uint16_t code, std::span<const uint8_t> body);
    SwfWriter& tagWithLongHeader(uint16_t code, std::span<const uint8_t> body);
    // A header claiming `declaredLength` followed by `body` of any other length.
    SwfWriter& tagDeclaringLength(uint16_t code, uint32_t declaredLength,
                                  std::span<const uint8_t> body, bool longHeader = false);
    // Bytes appended to the tag stream as they are (e.g. half a tag header).
    SwfWriter& rawBytes(std::span<const uint8_t> bytes);

    // --- control tags ---------------------------------------------------------------------
    SwfWriter& setBackgroundColor(Rgba color);
    // FileAttributes flags: 0x08 ActionScript 3, 0x10 has metadata, 0x01 use network, ...
    SwfWriter& fileAttributes(uint32_t flags);
    SwfWriter& showFrame();
    SwfWriter& frameLabel(std::string_view label, bool namedAnchor = false);
    SwfWriter& end();
    SwfWriter& doAction(const ActionBuilder& actions);
    SwfWriter& doInitAction(uint16_t spriteId, const ActionBuilder& actions);
    // DoABC with its flags (1: lazy initialisation) and name; SymbolClass entries.
    SwfWriter& doAbc(std::span<const uint8_t> abc, uint32_t flags = 0, std::string_view name = "");
    SwfWriter& symbolClass(const std::vector<std::pair<uint16_t, std::string>>& classes);

    // --- definitions ----------------------------------------------------------------------
    // DefineShape (1), DefineShape2 (2), DefineShape3 (3, RGBA colours) or DefineShape4 (4).
    SwfWriter& defineShape(uint16_t id, const ShapeBuilder& shape, int shapeVersion = 3);
    // Direct 32-bit image, `pixels` row by row from the top, straight alpha. Version 1 writes
    // DefineBitsLossless (alpha dropped), version 2 DefineBitsLossless2 (alpha premultiplied
    // in the file, as the format stores it).
    SwfWriter& defineBitsLossless(uint16_t id, int width, int height, std::span<const Rgba> pixels,
                                  int version = 2);
    // Colour-mapped 8-bit image: up to 256 palette entries and one index per pixel (rows are
    // padded to 4 bytes in the file). Version 2 keeps the palette's alpha, premultiplied.
    SwfWriter& defineBitsLosslessColorMapped(uint16_t id, int width, int height,
                                             std::span<const Rgba> palette,
                                             std::span<const uint8_t> indices, int version = 2);
    // Complete JPEG data (or PNG / GIF data from SWF 8).
    SwfWriter& defineBitsJpeg2(uint16_t id, std::span<const uint8_t> imageData);
    // Image data plus an alpha plane of one byte per pixel, compressed here.
    SwfWriter& defineBitsJpeg3(uint16_t id, std::span<const uint8_t> imageData,
                               std::span<const uint8_t> alpha);
    // JPEG tables shared by DefineBits tags, and a DefineBits with only the image part.
    SwfWriter& jpegTables(std::span<const uint8_t> tables);
    SwfWriter& defineBits(uint16_t id, std::span<const uint8_t> imageData);
    // DefineMorphShape (1) or DefineMorphShape2 (2).
    SwfWriter& defineMorphShape(uint16_t id, const MorphShapeBuilder& morph, int morphVersion = 1);
    SwfWriter& defineFont(uint16_t id, const FontBuilder& font);
    SwfWriter& defineFont2(uint16_t id, const FontBuilder& font);
    SwfWriter& defineFont3(uint16_t id, const FontBuilder& font);
    // DefineText (1, RGB colours) or DefineText2 (2, RGBA).
    SwfWriter& defineText(uint16_t id, const TextBuilder& text, int textVersion = 1);
    SwfWriter& defineEditText(uint16_t id, const EditText& field);
    SwfWriter& defineButton2(uint16_t id, const ButtonBuilder& button);
    // The sample count is worked out from the data for PCM; other codecs must give it.
    SwfWriter& defineSound(uint16_t id, const SoundFormat& format, std::span<const uint8_t> data,
                           std::optional<uint32_t> sampleCount = std::nullopt);
    // A sprite whose tags and frame count come from `timeline` (End added unless it has one).
    SwfWriter& defineSprite(uint16_t id, const SwfWriter& timeline);

    // --- display list ---------------------------------------------------------------------
    // PlaceObject (the original tag): character, depth, matrix, optional CXFORM.
    SwfWriter& placeObject(uint16_t characterId, uint16_t depth, const Matrix& matrix,
                           const std::optional<ColorTransform>& colorTransform = std::nullopt);
    // Clip event fields follow this writer's version(): set it on sprite timelines too.
    SwfWriter& placeObject2(const Placement& placement);
    SwfWriter& placeObject3(const Placement& placement);
    // PlaceObject2 shortcuts: a new object, and a new matrix for an existing one.
    SwfWriter& place(uint16_t characterId, uint16_t depth,
                     const Matrix& matrix = Matrix::identity());
    SwfWriter& move(uint16_t depth, const Matrix& matrix);
    SwfWriter& removeObject(uint16_t characterId, uint16_t depth);
    SwfWriter& removeObject2(uint16_t depth);

    // --- sound ----------------------------------------------------------------------------
    SwfWriter& startSound(uint16_t soundId, const SoundInfo& info = {});
    // SoundStreamHead (version 1) or SoundStreamHead2 (2). The latency seek is written for MP3.
    SwfWriter& soundStreamHead(const SoundFormat& playback, const SoundFormat& stream,
                               uint16_t samplesPerFrame, int16_t latencySeek = 0,
                               int headVersion = 1);
    // The block's data as it is (for MP3 the caller includes the sample count and seek fields).
    SwfWriter& soundStreamBlock(std::span<const uint8_t> data);

    // --- output ---------------------------------------------------------------------------
    // ShowFrame tags written so far.
    uint16_t frameCount() const { return frameCount_; }
    // The tags written so far, as they stand (no End added).
    const std::vector<uint8_t>& tagStream() const { return tags_; }
    // The whole file.
    std::vector<uint8_t> bytes() const;
    // Writes bytes() to `path` through a temporary file beside it, so that an existing file
    // is replaced whole or not at all. Throws std::runtime_error saying why it failed.
    void writeFile(const std::filesystem::path& path) const;

  private:
    void writeTagHeader(uint16_t code, uint32_t length, bool longHeader);
    std::vector<uint8_t> tagStreamWithEnd() const;

    uint8_t version_ = 8;
    Rect frameSize_ = Rect::fromPixels(0, 0, 550, 400);
    uint16_t frameRate_ = 24 << 8;
    bool compressed_ = false;
    bool lzma_ = false;
    bool alwaysLongHeaders_ = false;
    std::optional<uint16_t> frameCountOverride_;
    std::optional<uint32_t> fileLengthOverride_;
    bool endWritten_ = false;
    bool omitEnd_ = false;
    uint16_t frameCount_ = 0;
    std::vector<uint8_t> tags_;
};

}  // namespace swftest
