#pragma once
// Writes a run's frames on threads of its own while the run draws the next ones. The run
// takes a free buffer, draws into it and submits it; writer threads take the submitted
// frames in order. One writer writes them one after the other (an AVI file); several write
// at once (image files, each its own). The buffers are few and fixed, so a run holds the
// same memory however long it is: drawing waits while every buffer is still being written.
// The first failed write (by frame number) stops the pipeline: frames not yet started are
// dropped, and a frame being written by another writer is finished.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "convert/AviWriter.h"
#include "convert/FrameBuffer.h"

namespace convert {

// One output frame: its picture, and the sound that plays during it (in the run's sound
// format; empty without sound).
struct OutputFrame {
    FrameBuffer picture;
    std::vector<uint8_t> sound;
};

class FramePipeline {
  public:
    // Called on a writer thread with the frame's number (0 for the first submitted) and its
    // picture and sound; never for two frames at once when there is one writer.
    using Writer = std::function<AviResult(int64_t frame, const OutputFrame& output)>;
    struct Failure {
        int64_t frame;
        AviResult result;
    };

    // At least one writer and one buffer; more buffers than writers let drawing go ahead.
    FramePipeline(int writers, int buffers, Writer write);
    // Drops what is not written yet, as Abandon does.
    ~FramePipeline();
    FramePipeline(const FramePipeline&) = delete;
    FramePipeline& operator=(const FramePipeline&) = delete;

    // A free buffer to draw the next frame into, waiting while none is free; null once a
    // write has failed or the pipeline has stopped. The buffer keeps its last picture and sound.
    OutputFrame* NextBuffer();
    // Queues the buffer NextBuffer gave as the next frame.
    void Submit();
    // Writes every queued frame, then stops the writers.
    void Finish();
    // Drops the queued frames, lets the writes under way end, then stops the writers.
    void Abandon();

    std::optional<Failure> failure() const;
    int64_t submitted() const;
    // Frames written, counted from the first up to the first not written.
    int64_t writtenInOrder() const;
    // Frames written after one that was not (a failure, or frames dropped by Abandon).
    std::vector<int64_t> WrittenOutOfOrder() const;

  private:
    struct Job {
        int64_t frame;
        size_t buffer;
    };

    void WriterLoop();
    void Stop(bool dropQueued);
    void DropQueued();

    Writer write_;
    std::vector<OutputFrame> buffers_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<size_t> free_;
    std::deque<Job> queue_;
    std::optional<size_t> drawing_;
    std::optional<Failure> failure_;
    bool stopping_ = false;
    int64_t submitted_ = 0;
    int64_t writtenInOrder_ = 0;
    // Written frames past writtenInOrder_: no more than the buffers.
    std::set<int64_t> writtenAhead_;
    std::vector<std::thread> writers_;
};

}  // namespace convert
