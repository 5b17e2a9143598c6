#include "audio/RiffWriter.h"

#include <sys/stat.h>

#include <limits>

#include "audio/LittleEndian.h"

namespace audio {

RiffWriter::~RiffWriter() {
    if (file_) std::fclose(file_);
}

bool RiffWriter::Create(const std::string& path) {
    if (file_) std::fclose(file_);
    position_ = 0;
    failed_ = false;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return Fail();
    // Chunk sizes are written back into the file, and a failed file is removed: only a
    // regular file allows either.
    struct stat info {};
    if (fstat(fileno(file_), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file_);
        file_ = nullptr;
        return Fail();
    }
    return true;
}

bool RiffWriter::Fail() {
    failed_ = true;
    return false;
}

bool RiffWriter::CreateChunk(RiffChunk& chunk, uint32_t id, uint32_t formType) {
    RiffChunk created;
    created.id = id;
    created.formType = formType;
    created.dataOffset = position_ + kChunkHeaderSize;
    uint8_t header[kChunkHeaderSize + 4];
    StoreLe32(header, id);
    StoreLe32(header + 4, 0);
    StoreLe32(header + 8, formType);
    if (!Write(header, created.HasFormType() ? sizeof header : kChunkHeaderSize)) return false;
    chunk = created;
    return true;
}

bool RiffWriter::Write(const void* data, size_t size) {
    if (!file_ || failed_) return false;
    if (size > 0 && std::fwrite(data, 1, size, file_) != size) return Fail();
    position_ += size;
    return true;
}

bool RiffWriter::Ascend(RiffChunk& chunk) {
    if (!file_ || failed_ || position_ < chunk.dataOffset) return false;
    const uint64_t size = position_ - chunk.dataOffset;
    if (size > std::numeric_limits<uint32_t>::max()) return Fail();
    chunk.size = static_cast<uint32_t>(size);
    if (chunk.size & 1u) {
        const uint8_t pad = 0;
        if (!Write(&pad, 1)) return false;
    }
    uint8_t sizeField[4];
    StoreLe32(sizeField, chunk.size);
    return WriteAt(chunk.dataOffset - 4, sizeField, sizeof sizeField);
}

bool RiffWriter::WriteAt(uint64_t offset, const void* data, size_t size) {
    if (!file_ || failed_ || offset + size > position_) return false;
    if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0 ||
        std::fwrite(data, 1, size, file_) != size ||
        fseeko(file_, static_cast<off_t>(position_), SEEK_SET) != 0)
        return Fail();
    return true;
}

bool RiffWriter::Close() {
    if (!file_) return false;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return closed && !failed_;
}

}  // namespace audio
