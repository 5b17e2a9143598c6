#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <array>
#include <atomic>

#include "player/FrameRenderer.h"
#include "player/PlayerHost.h"
#include "support/SwfWriter.h"

namespace player {
namespace {

constexpr std::array<swftest::Rgba, 3> kColours = {
    swftest::Rgba{200, 0, 0}, swftest::Rgba{0, 0, 200}, swftest::Rgba{0, 200, 0}};

// Three frames that fill the stage with red, blue and green.
std::vector<uint8_t> ColourMovie(int width, int height) {
    swftest::SwfWriter writer;
    writer.frameSizePixels(width, height).frameRate(12);
    for (size_t frame = 0; frame < kColours.size(); ++frame) {
        swftest::ShapeBuilder shape;
        shape.fill1(shape.addFill(swftest::FillStyle::solid(kColours[frame])))
            .rectangle(0, 0, swftest::px(width), swftest::px(height));
        const auto id = static_cast<uint16_t>(frame + 1);
        writer.defineShape(id, shape);
        if (frame > 0) writer.removeObject2(1);
        writer.place(id, 1).showFrame();
    }
    return writer.bytes();
}

class FrameRendererTest : public testing::Test {
  protected:
    FrameRendererTest() {
        view_.resize(40, 30);
        view_.show();
        QApplication::processEvents();
        const std::vector<uint8_t> movie = ColourMovie(40, 30);
        EXPECT_TRUE(view_.Control().LoadMovieFromMemory(movie));
        renderer_.SetPhaseQuery([this] { return phase_; });
    }

    // The frame index whose colour the buffer's centre holds, or -1.
    int FrameInBuffer() {
        convert::FrameBuffer& buffer = renderer_.Capture().colourBuffer;
        if (buffer.empty()) return -1;
        const uint8_t* pixel =
            buffer.row(buffer.header().height / 2) + 3 * (buffer.header().width / 2);
        for (size_t frame = 0; frame < kColours.size(); ++frame)
            if (pixel[2] == kColours[frame].r && pixel[1] == kColours[frame].g &&
                pixel[0] == kColours[frame].b)
                return static_cast<int>(frame);
        return -1;
    }

    QObject receiver_;
    std::atomic<int32_t> pendingTicks_{0};
    PlayerHost view_{&receiver_, pendingTicks_};
    FrameRenderer renderer_{view_};
    RenderPhase phase_ = RenderPhase::Idle;
};

TEST_F(FrameRendererTest, ThePaintDrawsTheEngineIntoABufferOfTheViewsSize) {
    view_.resize(550, 400);
    renderer_.PaintNow();
    const convert::FrameBuffer& buffer = renderer_.Capture().colourBuffer;
    EXPECT_EQ(buffer.header().width, 550);
    EXPECT_EQ(buffer.header().height, 400);
    EXPECT_EQ(buffer.header().bitCount, 24);
    EXPECT_EQ(buffer.stride(), 1652u);
    EXPECT_EQ(FrameInBuffer(), 0);

    view_.resize(1, 1);
    renderer_.PaintNow();
    EXPECT_EQ(buffer.stride(), 4u);
}

TEST_F(FrameRendererTest, TheBufferIsKeptWhileTheSizeStaysAndRemadeWhenItChanges) {
    renderer_.PaintNow();
    const uint8_t* bits = renderer_.Capture().colourBuffer.pixels().data();
    view_.Control().advanceFrame();
    renderer_.PaintNow();
    EXPECT_EQ(renderer_.Capture().colourBuffer.pixels().data(), bits);
    EXPECT_EQ(FrameInBuffer(), 1);

    view_.resize(64, 48);
    EXPECT_EQ(view_.Control().ViewWidth(), 64);
    renderer_.PaintNow();
    EXPECT_EQ(renderer_.Capture().colourBuffer.header().width, 64);
    EXPECT_EQ(renderer_.Capture().colourBuffer.header().height, 48);
}

TEST_F(FrameRendererTest, DuringARunAPaintShowsTheLastCaptureWithoutDrawing) {
    phase_ = RenderPhase::Run;
    ASSERT_TRUE(renderer_.Capture().Capture(view_.Control()));
    view_.Control().advanceFrame();
    renderer_.PaintNow();
    EXPECT_EQ(FrameInBuffer(), 0);

    phase_ = RenderPhase::Idle;
    renderer_.PaintNow();
    EXPECT_EQ(FrameInBuffer(), 1);
}

TEST_F(FrameRendererTest, AViewPartlyOffTheScreenStillGetsTheWholeFrame) {
    view_.move(-30, -20);
    phase_ = RenderPhase::Run;
    view_.Control().advanceFrame();
    view_.Control().advanceFrame();
    ASSERT_TRUE(renderer_.Capture().Capture(view_.Control()));
    convert::FrameBuffer& buffer = renderer_.Capture().colourBuffer;
    for (int y : {0, 29})
        for (int x : {0, 39}) EXPECT_EQ(buffer.row(y)[3 * x + 1], 200) << x << "," << y;
}

TEST_F(FrameRendererTest, TheViewShowsTheFrameTheRightWayUp) {
    // Red over the top half of a white stage.
    swftest::SwfWriter writer;
    writer.frameSizePixels(40, 30).frameRate(12).setBackgroundColor({255, 255, 255});
    swftest::ShapeBuilder half;
    half.fill1(half.addFill(swftest::FillStyle::solid(kColours[0])))
        .rectangle(0, 0, swftest::px(40), swftest::px(15));
    writer.defineShape(1, half).place(1, 1).showFrame();
    ASSERT_TRUE(view_.Control().LoadMovieFromMemory(writer.bytes()));

    const QImage shown = view_.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(40, 30));
    EXPECT_EQ(shown.pixelColor(20, 2), QColor(200, 0, 0));
    EXPECT_EQ(shown.pixelColor(20, 27), QColor(255, 255, 255));
}

}  // namespace
}  // namespace player
