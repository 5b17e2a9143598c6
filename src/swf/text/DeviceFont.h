#pragma once
// A font installed on the system, standing in for a font the movie names but does not
// embed. Outlines come from FreeType in the font's units and are converted once per glyph
// into shapes on an em of 1024, the same units as DefineFont2 glyphs.

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "swf/text/GlyphSource.h"

struct FT_FaceRec_;
struct FT_LibraryRec_;

namespace swf {

class DeviceFont : public GlyphSource {
  public:
    // Opens face `faceIndex` of the font file; null when FreeType cannot read it as an
    // outline font.
    static std::unique_ptr<DeviceFont> open(FT_LibraryRec_* library, const std::string& path,
                                            int faceIndex);
    ~DeviceFont() override;
    DeviceFont(const DeviceFont&) = delete;
    DeviceFont& operator=(const DeviceFont&) = delete;

    const std::string& family() const { return family_; }
    const std::string& path() const { return path_; }

    double emSize() const override { return kEmSize; }
    double ascent() const override { return ascent_; }
    double descent() const override { return descent_; }
    std::optional<uint32_t> glyphFor(char32_t character) const override;
    double advance(uint32_t glyph) const override;
    const Shape* glyphShape(uint32_t glyph) const override;

    static constexpr double kEmSize = 1024.0;

  private:
    struct Glyph {
        Shape shape;
        double advance = 0;
    };
    DeviceFont(FT_FaceRec_* face, std::string path);
    // Loads and converts on first use; faces are not safe to share between threads, so
    // every use of the face holds the lock.
    const Glyph* glyph(uint32_t index) const;

    FT_FaceRec_* face_;
    std::string path_;
    std::string family_;
    double scale_ = 1;  // font units to em-1024 units
    double ascent_ = 0;
    double descent_ = 0;
    mutable std::mutex mutex_;
    mutable std::unordered_map<uint32_t, Glyph> glyphs_;
};

}  // namespace swf
