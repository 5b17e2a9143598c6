#include "convert/run/FramePipeline.h"

#include <algorithm>
#include <new>

#include "resources/ResultCode.h"
#include "resources/StringTable.h"

namespace convert {

FramePipeline::FramePipeline(int writers, int buffers, Writer write)
    : write_(std::move(write)), buffers_(static_cast<size_t>(std::max(1, buffers))) {
    for (size_t i = buffers_.size(); i > 0; --i) free_.push_back(i - 1);
    const int count = std::max(1, writers);
    writers_.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) writers_.emplace_back([this] { WriterLoop(); });
}

FramePipeline::~FramePipeline() {
    Abandon();
}

OutputFrame* FramePipeline::NextBuffer() {
    std::unique_lock lock(mutex_);
    if (drawing_) return &buffers_[*drawing_];  // drawn but not submitted: draw it again
    changed_.wait(lock, [this] { return !free_.empty() || failure_ || stopping_; });
    if (failure_ || stopping_) return nullptr;
    drawing_ = free_.back();
    free_.pop_back();
    return &buffers_[*drawing_];
}

void FramePipeline::Submit() {
    {
        const std::lock_guard lock(mutex_);
        if (!drawing_) return;
        // After a failure nothing more is written; the frame counts as drawn all the same.
        if (failure_ || stopping_)
            free_.push_back(*drawing_);
        else
            queue_.push_back({submitted_, *drawing_});
        ++submitted_;
        drawing_.reset();
    }
    changed_.notify_all();
}

void FramePipeline::Finish() {
    Stop(false);
}

void FramePipeline::Abandon() {
    Stop(true);
}

void FramePipeline::Stop(bool dropQueued) {
    {
        const std::lock_guard lock(mutex_);
        if (dropQueued) DropQueued();
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& writer : writers_)
        if (writer.joinable()) writer.join();
}

void FramePipeline::DropQueued() {
    for (const Job& job : queue_) free_.push_back(job.buffer);
    queue_.clear();
}

void FramePipeline::WriterLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !queue_.empty() || stopping_; });
        if (queue_.empty()) return;
        const Job job = queue_.front();
        queue_.pop_front();
        lock.unlock();
        AviResult result;
        try {
            result = write_(job.frame, buffers_[job.buffer]);
        } catch (const std::bad_alloc&) {
            // Nothing may leave a writer thread; the run ends as out of memory instead.
            result = {kResultOutOfMemory, resources::kStrOutOfMemory};
        }
        lock.lock();
        free_.push_back(job.buffer);
        if (!result.ok()) {
            if (!failure_ || job.frame < failure_->frame) failure_ = Failure{job.frame, result};
            DropQueued();
        } else if (job.frame == writtenInOrder_) {
            ++writtenInOrder_;
            while (!writtenAhead_.empty() && *writtenAhead_.begin() == writtenInOrder_) {
                writtenAhead_.erase(writtenAhead_.begin());
                ++writtenInOrder_;
            }
        } else {
            writtenAhead_.insert(job.frame);
        }
        changed_.notify_all();
    }
}

std::optional<FramePipeline::Failure> FramePipeline::failure() const {
    const std::lock_guard lock(mutex_);
    return failure_;
}

int64_t FramePipeline::submitted() const {
    const std::lock_guard lock(mutex_);
    return submitted_;
}

int64_t FramePipeline::writtenInOrder() const {
    const std::lock_guard lock(mutex_);
    return writtenInOrder_;
}

std::vector<int64_t> FramePipeline::WrittenOutOfOrder() const {
    const std::lock_guard lock(mutex_);
    return {writtenAhead_.begin(), writtenAhead_.end()};
}

}  // namespace convert
