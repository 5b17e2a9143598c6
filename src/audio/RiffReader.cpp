#include "audio/RiffReader.h"

#include <sys/stat.h>

#include "audio/LittleEndian.h"

namespace audio {

RiffReader::~RiffReader() {
    Close();
}

bool RiffReader::Open(const std::string& path) {
    Close();
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) return false;
    struct stat info {};
    if (fstat(fileno(file_), &info) != 0 || !S_ISREG(info.st_mode)) {
        Close();
        return false;
    }
    fileSize_ = static_cast<uint64_t>(info.st_size);
    return true;
}

void RiffReader::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    fileSize_ = 0;
}

bool RiffReader::Descend(RiffChunk& chunk, const RiffChunk* parent, uint32_t id) {
    if (!file_) return false;
    const uint64_t end = parent ? parent->End() : fileSize_;
    const int64_t start = Position();
    if (start < 0) return false;
    uint64_t position = static_cast<uint64_t>(start);
    // Each step moves on by at least a chunk header, so the search ends within the parent.
    while (position + kChunkHeaderSize <= end) {
        uint8_t header[kChunkHeaderSize];
        if (Seek(static_cast<int64_t>(position), SEEK_SET) < 0 ||
            !ReadExactly(header, sizeof header))
            return false;
        RiffChunk found;
        found.id = LoadLe32(header);
        found.size = LoadLe32(header + 4);
        found.dataOffset = position + kChunkHeaderSize;
        if (found.End() > end) return false;
        if (id == 0 || found.id == id) {
            if (found.HasFormType()) {
                uint8_t form[4];
                if (found.size < sizeof form || !ReadExactly(form, sizeof form)) return false;
                found.formType = LoadLe32(form);
            }
            chunk = found;
            return true;
        }
        position = found.PaddedEnd();
    }
    return false;
}

bool RiffReader::Ascend(const RiffChunk& chunk) {
    return Seek(static_cast<int64_t>(chunk.PaddedEnd()), SEEK_SET) >= 0;
}

int64_t RiffReader::Read(void* buffer, size_t size) {
    if (!file_) return -1;
    const size_t count = std::fread(buffer, 1, size, file_);
    if (count < size && std::ferror(file_)) return -1;
    return static_cast<int64_t>(count);
}

bool RiffReader::ReadExactly(void* buffer, size_t size) {
    return Read(buffer, size) == static_cast<int64_t>(size);
}

int64_t RiffReader::Seek(int64_t offset, int origin) {
    if (!file_ || fseeko(file_, static_cast<off_t>(offset), origin) != 0) return -1;
    return Position();
}

int64_t RiffReader::Position() const {
    return file_ ? static_cast<int64_t>(ftello(file_)) : -1;
}

}  // namespace audio
