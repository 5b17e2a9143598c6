#include "swf/format/TagStream.h"

#include "swf/format/TagCode.h"

namespace swf {

bool TagStream::next(Tag& tag) {
    if (finished_) return false;
    size_t left = data_.size() - pos_;
    if (left < 2) {
        finished_ = true;
        truncated_ = left != 0;
        return false;
    }
    uint16_t header = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    size_t start = pos_;
    size_t headerSize = 2;
    size_t length = header & 0x3F;
    if (length == 0x3F) {
        if (left < 6) {
            finished_ = true;
            truncated_ = true;
            return false;
        }
        length = static_cast<size_t>(data_[pos_ + 2]) |
                 (static_cast<size_t>(data_[pos_ + 3]) << 8) |
                 (static_cast<size_t>(data_[pos_ + 4]) << 16) |
                 (static_cast<size_t>(data_[pos_ + 5]) << 24);
        headerSize = 6;
    }
    size_t available = left - headerSize;
    tag.code = static_cast<uint16_t>(header >> 6);
    tag.offset = start;
    tag.truncated = length > available;
    tag.body = data_.subspan(start + headerSize, tag.truncated ? available : length);
    pos_ = start + headerSize + tag.body.size();
    if (tag.truncated) truncated_ = true;
    if (tag.truncated || tag.code == static_cast<uint16_t>(TagCode::End)) finished_ = true;
    return true;
}

}  // namespace swf
