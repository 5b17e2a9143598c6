#include "swf/text/DeviceFontCache.h"

#include <algorithm>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace swf {
namespace {

// The face fontconfig picks for the families, or an empty path.
std::pair<std::string, int> matchFont(FcConfig* config, const std::vector<std::string>& families,
                                      bool bold, bool italic) {
    FcPattern* pattern = FcPatternCreate();
    for (const std::string& family : families)
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    std::pair<std::string, int> found{"", 0};
    FcChar8* file = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
        found.first = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(match, FC_INDEX, 0, &found.second);
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return found;
}

}  // namespace

DeviceFontCache& DeviceFontCache::shared() {
    static DeviceFontCache cache;
    return cache;
}

DeviceFontCache::DeviceFontCache() : config_(FcInitLoadConfigAndFonts()) {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
}

DeviceFontCache::~DeviceFontCache() {
    fonts_.clear();
    if (library_) FT_Done_FreeType(library_);
    if (config_) FcConfigDestroy(config_);
}

std::vector<std::string> DeviceFontCache::familiesFor(std::string_view name) {
    if (name == "_sans") return {"Liberation Sans", "DejaVu Sans", "sans-serif"};
    if (name == "_serif") return {"Liberation Serif", "DejaVu Serif", "serif"};
    if (name == "_typewriter") return {"Liberation Mono", "DejaVu Sans Mono", "monospace"};
    // A text field without a font uses the player's default, Times New Roman.
    if (name.empty()) return {"Times New Roman", "Liberation Serif", "serif"};
    return {std::string(name)};
}

std::vector<std::string> DeviceFontCache::families() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    if (!config_) return names;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcObjectSet* wanted = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* set = FcFontList(config_, pattern, wanted);
    for (int i = 0; set && i < set->nfont && names.size() < kMaxFamilies; ++i) {
        FcChar8* family = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family)
            names.emplace_back(reinterpret_cast<const char*>(family));
    }
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(wanted);
    FcPatternDestroy(pattern);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

const DeviceFont* DeviceFontCache::find(std::string_view name, bool bold, bool italic) {
    std::lock_guard lock(mutex_);
    if (!library_ || !config_) return nullptr;
    auto key = std::make_tuple(std::string(name), bold, italic);
    if (auto it = fonts_.find(key); it != fonts_.end()) return it->second.get();
    auto [path, index] = matchFont(config_, familiesFor(name), bold, italic);
    std::unique_ptr<DeviceFont> font =
        path.empty() ? nullptr : DeviceFont::open(library_, path, index);
    // The name is remembered even when nothing loads, so a missing font is looked up once.
    return fonts_.emplace(std::move(key), std::move(font)).first->second.get();
}

}  // namespace swf
