#include "swf/text/DeviceFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include "swf/shape/ShapeParser.h"

namespace swf {
namespace {

// Collects FreeType's outline segments as shape edges, one path per contour.
struct OutlineSink {
    Shape& shape;
    double scale;
    uint32_t fill0;
    uint32_t fill1;
    Point pen;

    Point toShape(const FT_Vector* v) const { return {v->x * scale, -v->y * scale}; }
    void add(Point control, Point to, bool curved) {
        if (shape.paths.empty()) return;  // FreeType always moves first; be safe anyway
        shape.paths.back().edges.push_back({pen, control, to, curved});
        pen = to;
    }
};

OutlineSink& sinkOf(void* user) {
    return *static_cast<OutlineSink*>(user);
}

int moveTo(const FT_Vector* to, void* user) {
    OutlineSink& sink = sinkOf(user);
    ShapePath path;
    path.fill0 = sink.fill0;
    path.fill1 = sink.fill1;
    sink.shape.paths.push_back(std::move(path));
    sink.pen = sink.toShape(to);
    return 0;
}

int lineTo(const FT_Vector* to, void* user) {
    OutlineSink& sink = sinkOf(user);
    sink.add({}, sink.toShape(to), false);
    return 0;
}

int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    OutlineSink& sink = sinkOf(user);
    sink.add(sink.toShape(control), sink.toShape(to), true);
    return 0;
}

Point mid(Point a, Point b) {
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

// Shapes hold quadratic curves only: a cubic is halved twice and each quarter replaced by
// the quadratic that meets it at both ends and in the middle.
void addCubic(OutlineSink& sink, Point p0, Point c1, Point c2, Point p3, int depth) {
    if (depth > 0) {
        Point a = mid(p0, c1), b = mid(c1, c2), c = mid(c2, p3);
        Point ab = mid(a, b), bc = mid(b, c);
        Point m = mid(ab, bc);
        addCubic(sink, p0, a, ab, m, depth - 1);
        addCubic(sink, m, bc, c, p3, depth - 1);
        return;
    }
    Point control = {(3 * (c1.x + c2.x) - p0.x - p3.x) / 4, (3 * (c1.y + c2.y) - p0.y - p3.y) / 4};
    sink.add(control, p3, true);
}

int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    OutlineSink& sink = sinkOf(user);
    addCubic(sink, sink.pen, sink.toShape(c1), sink.toShape(c2), sink.toShape(to), 2);
    return 0;
}

}  // namespace

std::unique_ptr<DeviceFont> DeviceFont::open(FT_LibraryRec_* library, const std::string& path,
                                             int faceIndex) {
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), faceIndex, &face) != 0) return nullptr;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    return std::unique_ptr<DeviceFont>(new DeviceFont(face, path));
}

DeviceFont::DeviceFont(FT_FaceRec_* face, std::string path) : face_(face), path_(std::move(path)) {
    family_ = face->family_name ? face->family_name : "";
    scale_ = kEmSize / face->units_per_EM;
    // The Windows metrics are what the original player's text measured lines with.
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent_ = os2->usWinAscent * scale_;
        descent_ = os2->usWinDescent * scale_;
    } else {
        ascent_ = face->ascender * scale_;
        descent_ = -face->descender * scale_;
    }
}

DeviceFont::~DeviceFont() {
    FT_Done_Face(face_);
}

std::optional<uint32_t> DeviceFont::glyphFor(char32_t character) const {
    std::lock_guard lock(mutex_);
    FT_UInt index = FT_Get_Char_Index(face_, character);
    if (index == 0) return std::nullopt;
    return index;
}

double DeviceFont::advance(uint32_t index) const {
    const Glyph* g = glyph(index);
    return g ? g->advance : 0;
}

const Shape* DeviceFont::glyphShape(uint32_t index) const {
    const Glyph* g = glyph(index);
    return g ? &g->shape : nullptr;
}

const DeviceFont::Glyph* DeviceFont::glyph(uint32_t index) const {
    std::lock_guard lock(mutex_);
    if (auto it = glyphs_.find(index); it != glyphs_.end()) return &it->second;
    if (index >= static_cast<uint32_t>(face_->num_glyphs)) return nullptr;
    if (FT_Load_Glyph(face_, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return nullptr;

    Glyph converted;
    converted.advance = face_->glyph->metrics.horiAdvance * scale_;
    FT_Outline& outline = face_->glyph->outline;
    if (face_->glyph->format == FT_GLYPH_FORMAT_OUTLINE && outline.n_contours > 0) {
        converted.shape.fills.assign(1, FillStyle{});
        // TrueType outlines run clockwise around filled areas (fill on the right on screen),
        // PostScript ones the other way.
        const bool clockwise = FT_Outline_Get_Orientation(&outline) == FT_ORIENTATION_TRUETYPE;
        OutlineSink sink{converted.shape, scale_, clockwise ? 0u : 1u, clockwise ? 1u : 0u, {}};
        FT_Outline_Funcs funcs{};
        funcs.move_to = moveTo;
        funcs.line_to = lineTo;
        funcs.conic_to = conicTo;
        funcs.cubic_to = cubicTo;
        if (FT_Outline_Decompose(&outline, &funcs, &sink) != 0) converted.shape = Shape{};
        converted.shape.bounds = ShapeParser::edgeBounds(converted.shape);
    }
    return &glyphs_.emplace(index, std::move(converted)).first->second;
}

}  // namespace swf
