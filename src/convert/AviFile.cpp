#include "convert/AviFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "audio/LittleEndian.h"
#include "resources/ResultCode.h"

namespace convert {
namespace {

constexpr FourCC kRiff = MakeFourCC('R', 'I', 'F', 'F');
constexpr FourCC kList = MakeFourCC('L', 'I', 'S', 'T');
constexpr FourCC kFormAvi = MakeFourCC('A', 'V', 'I', ' ');
constexpr FourCC kFormAviExtension = MakeFourCC('A', 'V', 'I', 'X');
constexpr FourCC kListHeader = MakeFourCC('h', 'd', 'r', 'l');
constexpr FourCC kListStream = MakeFourCC('s', 't', 'r', 'l');
constexpr FourCC kListOpenDml = MakeFourCC('o', 'd', 'm', 'l');
constexpr FourCC kListMovie = MakeFourCC('m', 'o', 'v', 'i');
constexpr FourCC kMainHeader = MakeFourCC('a', 'v', 'i', 'h');
constexpr FourCC kStreamHeader = MakeFourCC('s', 't', 'r', 'h');
constexpr FourCC kStreamFormat = MakeFourCC('s', 't', 'r', 'f');
constexpr FourCC kSuperIndex = MakeFourCC('i', 'n', 'd', 'x');
constexpr FourCC kOpenDmlHeader = MakeFourCC('d', 'm', 'l', 'h');
constexpr FourCC kLegacyIndex = MakeFourCC('i', 'd', 'x', '1');

constexpr uint32_t kChunkHeaderSize = 8;
constexpr uint32_t kRiffHeaderSize = 12;
constexpr uint32_t kOpenDmlHeaderSize = 248;
// Entries reserved in each stream's super index: one is used per RIFF chunk, and a part of
// at most 2000 MB has a handful of them.
constexpr uint32_t kSuperIndexCapacity = 256;
constexpr uint32_t kSuperIndexEntrySize = 16;
constexpr uint32_t kStandardIndexHeaderSize = 24;
constexpr uint32_t kStandardIndexEntrySize = 8;
constexpr uint32_t kLegacyIndexEntrySize = 16;
// Bounds the memory the index entries of one RIFF chunk take when chunks are tiny.
constexpr size_t kMaxSegmentEntries = size_t{1} << 22;
// Each RIFF chunk must stay addressable by the 32-bit offsets of its standard indexes.
constexpr uint64_t kMinSegmentLimit = 4096;
constexpr uint64_t kMaxSegmentLimit = uint64_t{1} << 31;

constexpr uint32_t kAviHasIndex = 0x10;
constexpr uint32_t kAviIsInterleaved = 0x100;
constexpr uint32_t kAviTrustChunkType = 0x800;
constexpr uint32_t kIndexKeyFrame = 0x10;
constexpr uint32_t kStandardIndexDeltaFrame = 0x80000000u;
constexpr uint8_t kIndexOfIndexes = 0;
constexpr uint8_t kIndexOfChunks = 1;
// biCompression of a BITMAPINFOHEADER: 0 means uncompressed rows ("db" chunks).
constexpr size_t kBitmapCompressionOffset = 16;

uint64_t Padded(uint64_t size) {
    return size + (size & 1u);
}

uint32_t Clamp32(uint64_t value) {
    return static_cast<uint32_t>(std::min<uint64_t>(value, std::numeric_limits<uint32_t>::max()));
}

// Little-endian bytes of headers and indexes, built in memory and written at once.
class ByteBuilder {
  public:
    void U8(uint8_t value) { bytes_.push_back(value); }
    void U16(uint16_t value) {
        uint8_t raw[2];
        audio::StoreLe16(raw, value);
        bytes_.insert(bytes_.end(), raw, raw + 2);
    }
    void U32(uint32_t value) {
        uint8_t raw[4];
        audio::StoreLe32(raw, value);
        bytes_.insert(bytes_.end(), raw, raw + 4);
    }
    void U64(uint64_t value) {
        U32(static_cast<uint32_t>(value));
        U32(static_cast<uint32_t>(value >> 32));
    }
    void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    void Bytes(std::span<const uint8_t> data) {
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        if (data.size() & 1u) U8(0);
    }
    // Starts a chunk (a list when `listType` is not 0) whose size EndChunk fills in.
    size_t BeginChunk(FourCC id, FourCC listType = 0) {
        U32(id);
        const size_t sizeField = bytes_.size();
        U32(0);
        if (listType != 0) U32(listType);
        return sizeField;
    }
    void EndChunk(size_t sizeField) {
        const size_t size = bytes_.size() - sizeField - 4;
        audio::StoreLe32(bytes_.data() + sizeField, static_cast<uint32_t>(size));
        if (size & 1u) U8(0);
    }
    std::vector<uint8_t>& bytes() { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

FourCC StreamChunkId(int stream, const char (&suffix)[3]) {
    return MakeFourCC(static_cast<char>('0' + stream / 10), static_cast<char>('0' + stream % 10),
                      suffix[0], suffix[1]);
}

// The index chunk of a stream within one RIFF chunk: "ix00", "ix01", ...
FourCC StandardIndexId(int stream) {
    return MakeFourCC('i', 'x', static_cast<char>('0' + stream / 10),
                      static_cast<char>('0' + stream % 10));
}

bool WriteAll(int fd, iovec* parts, int count, uint64_t offset) {
    while (count > 0) {
        const ssize_t written = pwritev(fd, parts, count, static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) return false;
        offset += static_cast<uint64_t>(written);
        size_t left = static_cast<size_t>(written);
        while (count > 0 && left >= parts->iov_len) {
            left -= parts->iov_len;
            ++parts;
            --count;
        }
        if (count > 0) {
            parts->iov_base = static_cast<uint8_t*>(parts->iov_base) + left;
            parts->iov_len -= left;
        }
    }
    return true;
}

}  // namespace

AviFile::AviFile(uint64_t segmentLimit)
    : segmentLimit_(std::clamp(segmentLimit, kMinSegmentLimit, kMaxSegmentLimit)) {}

AviFile::~AviFile() {
    Close();
}

void AviFile::Reset() {
    fd_ = -1;
    failed_ = false;
    headerWritten_ = false;
    segmentOpen_ = false;
    streams_.clear();
    superIndexes_.clear();
    segmentNumber_ = 0;
    segmentStart_ = 0;
    moviStart_ = 0;
    end_ = 0;
    segmentEntries_.clear();
    firstSegmentVideoFrames_ = 0;
    legacyIndexWritten_ = false;
}

int32_t AviFile::Create(const std::filesystem::path& path) {
    Close();
    // Not truncated on opening: only a regular file may be emptied and written.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return kResultFail;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ftruncate(fd, 0) != 0) {
        close(fd);
        return kResultFail;
    }
    fd_ = fd;
    return kResultOk;
}

int32_t AviFile::CreateStream(const AviStreamHeader& header) {
    const bool knownType = header.type == kStreamTypeVideo || header.type == kStreamTypeAudio;
    if (!IsOpen() || headerWritten_ || !knownType ||
        streams_.size() >= static_cast<size_t>(kMaxStreams))
        return kResultFail;
    Stream stream;
    stream.header = header;
    streams_.push_back(std::move(stream));
    superIndexes_.emplace_back();
    return static_cast<int32_t>(streams_.size() - 1);
}

int32_t AviFile::SetStreamFormat(int stream, std::span<const uint8_t> format) {
    if (!IsOpen() || headerWritten_ || stream < 0 || stream >= static_cast<int>(streams_.size()) ||
        format.empty() || format.size() > std::numeric_limits<uint16_t>::max())
        return kResultFail;
    Stream& target = streams_[stream];
    if (target.header.type == kStreamTypeVideo) {
        if (format.size() < kBitmapCompressionOffset + 4) return kResultFail;
        const bool uncompressed = audio::LoadLe32(format.data() + kBitmapCompressionOffset) == 0;
        target.chunkId = StreamChunkId(stream, uncompressed ? "db" : "dc");
    } else {
        target.chunkId = StreamChunkId(stream, "wb");
    }
    target.format.assign(format.begin(), format.end());
    return kResultOk;
}

uint64_t AviFile::Samples(const Stream& stream, uint64_t chunks, uint64_t bytes) const {
    return stream.header.sampleSize != 0 ? bytes / stream.header.sampleSize : chunks;
}

std::vector<uint8_t> AviFile::BuildHeaderList() const {
    const auto video = std::find_if(streams_.begin(), streams_.end(), [](const Stream& s) {
        return s.header.type == kStreamTypeVideo;
    });
    uint64_t microSecondsPerFrame = 0;
    uint64_t bytesPerSecond = 0;
    uint32_t largestChunk = 0;
    for (const Stream& stream : streams_) {
        largestChunk = std::max(largestChunk, stream.largestChunk);
        if (stream.header.scale == 0 || stream.header.rate == 0) continue;
        const uint64_t sampleBytes =
            stream.header.sampleSize != 0 ? stream.header.sampleSize : stream.largestChunk;
        bytesPerSecond += sampleBytes * stream.header.rate / stream.header.scale;
    }
    if (video != streams_.end() && video->header.rate != 0)
        microSecondsPerFrame =
            (uint64_t{1000000} * video->header.scale + video->header.rate / 2) / video->header.rate;

    ByteBuilder out;
    const size_t headerList = out.BeginChunk(kList, kListHeader);
    const size_t mainHeader = out.BeginChunk(kMainHeader);
    out.U32(Clamp32(microSecondsPerFrame));
    out.U32(Clamp32(bytesPerSecond));
    out.U32(0);  // padding granularity
    out.U32(kAviIsInterleaved | kAviTrustChunkType | (legacyIndexWritten_ ? kAviHasIndex : 0));
    // AVI 1.0 readers see only the first RIFF chunk; "dmlh" counts every frame.
    out.U32(Clamp32(firstSegmentVideoFrames_));
    out.U32(0);  // initial frames
    out.U32(static_cast<uint32_t>(streams_.size()));
    out.U32(largestChunk);
    out.U32(video != streams_.end()
                ? static_cast<uint32_t>(video->header.frameRight - video->header.frameLeft)
                : 0);
    out.U32(video != streams_.end()
                ? static_cast<uint32_t>(video->header.frameBottom - video->header.frameTop)
                : 0);
    out.Zeros(16);
    out.EndChunk(mainHeader);

    for (size_t i = 0; i < streams_.size(); ++i) {
        const Stream& stream = streams_[i];
        const AviStreamHeader& h = stream.header;
        const size_t streamList = out.BeginChunk(kList, kListStream);
        const size_t streamHeader = out.BeginChunk(kStreamHeader);
        out.U32(h.type);
        out.U32(h.handler);
        out.U32(h.flags);
        out.U16(h.priority);
        out.U16(h.language);
        out.U32(h.initialFrames);
        out.U32(h.scale);
        out.U32(h.rate);
        out.U32(h.start);
        out.U32(h.length);
        out.U32(h.suggestedBufferSize);
        out.U32(h.quality);
        out.U32(h.sampleSize);
        out.U16(static_cast<uint16_t>(h.frameLeft));
        out.U16(static_cast<uint16_t>(h.frameTop));
        out.U16(static_cast<uint16_t>(h.frameRight));
        out.U16(static_cast<uint16_t>(h.frameBottom));
        out.EndChunk(streamHeader);

        const size_t format = out.BeginChunk(kStreamFormat);
        out.Bytes(stream.format);
        out.EndChunk(format);

        const std::vector<SuperIndexEntry>& entries = superIndexes_[i];
        const size_t superIndex = out.BeginChunk(kSuperIndex);
        out.U16(4);  // 4-byte words per entry
        out.U8(0);
        out.U8(kIndexOfIndexes);
        out.U32(static_cast<uint32_t>(entries.size()));
        out.U32(stream.chunkId);
        out.Zeros(12);
        for (const SuperIndexEntry& entry : entries) {
            out.U64(entry.offset);
            out.U32(entry.size);
            out.U32(entry.duration);
        }
        out.Zeros(size_t{kSuperIndexEntrySize} * (kSuperIndexCapacity - entries.size()));
        out.EndChunk(superIndex);
        out.EndChunk(streamList);
    }

    const size_t openDmlList = out.BeginChunk(kList, kListOpenDml);
    const size_t openDmlHeader = out.BeginChunk(kOpenDmlHeader);
    out.U32(video != streams_.end() ? Clamp32(video->chunks) : 0);
    out.Zeros(kOpenDmlHeaderSize - 4);
    out.EndChunk(openDmlHeader);
    out.EndChunk(openDmlList);
    out.EndChunk(headerList);
    return std::move(out.bytes());
}

bool AviFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
    iovec part{const_cast<uint8_t*>(bytes.data()), bytes.size()};
    return WriteAll(fd_, &part, 1, offset);
}

bool AviFile::WriteChunkAt(uint64_t offset, FourCC id, std::span<const uint8_t> data) {
    uint8_t header[kChunkHeaderSize];
    audio::StoreLe32(header, id);
    audio::StoreLe32(header + 4, static_cast<uint32_t>(data.size()));
    uint8_t pad = 0;
    iovec parts[3] = {{header, sizeof header},
                      {const_cast<uint8_t*>(data.data()), data.size()},
                      {&pad, data.size() & 1u}};
    return WriteAll(fd_, parts, 3, offset);
}

bool AviFile::PatchSize(uint64_t sizeFieldOffset, uint64_t size) {
    uint8_t field[4];
    audio::StoreLe32(field, Clamp32(size));
    return WriteAt(sizeFieldOffset, field);
}

bool AviFile::StartSegment() {
    const bool first = !headerWritten_;
    ByteBuilder out;
    out.U32(kRiff);
    out.U32(0);
    out.U32(first ? kFormAvi : kFormAviExtension);
    if (first) {
        for (const Stream& stream : streams_)
            if (stream.format.empty()) return false;
        const std::vector<uint8_t> headerList = BuildHeaderList();
        out.bytes().insert(out.bytes().end(), headerList.begin(), headerList.end());
    }
    const size_t movieList = out.bytes().size();
    out.BeginChunk(kList, kListMovie);
    if (!WriteAt(end_, out.bytes())) return false;

    segmentStart_ = end_;
    moviStart_ = end_ + movieList;
    end_ += out.bytes().size();
    if (first)
        headerWritten_ = true;
    else
        ++segmentNumber_;
    segmentOpen_ = true;
    return true;
}

uint64_t AviFile::SegmentIndexSize(int extraStream) const {
    uint64_t size = 0;
    for (size_t i = 0; i < streams_.size(); ++i) {
        const uint64_t chunks =
            streams_[i].segmentChunks + (static_cast<int>(i) == extraStream ? 1 : 0);
        if (chunks > 0)
            size += kChunkHeaderSize + kStandardIndexHeaderSize + chunks * kStandardIndexEntrySize;
    }
    const uint64_t entries = segmentEntries_.size() + (extraStream >= 0 ? 1 : 0);
    if (segmentNumber_ == 0) size += kChunkHeaderSize + entries * kLegacyIndexEntrySize;
    return size;
}

bool AviFile::WriteStandardIndex(int stream, uint64_t& position,
                                 std::vector<SuperIndexEntry>& added) {
    const Stream& s = streams_[stream];
    ByteBuilder out;
    const size_t chunk = out.BeginChunk(StandardIndexId(stream));
    out.U16(2);  // 4-byte words per entry
    out.U8(0);
    out.U8(kIndexOfChunks);
    out.U32(static_cast<uint32_t>(s.segmentChunks));
    out.U32(s.chunkId);
    // Offsets count from the segment's start, which the segment limit keeps within 32 bits.
    out.U64(segmentStart_);
    out.U32(0);
    for (const IndexEntry& entry : segmentEntries_) {
        if (entry.stream != stream) continue;
        out.U32(static_cast<uint32_t>(entry.dataOffset - segmentStart_));
        out.U32(entry.size | (entry.keyFrame ? 0 : kStandardIndexDeltaFrame));
    }
    out.EndChunk(chunk);
    if (!WriteAt(position, out.bytes())) return false;
    added.push_back({position, static_cast<uint32_t>(out.bytes().size()),
                     Clamp32(Samples(s, s.segmentChunks, s.segmentBytes))});
    position += out.bytes().size();
    return true;
}

bool AviFile::WriteLegacyIndex(uint64_t& position) {
    ByteBuilder out;
    const size_t chunk = out.BeginChunk(kLegacyIndex);
    // Offsets of chunk headers, counted from the "movi" list type.
    const uint64_t base = moviStart_ + kChunkHeaderSize;
    for (const IndexEntry& entry : segmentEntries_) {
        out.U32(streams_[entry.stream].chunkId);
        out.U32(entry.keyFrame ? kIndexKeyFrame : 0);
        out.U32(static_cast<uint32_t>(entry.dataOffset - kChunkHeaderSize - base));
        out.U32(entry.size);
    }
    out.EndChunk(chunk);
    if (!WriteAt(position, out.bytes())) return false;
    position += out.bytes().size();
    return true;
}

void AviFile::EndSegment(uint64_t end) {
    if (segmentNumber_ == 0) {
        const auto video = std::find_if(streams_.begin(), streams_.end(), [](const Stream& s) {
            return s.header.type == kStreamTypeVideo;
        });
        firstSegmentVideoFrames_ = video != streams_.end() ? video->segmentChunks : 0;
    }
    for (Stream& stream : streams_) {
        stream.segmentChunks = 0;
        stream.segmentBytes = 0;
    }
    segmentEntries_.clear();
    end_ = end;
    segmentOpen_ = false;
}

bool AviFile::FinishSegment() {
    for (size_t i = 0; i < streams_.size(); ++i)
        if (streams_[i].segmentChunks > 0 && superIndexes_[i].size() >= kSuperIndexCapacity)
            return false;
    uint64_t position = end_;
    std::vector<SuperIndexEntry> added;
    for (size_t i = 0; i < streams_.size(); ++i)
        if (streams_[i].segmentChunks > 0 &&
            !WriteStandardIndex(static_cast<int>(i), position, added))
            return false;
    if (!PatchSize(moviStart_ + 4, position - moviStart_ - kChunkHeaderSize)) return false;
    const bool first = segmentNumber_ == 0;
    if (first && !WriteLegacyIndex(position)) return false;
    if (!PatchSize(segmentStart_ + 4, position - segmentStart_ - kChunkHeaderSize)) return false;

    size_t next = 0;
    for (size_t i = 0; i < streams_.size(); ++i)
        if (streams_[i].segmentChunks > 0) superIndexes_[i].push_back(added[next++]);
    if (first) legacyIndexWritten_ = true;
    EndSegment(position);
    return true;
}

void AviFile::CloseSegmentWithoutIndex() {
    // Best effort after a failure: the sizes are rewritten in place and need no new space.
    PatchSize(moviStart_ + 4, end_ - moviStart_ - kChunkHeaderSize);
    PatchSize(segmentStart_ + 4, end_ - segmentStart_ - kChunkHeaderSize);
    EndSegment(end_);
}

int32_t AviFile::WriteChunk(int stream, std::span<const uint8_t> data, bool keyFrame) {
    if (!IsOpen() || failed_ || stream < 0 || stream >= static_cast<int>(streams_.size()) ||
        data.size() > kMaxChunkSize)
        return kResultFail;
    if (!headerWritten_ && !StartSegment()) {
        failed_ = true;
        return kResultFail;
    }
    const uint64_t chunkSize = kChunkHeaderSize + Padded(data.size());
    const bool full = end_ + chunkSize + SegmentIndexSize(stream) - segmentStart_ > segmentLimit_ ||
                      segmentEntries_.size() >= kMaxSegmentEntries;
    if (full && !segmentEntries_.empty() && (!FinishSegment() || !StartSegment())) {
        failed_ = true;
        return kResultFail;
    }
    Stream& target = streams_[stream];
    if (!WriteChunkAt(end_, target.chunkId, data)) {
        failed_ = true;
        return kResultFail;
    }
    const auto size = static_cast<uint32_t>(data.size());
    segmentEntries_.push_back(
        {end_ + kChunkHeaderSize, size, static_cast<uint8_t>(stream), keyFrame});
    end_ += chunkSize;
    ++target.chunks;
    target.bytes += size;
    target.largestChunk = std::max(target.largestChunk, size);
    ++target.segmentChunks;
    target.segmentBytes += size;
    return kResultOk;
}

bool AviFile::WriteFinalHeader() {
    for (Stream& stream : streams_) {
        stream.header.length = Clamp32(Samples(stream, stream.chunks, stream.bytes));
        stream.header.suggestedBufferSize =
            std::max(stream.header.suggestedBufferSize, stream.largestChunk);
    }
    return WriteAt(kRiffHeaderSize, BuildHeaderList());
}

int32_t AviFile::Finish() {
    if (!failed_) {
        const bool started = headerWritten_ || StartSegment();
        if (started && FinishSegment() && WriteFinalHeader()) return kResultOk;
        failed_ = true;
    }
    // Whatever a failed write left after the last whole chunk goes; that may also free
    // the space the indexes need.
    if (ftruncate(fd_, static_cast<off_t>(end_)) != 0) return kResultFail;
    if (!headerWritten_) return kResultFail;
    if (segmentOpen_ && !FinishSegment()) {
        if (ftruncate(fd_, static_cast<off_t>(end_)) != 0) return kResultFail;
        CloseSegmentWithoutIndex();
    }
    WriteFinalHeader();
    return kResultFail;
}

int32_t AviFile::Close() {
    if (!IsOpen()) return kResultOk;
    int32_t result = Finish();
    if (close(fd_) != 0) result = kResultFail;
    Reset();
    return result;
}

}  // namespace convert
