#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "convert/run/FramePipeline.h"
#include "resources/ResultCode.h"
#include "resources/StringTable.h"

namespace {

using convert::AviResult;
using convert::FramePipeline;

struct PipelineCase {
    int writers;
    int buffers;
    int frames;
    std::optional<int64_t> failAt;
    bool throws = false;  // the failing write runs out of memory
};

// Frames of 8 x 8 pixels whose first byte is the frame number, written (or failed) by
// writers that check the picture and sound they get are those submitted under that number.
TEST(FramePipeline, WritesEachFrameFromItsOwnPictureAndStopsAtTheFirstFailure) {
    const PipelineCase cases[] = {
        {1, 3, 40, std::nullopt},  // an AVI's frames
        {1, 1, 5, std::nullopt},   // a single buffer: drawing waits for every write
        {3, 5, 60, std::nullopt},  // image files
        {1, 3, 40, 5},
        {1, 3, 40, 0},
        {3, 5, 60, 17},
        {2, 2, 30, 29},  // the very last frame
        {2, 3, 30, 11, true},
    };
    for (const PipelineCase& test : cases) {
        SCOPED_TRACE(testing::Message()
                     << test.writers << " writers, fail at " << test.failAt.value_or(-1));
        std::mutex mutex;
        std::vector<int64_t> attempted;
        std::vector<int64_t> mismatched;
        FramePipeline pipeline(
            test.writers, test.buffers, [&](int64_t frame, const convert::OutputFrame& output) {
                const std::lock_guard lock(mutex);
                attempted.push_back(frame);
                // The picture and the sound submitted under that number.
                if (output.picture.pixels()[0] != static_cast<uint8_t>(frame) ||
                    output.sound != std::vector<uint8_t>(2, static_cast<uint8_t>(frame)))
                    mismatched.push_back(frame);
                if (test.throws && test.failAt == frame) throw std::bad_alloc();
                return test.failAt == frame ? AviResult{kResultFail, 42} : AviResult{};
            });
        int drawn = 0;
        for (; drawn < test.frames; ++drawn) {
            convert::OutputFrame* buffer = pipeline.NextBuffer();
            if (!buffer) break;
            ASSERT_TRUE(buffer->picture.Create(8, 8, 24));
            buffer->picture.bits()[0] = static_cast<uint8_t>(drawn);
            buffer->sound.assign(2, static_cast<uint8_t>(drawn));
            pipeline.Submit();
        }
        pipeline.Finish();
        EXPECT_TRUE(mismatched.empty());
        EXPECT_EQ(pipeline.submitted(), drawn);

        const std::vector<int64_t> ahead = pipeline.WrittenOutOfOrder();
        if (!test.failAt) {
            EXPECT_EQ(drawn, test.frames);
            EXPECT_EQ(pipeline.writtenInOrder(), test.frames);
            EXPECT_TRUE(ahead.empty());
            EXPECT_FALSE(pipeline.failure());
            std::vector<int64_t> all(static_cast<size_t>(test.frames));
            for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int64_t>(i);
            // One writer writes in order; several write every frame once, in any order.
            if (test.writers > 1) std::sort(attempted.begin(), attempted.end());
            EXPECT_EQ(attempted, all);
            continue;
        }
        const int64_t failAt = *test.failAt;
        ASSERT_TRUE(pipeline.failure());
        EXPECT_EQ(pipeline.failure()->frame, failAt);
        EXPECT_EQ(pipeline.failure()->result.messageId,
                  test.throws ? resources::kStrOutOfMemory : 42);
        EXPECT_EQ(pipeline.writtenInOrder(), failAt);
        // Every frame before the failure was written; those after it only while it was.
        for (int64_t frame = 0; frame <= failAt; ++frame)
            EXPECT_EQ(std::count(attempted.begin(), attempted.end(), frame), 1) << frame;
        for (const int64_t frame : ahead) EXPECT_GT(frame, failAt);
        EXPECT_EQ(attempted.size(), static_cast<size_t>(failAt) + 1 + ahead.size());
        if (test.writers == 1) {
            EXPECT_TRUE(ahead.empty());
            EXPECT_EQ(attempted.back(), failAt);
        }
        // Once the failure is known no buffer is handed out.
        EXPECT_EQ(pipeline.NextBuffer(), nullptr);
    }
}

}  // namespace
