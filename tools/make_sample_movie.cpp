// make-sample-movie OUT.swf: writes the sample movie bundled with Kinetrope Pro, a small
// countryside title card: a sky gradient, a glowing sun that pulses, a drifting cloud, hills,
// a brick cottage (bitmap fill), a windmill whose sails turn on their own timeline, a ball
// bouncing across the meadow with its shadow, and a dotted "KINETROPE PRO" title that fades
// and pops in. 550x400 pixels, 30 frames a second, 120 frames, looping. Each landing of the
// ball sounds a short "boing".
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <numbers>
#include <string_view>
#include <vector>

#include "support/SwfWriter.h"

namespace {

using namespace swftest;

constexpr int kFrames = 120;
constexpr double kFramesPerSecond = 30;

enum CharacterId : uint16_t {
    kSky = 1,
    kSun,
    kCloud,
    kBackHills,
    kFrontMeadow,
    kBrickBitmap,
    kCottage,
    kWindmillTower,
    kSails,
    kSailsSprite,
    kBall,
    kShadow,
    kTitleFont,
    kTitleBanner,
    kTitleText,
    kTitleSprite,
    kBoing,
};

enum Depth : uint16_t {
    kSkyDepth = 1,
    kSunDepth,
    kCloudDepth,
    kBackHillsDepth,
    kTowerDepth,
    kSailsDepth,
    kMeadowDepth,
    kCottageDepth,
    kShadowDepth,
    kBallDepth,
    kTitleDepth,
};

// --- scenery ----------------------------------------------------------------------------------

ShapeBuilder sky() {
    ShapeBuilder shape;
    const int gradient = shape.addFill(FillStyle::linearGradient(
        Matrix::gradientBox(0, 0, px(550), px(320), 90),
        {{0, {58, 112, 204}}, {170, {135, 190, 240}}, {255, {214, 236, 250}}}));
    shape.fill1(gradient).rectangle(0, 0, px(550), px(320));
    return shape;
}

// A radial glow that fades to transparent, centred on the origin so that it scales in place.
ShapeBuilder sun() {
    ShapeBuilder shape;
    const int glow = shape.addFill(FillStyle::radialGradient(
        Matrix::gradientBox(-px(60), -px(60), px(120), px(120)), {{0, {255, 255, 220, 255}},
                                                                  {110, {255, 226, 90, 255}},
                                                                  {150, {255, 190, 60, 255}},
                                                                  {160, {255, 190, 60, 110}},
                                                                  {255, {255, 170, 60, 0}}}));
    shape.fill1(glow).ellipse(0, 0, px(60), px(60));
    return shape;
}

// A scalloped outline: puffs along the top, a flat base.
ShapeBuilder cloud() {
    ShapeBuilder shape;
    const int white = shape.addFill(FillStyle::solid({255, 255, 255, 235}));
    const int rim = shape.addLine(LineStyle::solid(px(1.5), {200, 215, 235}));
    shape.fill1(white).line(rim).moveTo(0, px(30));
    shape.curveTo(-px(18), px(28), -px(12), px(12));
    shape.curveTo(-px(8), -px(6), px(14), -px(2));
    shape.curveTo(px(22), -px(26), px(48), -px(16));
    shape.curveTo(px(66), -px(34), px(88), -px(14));
    shape.curveTo(px(112), -px(14), px(110), px(10));
    shape.curveTo(px(126), px(22), px(108), px(30));
    shape.lineTo(0, px(30));
    return shape;
}

ShapeBuilder backHills() {
    ShapeBuilder shape;
    const int green = shape.addFill(FillStyle::solid({126, 186, 96}));
    const int edge = shape.addLine(LineStyle::solid(px(2), {88, 140, 70}));
    shape.fill1(green).line(edge).moveTo(0, px(280));
    shape.curveTo(px(70), px(190), px(140), px(235));
    shape.curveTo(px(230), px(300), px(330), px(262));
    shape.curveTo(px(440), px(215), px(550), px(268));
    shape.line(0).lineTo(px(550), px(400)).lineTo(0, px(400)).lineTo(0, px(280));
    return shape;
}

ShapeBuilder frontMeadow() {
    ShapeBuilder shape;
    const int grass = shape.addFill(
        FillStyle::linearGradient(Matrix::gradientBox(0, px(290), px(550), px(110), 90),
                                  {{0, {104, 176, 72}}, {255, {60, 128, 52}}}));
    const int edge = shape.addLine(LineStyle::solid(px(2), {50, 110, 45}));
    shape.fill1(grass).line(edge).moveTo(0, px(330));
    shape.curveTo(px(275), px(270), px(550), px(330));
    shape.line(0).lineTo(px(550), px(400)).lineTo(0, px(400)).lineTo(0, px(330));
    return shape;
}

// 64x64 pixels of brickwork: 32x16 bricks in half-offset rows, light mortar between them.
std::vector<Rgba> brickPixels() {
    constexpr int kSize = 64;
    std::vector<Rgba> pixels;
    pixels.reserve(kSize * kSize);
    for (int y = 0; y < kSize; ++y) {
        const int row = y / 16;
        for (int x = 0; x < kSize; ++x) {
            const int shifted = x + (row % 2) * 16;
            const bool mortar = y % 16 < 2 || shifted % 32 < 2;
            if (mortar) {
                pixels.push_back({222, 214, 200});
                continue;
            }
            // Each brick gets its own shade, with a little grain.
            const int brick = (shifted / 32) * 7 + row * 3;
            const int shade = (brick * 37) % 40 + ((x * 13 + y * 7) % 9);
            pixels.push_back({static_cast<uint8_t>(170 + shade / 2),
                              static_cast<uint8_t>(72 + shade / 3),
                              static_cast<uint8_t>(52 + shade / 4)});
        }
    }
    return pixels;
}

ShapeBuilder cottage() {
    ShapeBuilder shape;
    const int32_t left = px(330), top = px(262), width = px(84), height = px(58);
    // Bitmap pixels at half size: bricks of 16x8 screen pixels.
    const int bricks =
        shape.addFill(FillStyle::bitmap(kBrickBitmap, Matrix::scaling(10, 10, left, top)));
    const int roofTiles = shape.addFill(FillStyle::solid({178, 52, 46}));
    const int wood = shape.addFill(FillStyle::solid({112, 74, 44}));
    const int glass = shape.addFill(
        FillStyle::linearGradient(Matrix::gradientBox(px(342), px(276), px(20), px(20), 45),
                                  {{0, {220, 240, 255}}, {255, {120, 170, 220}}}));
    const int outline = shape.addLine(LineStyle::solid(px(1.5), {60, 40, 30}));

    shape.line(outline);
    shape.fill1(bricks).rectangle(left, top, width, height);
    // Roof with gently curved slopes and a chimney.
    shape.fill1(roofTiles).moveTo(px(320), top);
    shape.curveTo(px(344), px(244), px(372), px(222));
    shape.curveTo(px(400), px(244), px(424), top);
    shape.lineTo(px(320), top);
    shape.fill1(roofTiles).rectangle(px(392), px(226), px(12), px(20));
    shape.fill1(wood).roundedRectangle(px(378), px(288), px(20), px(32), px(6));
    shape.fill1(glass).rectangle(px(342), px(276), px(20), px(20));
    shape.fill1(0).moveTo(px(352), px(276)).lineTo(px(352), px(296));
    shape.moveTo(px(342), px(286)).lineTo(px(362), px(286));
    return shape;
}

ShapeBuilder windmillTower() {
    ShapeBuilder shape;
    const int plaster =
        shape.addFill(FillStyle::linearGradient(Matrix::gradientBox(px(112), 0, px(36), px(100)),
                                                {{0, {250, 246, 236}}, {255, {200, 192, 180}}}));
    const int door = shape.addFill(FillStyle::solid({96, 64, 40}));
    const int outline = shape.addLine(LineStyle::solid(px(1.5), {90, 80, 70}));
    shape.fill1(plaster).line(outline).moveTo(px(122), px(150));
    shape.lineTo(px(138), px(150))
        .lineTo(px(148), px(240))
        .lineTo(px(112), px(240))
        .lineTo(px(122), px(150));
    shape.fill1(door).roundedRectangle(px(124), px(218), px(12), px(22), px(5));
    return shape;
}

// Four sails around the origin, the hub on top.
ShapeBuilder sails() {
    ShapeBuilder shape;
    const int cloth = shape.addFill(FillStyle::solid({246, 236, 214}));
    const int hub = shape.addFill(FillStyle::solid({80, 60, 50}));
    const int frame =
        shape.addLine(LineStyle::solid(px(1.2), {110, 80, 60}).withJoin(JoinStyle::Bevel));
    const std::array<std::array<double, 2>, 4> sail{{{6, -3}, {58, -4}, {56, -16}, {14, -12}}};
    for (int quarter = 0; quarter < 4; ++quarter) {
        const double angle = quarter * std::numbers::pi / 2;
        auto turned = [&](const std::array<double, 2>& point, int axis) {
            const double x = point[0] * std::cos(angle) - point[1] * std::sin(angle);
            const double y = point[0] * std::sin(angle) + point[1] * std::cos(angle);
            return px(axis == 0 ? x : y);
        };
        shape.fill1(cloth).line(frame).moveTo(turned(sail[0], 0), turned(sail[0], 1));
        for (int corner = 1; corner <= 4; ++corner) {
            const auto& point = sail[corner % 4];
            shape.lineTo(turned(point, 0), turned(point, 1));
        }
    }
    shape.fill1(hub).line(frame).ellipse(0, 0, px(6), px(6));
    return shape;
}

// The sails turn a quarter round (which looks the same as the start) in 30 frames.
SwfWriter sailsTimeline() {
    constexpr int kSpriteFrames = 30;
    SwfWriter timeline;
    for (int frame = 0; frame < kSpriteFrames; ++frame) {
        const Matrix turn = Matrix::rotation(90.0 * frame / kSpriteFrames);
        if (frame == 0)
            timeline.place(kSails, 1, turn);
        else
            timeline.move(1, turn);
        timeline.showFrame();
    }
    return timeline;
}

// A ball lit from the upper left, centred on the origin.
ShapeBuilder ball() {
    ShapeBuilder shape;
    const int shading = shape.addFill(FillStyle::radialGradient(
        Matrix::gradientBox(-px(30), -px(30), px(48), px(48)),
        {{0, {255, 250, 240}}, {60, {255, 110, 90}}, {200, {200, 30, 40}}, {255, {120, 10, 30}}}));
    const int rim = shape.addLine(LineStyle::solid(px(1), {100, 10, 20}));
    shape.fill1(shading).line(rim).ellipse(0, 0, px(18), px(18));
    return shape;
}

ShapeBuilder shadow() {
    ShapeBuilder shape;
    shape.fill1(shape.addFill(FillStyle::solid({20, 50, 20, 90}))).ellipse(0, 0, px(18), px(5));
    return shape;
}

// --- title ------------------------------------------------------------------------------------

// Letters of the title on a 5x7 dot matrix, row by row from the top.
struct DotLetter {
    char code;
    std::array<std::string_view, 7> rows;
};

constexpr std::array<DotLetter, 8> kLetters{{
    {'K', {"X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"}},
    {'I', {".XXX.", "..X..", "..X..", "..X..", "..X..", "..X..", ".XXX."}},
    {'N', {"X...X", "X...X", "XX..X", "X.X.X", "X..XX", "X...X", "X...X"}},
    {'E', {"XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"}},
    {'T', {"XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."}},
    {'R', {"XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"}},
    {'O', {".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."}},
    {'P', {"XXXX.", "X...X", "X...X", "XXXX.", "X....", "X....", "X...."}},
}};

// Em square of 1024 units: cells of 140, dots of radius 60, baseline at the bottom row.
constexpr int32_t kCell = 140;
constexpr int32_t kDotRadius = 60;
constexpr int16_t kAdvance = 6 * kCell;

FontBuilder titleFont() {
    FontBuilder font;
    font.name("Kinetrope Dots").bold().layout(1000, 60, 0);
    for (const DotLetter& letter : kLetters) {
        ShapeBuilder glyph;
        for (int row = 0; row < 7; ++row) {
            for (int column = 0; column < 5; ++column) {
                if (letter.rows[row][column] == 'X')
                    glyph.fill1(1).ellipse(column * kCell + kCell / 2,
                                           (row - 7) * kCell + kCell / 2, kDotRadius, kDotRadius);
            }
        }
        font.addGlyph(static_cast<uint16_t>(letter.code), glyph, kAdvance);
    }
    font.addGlyph(' ', ShapeBuilder(), kAdvance);
    return font;
}

uint16_t glyphIndex(char code) {
    for (size_t i = 0; i < kLetters.size(); ++i) {
        if (kLetters[i].code == code) return static_cast<uint16_t>(i);
    }
    return static_cast<uint16_t>(kLetters.size());  // the space after the letters
}

constexpr std::string_view kTitle = "KINETROPE PRO";
constexpr int32_t kTitleHeight = 600;  // twips: 30 pixels to the em

TextBuilder titleText() {
    const int32_t advance = kAdvance * kTitleHeight / 1024;
    const int32_t width =
        advance * static_cast<int32_t>(kTitle.size()) - kCell * kTitleHeight / 1024;
    TextRecord record{.fontId = kTitleFont,
                      .height = static_cast<uint16_t>(kTitleHeight),
                      .color = Rgba{255, 248, 225},
                      .x = static_cast<int16_t>(-width / 2),
                      .y = static_cast<int16_t>(px(12))};
    for (char code : kTitle) record.glyphs.push_back({glyphIndex(code), advance});
    TextBuilder text;
    text.setBounds(Rect{-width / 2, width / 2, px(12) - kTitleHeight, px(12)})
        .add(std::move(record));
    return text;
}

ShapeBuilder titleBanner() {
    ShapeBuilder shape;
    const int warm = shape.addFill(FillStyle::linearGradient(
        Matrix::gradientBox(-px(185), -px(34), px(370), px(68)),
        {{0, {236, 96, 60}}, {128, {244, 150, 60}}, {255, {222, 70, 110}}}, SpreadMode::Pad));
    const int border = shape.addLine(LineStyle::solid(px(3), {120, 40, 40})
                                         .withJoin(JoinStyle::Round)
                                         .withCaps(CapStyle::Round));
    shape.fill1(warm).line(border).roundedRectangle(-px(185), -px(34), px(370), px(68), px(20));
    return shape;
}

SwfWriter titleTimeline() {
    SwfWriter timeline;
    timeline.place(kTitleBanner, 1).place(kTitleText, 2).showFrame();
    return timeline;
}

// --- sound ------------------------------------------------------------------------------------

// A quarter second at 22 kHz, 16-bit mono: a tone gliding from 420 down to 180 Hz as it dies
// away, as the ball lands.
std::vector<int16_t> boing() {
    constexpr double kRate = 22050;
    std::vector<int16_t> samples;
    double phase = 0;
    for (int i = 0; i < kRate / 4; ++i) {
        const double t = i / kRate;
        phase += 2 * std::numbers::pi * (180 + 240 * std::exp(-t * 14)) / kRate;
        const double attack = std::min(1.0, t * 400);
        samples.push_back(
            static_cast<int16_t>(14000 * attack * std::exp(-t * 9) * std::sin(phase)));
    }
    return samples;
}

// --- animation --------------------------------------------------------------------------------

double easeOutBack(double t) {
    constexpr double kOvershoot = 1.7;
    const double u = t - 1;
    return 1 + (kOvershoot + 1) * u * u * u + kOvershoot * u * u;
}

void placeFrame(SwfWriter& movie, int frame) {
    const bool first = frame == 0;
    auto show = [&](uint16_t character, uint16_t depth, const Matrix& matrix,
                    std::optional<ColorTransform> colorTransform = std::nullopt) {
        movie.placeObject2({.depth = depth,
                            .move = !first,
                            .character = first ? std::optional<uint16_t>(character) : std::nullopt,
                            .matrix = matrix,
                            .colorTransform = colorTransform});
    };
    const double t = static_cast<double>(frame) / kFrames;

    if (first) {
        movie.place(kSky, kSkyDepth)
            .place(kBackHills, kBackHillsDepth)
            .place(kWindmillTower, kTowerDepth);
        movie.place(kSailsSprite, kSailsDepth, Matrix::translation(px(130), px(150)));
        movie.place(kFrontMeadow, kMeadowDepth).place(kCottage, kCottageDepth);
    }

    // The sun breathes three times per loop.
    const double pulse = 1 + 0.07 * std::sin(2 * std::numbers::pi * 3 * t);
    show(kSun, kSunDepth, Matrix::scaling(pulse, pulse, px(492), px(88)));

    // The cloud drifts leftwards and comes round again off stage, once per loop.
    double cloudX = 400 - 700 * t;
    if (cloudX < -150) cloudX += 700;
    show(kCloud, kCloudDepth, Matrix::translation(px(cloudX), px(118)));

    // Four bounces across the meadow; the ball squashes as it lands.
    constexpr double kGround = 372;
    constexpr double kBounceHeight = 120;
    const double x = -25 + 600 * t;
    const double lift = std::abs(std::sin(std::numbers::pi * 4 * t));
    const double squash = lift < 0.15 ? 0.82 + 1.2 * lift : 1.0;
    const double centreY = kGround - 18 * squash - kBounceHeight * lift;
    show(kBall, kBallDepth, Matrix::scaling(1 / std::sqrt(squash), squash, px(x), px(centreY)));
    const double shadowScale = 1.1 - 0.55 * lift;
    show(kShadow, kShadowDepth, Matrix::scaling(shadowScale, shadowScale, px(x), px(kGround)),
         ColorTransform::alpha(1.0 - 0.6 * lift));

    // The title fades in and pops to size over the first second, then rests.
    constexpr int kIntroFrames = 30;
    if (frame <= kIntroFrames) {
        const double intro = static_cast<double>(frame) / kIntroFrames;
        const double scale = 0.4 + 0.6 * easeOutBack(intro);
        show(kTitleSprite, kTitleDepth, Matrix::scaling(scale, scale, px(275), px(52)),
             ColorTransform::alpha(intro));
    }
}

SwfWriter sampleMovie() {
    SwfWriter movie;
    movie.version(8).frameSizePixels(550, 400).frameRate(kFramesPerSecond).compressed();
    movie.setBackgroundColor({135, 190, 240});

    movie.defineShape(kSky, sky())
        .defineShape(kSun, sun())
        .defineShape(kCloud, cloud())
        .defineShape(kBackHills, backHills())
        .defineShape(kFrontMeadow, frontMeadow());
    const auto bricks = brickPixels();
    movie.defineBitsLossless(kBrickBitmap, 64, 64, bricks, 1).defineShape(kCottage, cottage());
    movie.defineShape(kWindmillTower, windmillTower())
        .defineShape(kSails, sails())
        .defineSprite(kSailsSprite, sailsTimeline());
    movie.defineShape(kBall, ball()).defineShape(kShadow, shadow());
    const SoundFormat mono22{SoundCodec::LittleEndianPcm, SoundRate::Hz22050, true, false};
    movie.defineSound(kBoing, mono22, SoundFormat::littleEndian(boing()));
    movie.defineFont2(kTitleFont, titleFont())
        .defineShape(kTitleBanner, titleBanner())
        .defineText(kTitleText, titleText())
        .defineSprite(kTitleSprite, titleTimeline());

    for (int frame = 0; frame < kFrames; ++frame) {
        if (frame == 0) movie.frameLabel("start");
        placeFrame(movie, frame);
        // The ball touches the meadow four times a loop.
        if (frame % (kFrames / 4) == 0) movie.startSound(kBoing);
        movie.showFrame();
    }
    return movie;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample-movie OUT.swf\n");
        return 2;
    }
    try {
        sampleMovie().writeFile(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-sample-movie: %s\n", error.what());
        return 1;
    }
    return 0;
}
