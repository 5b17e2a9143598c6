#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "convert/Yuv420Conversion.h"

namespace {

using convert::YuvRange;

struct Bgr {
    uint8_t b, g, r;
};

struct YuvCase {
    const char* name;
    int width, height;  // the picture; the planes are rounded up to even sides
    int bytesPerPixel;
    YuvRange range;
    std::vector<Bgr> pixels;  // top-down
    std::vector<uint8_t> y;   // the luma plane, top-down
    std::vector<uint8_t> u;
    std::vector<uint8_t> v;
};

const Bgr kWhite{255, 255, 255}, kBlack{0, 0, 0}, kRed{0, 0, 255}, kBlue{255, 0, 0};

TEST(Yuv420Conversion, GivesBt601PlanesWithTheMeanChromaOfEachBlock) {
    // clang-format off
    const YuvCase cases[] = {
        {"white and black, full range", 2, 2, 3, YuvRange::Full,
         {kWhite, kBlack, kBlack, kWhite}, {255, 0, 0, 255}, {128}, {128}},
        {"white and black, studio range", 2, 2, 3, YuvRange::Studio,
         {kWhite, kBlack, kBlack, kWhite}, {235, 16, 16, 235}, {128}, {128}},
        // 0.299 * 255 = 76.2; -0.1687 * 255 = -43.0; +0.5 * 255 = 127.5 is past 255.
        {"red, full range", 2, 2, 4, YuvRange::Full,
         {kRed, kRed, kRed, kRed}, {76, 76, 76, 76}, {85}, {255}},
        {"red, studio range", 2, 2, 3, YuvRange::Studio,
         {kRed, kRed, kRed, kRed}, {81, 81, 81, 81}, {90}, {240}},
        // Half red and half blue: the chroma of their mean, purple.
        {"a block of two colours", 2, 2, 3, YuvRange::Full,
         {kRed, kBlue, kBlue, kRed}, {76, 29, 29, 76}, {170}, {181}},
        // 3 x 3: the third column and row are repeated into the fourth.
        {"odd sides", 3, 3, 3, YuvRange::Full,
         {kWhite, kWhite, kRed, kWhite, kWhite, kRed, kBlack, kBlack, kBlue},
         {255, 255, 76, 76, 255, 255, 76, 76, 0, 0, 29, 29, 0, 0, 29, 29},
         {128, 85, 128, 255},
         {128, 255, 128, 107}},
    };
    // clang-format on
    for (const YuvCase& c : cases) {
        SCOPED_TRACE(c.name);
        // Stored bottom-up as a frame buffer holds it, with alpha bytes that must not count.
        const int stride = (c.width * c.bytesPerPixel + 3) / 4 * 4;
        std::vector<uint8_t> frame(static_cast<size_t>(stride) * c.height, 0x5A);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const Bgr& p = c.pixels[static_cast<size_t>(y * c.width + x)];
                uint8_t* at =
                    &frame[static_cast<size_t>((c.height - 1 - y) * stride + x * c.bytesPerPixel)];
                at[0] = p.b;
                at[1] = p.g;
                at[2] = p.r;
            }
        const int width = c.width + c.width % 2, height = c.height + c.height % 2;
        // Lines wider than the planes, as encoders' frames have them.
        const std::array<int, 3> lines = {width + 5, width / 2 + 3, width / 2 + 3};
        std::array<std::vector<uint8_t>, 3> planes = {
            std::vector<uint8_t>(static_cast<size_t>(lines[0] * height), 0xEE),
            std::vector<uint8_t>(static_cast<size_t>(lines[1] * height / 2), 0xEE),
            std::vector<uint8_t>(static_cast<size_t>(lines[2] * height / 2), 0xEE)};
        uint8_t* const data[3] = {planes[0].data(), planes[1].data(), planes[2].data()};
        const uint8_t* top = frame.data() + static_cast<ptrdiff_t>(stride) * (c.height - 1);
        convert::ConvertToYuv420(top, -stride, c.width, c.height, c.bytesPerPixel, c.range,
                                 {data, lines.data(), width, height});

        const auto plane = [&](int index, int w, int h) {
            std::vector<uint8_t> rows;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    rows.push_back(planes[static_cast<size_t>(index)][static_cast<size_t>(
                        y * lines[static_cast<size_t>(index)] + x)]);
            return rows;
        };
        EXPECT_EQ(plane(0, width, height), c.y);
        EXPECT_EQ(plane(1, width / 2, height / 2), c.u);
        EXPECT_EQ(plane(2, width / 2, height / 2), c.v);
        // Nothing is written past a plane's width.
        EXPECT_EQ(planes[0][static_cast<size_t>(width)], 0xEE);
        EXPECT_EQ(planes[1][static_cast<size_t>(width / 2)], 0xEE);
    }
}

}  // namespace
