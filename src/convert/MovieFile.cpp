#include "convert/MovieFile.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "audio/LittleEndian.h"
#include "convert/OutputFile.h"
#include "swf/parse/SwfMovie.h"

namespace convert {
namespace {

using audio::LoadLe16;
using audio::LoadLe32;

constexpr size_t kFileHeaderBytes = 8;  // signature, version, file length
constexpr double kPixelsPerTwip = 0.05;
constexpr double kFrameRateUnit = 0.00390625;  // 8.8 fixed point

// The start of a compressed movie that is inflated to read its header.
constexpr size_t kCompressedHeaderInput = 512;
// DecompressSwf's buffers: input is read in pieces; the output buffer grows while one
// piece inflates to more than it holds.
constexpr size_t kInflateInputBytes = 0x10000;
constexpr size_t kInflateOutputBytes = 0x80000;
constexpr size_t kInflateOutputGrowth = 0x20000;

constexpr uint16_t kTagEnd = 0;
constexpr uint16_t kTagShowFrame = 1;
constexpr uint16_t kTagDefineSprite = 39;
constexpr uint16_t kShortLengthMask = 0x3F;
constexpr uint16_t kLongLengthMark = 0x3F;
// Sound tags keep their length bits under this code (512), which no player knows.
constexpr uint16_t kDisabledTagBits = 0x8000;
// Sprites inside sprites are not valid movies; this bounds the walk through hostile ones.
constexpr int kMaxSpriteNesting = 16;

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

FileHandle OpenForReading(const std::string& path) {
    return FileHandle(std::fopen(path.c_str(), "rb"));
}

bool ReadExactly(FILE* file, void* buffer, size_t size) {
    return std::fread(buffer, 1, size, file) == size;
}

bool HasSignature(const uint8_t* bytes, char first) {
    return bytes[0] == first && bytes[1] == 'W' && bytes[2] == 'S';
}

// Bit fields packed most significant bit first, never read past the end of the bytes.
class BitFieldReader {
  public:
    BitFieldReader(std::span<const uint8_t> bytes, size_t startByte)
        : bytes_(bytes), bit_(startByte * 8) {}

    bool Read(unsigned count, uint32_t& value) {
        if (bit_ + count > bytes_.size() * 8) return false;
        value = 0;
        for (unsigned i = 0; i < count; ++i, ++bit_)
            value = value << 1 | ((bytes_[bit_ / 8] >> (7 - bit_ % 8)) & 1u);
        return true;
    }
    // The first byte after the fields read so far.
    size_t NextByte() const { return (bit_ + 7) / 8; }

  private:
    std::span<const uint8_t> bytes_;
    size_t bit_;
};

// A signed field of `bits` bits.
int32_t SignExtend(uint32_t value, unsigned bits) {
    if (bits == 0) return 0;
    const uint32_t sign = 1u << (bits - 1);
    return static_cast<int32_t>((value ^ sign) - sign);
}

int32_t RoundPixels(double pixels) {
    return static_cast<int32_t>(pixels + 0.5);
}

// Inflates the start of a compressed movie into the header fields after the file header;
// returns how many bytes came out, or -1.
int64_t InflateHeader(FILE* file, uint8_t* header) {
    uint8_t input[kCompressedHeaderInput];
    const size_t inputSize = std::fread(input, 1, sizeof input, file);
    if (inputSize == 0) return -1;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return -1;
    stream.next_in = input;
    stream.avail_in = static_cast<uInt>(inputSize);
    stream.next_out = header + kFileHeaderBytes;
    stream.avail_out = static_cast<uInt>(kSwfHeaderBytes - kFileHeaderBytes);
    const int result = inflate(&stream, Z_SYNC_FLUSH);
    inflateEnd(&stream);
    return result < 0 ? -1 : static_cast<int64_t>(stream.total_out);
}

bool IsSoundTag(uint16_t code) {
    return (code >= 14 && code <= 19) || code == 45;
}

// The main timeline's tags as the file holds them: where its last complete frame ends,
// counted from the first tag, and whether a tag runs past the end of the file.
struct TimelineScan {
    uint64_t lastFrameEnd = 0;
    int32_t frames = 0;
    bool cutShort = false;
};

// Walks the tag headers from the file's position (the first tag) to the End tag or the end
// of the file, seeking over the tags' bodies; the position is left anywhere.
bool ScanTimeline(FILE* file, uint64_t fileSize, TimelineScan& scan) {
    const off_t first = ftello(file);
    if (first < 0) return false;
    uint64_t position = static_cast<uint64_t>(first);
    const uint64_t start = position;
    for (;;) {
        if (position == fileSize) return true;
        uint8_t header[6];
        const uint64_t left = fileSize - position;
        if (left < 2 || !ReadExactly(file, header, 2)) break;
        const uint16_t code = LoadLe16(header) >> 6;
        uint64_t length = LoadLe16(header) & kShortLengthMask;
        uint64_t headerBytes = 2;
        if (code == kTagEnd) return true;
        if (length == kLongLengthMark) {
            if (left < 6 || !ReadExactly(file, header + 2, 4)) break;
            length = LoadLe32(header + 2);
            headerBytes = 6;
        }
        if (length > left - headerBytes) break;
        position += headerBytes + length;
        if (fseeko(file, static_cast<off_t>(position), SEEK_SET) != 0) return false;
        if (code == kTagShowFrame) {
            ++scan.frames;
            scan.lastFrameEnd = position - start;
        }
    }
    scan.cutShort = true;
    return true;
}

// Copies the tags of an uncompressed movie, disabling sound tags. A sprite's tags are
// walked the same way, inside the sprite's own length.
class SilentCopier {
  public:
    SilentCopier(FILE* source, OutputFile& copy) : source_(source), copy_(copy) {}

    // Copies tags until the End tag, the end of the file (top level, `remaining` null) or
    // the end of the enclosing sprite (`remaining` counts its bytes left).
    bool CopyTags(uint64_t* remaining, int depth) {
        for (;;) {
            uint8_t header[2];
            if (remaining) {
                if (*remaining == 0) return true;
                if (!Read(header, sizeof header, remaining)) return false;
            } else {
                const size_t got = std::fread(header, 1, sizeof header, source_);
                if (got == 0 && std::feof(source_)) return true;
                if (got != sizeof header) return false;
            }
            const uint16_t tag = LoadLe16(header);
            const uint16_t code = tag >> 6;
            const uint16_t shortLength = tag & kShortLengthMask;
            const uint16_t written = IsSoundTag(code) ? (shortLength | kDisabledTagBits) : tag;
            const uint8_t writtenBytes[2] = {static_cast<uint8_t>(written),
                                             static_cast<uint8_t>(written >> 8)};
            if (!copy_.Write(writtenBytes, sizeof writtenBytes)) return false;
            if (code == kTagEnd) return true;

            uint64_t length = shortLength;
            if (shortLength == kLongLengthMark) {
                uint8_t longLength[4];
                if (!Read(longLength, sizeof longLength, remaining) ||
                    !copy_.Write(longLength, sizeof longLength))
                    return false;
                length = LoadLe32(longLength);
            }
            if (remaining && length > *remaining) return false;
            if (code == kTagDefineSprite) {
                if (!CopySprite(length, depth + 1)) return false;
            } else if (!Copy(length, nullptr)) {
                return false;
            }
            if (remaining) *remaining -= length;
        }
    }

  private:
    bool CopySprite(uint64_t length, int depth) {
        constexpr uint64_t kSpriteHead = 4;  // sprite id, frame count
        if (depth > kMaxSpriteNesting || length < kSpriteHead) return false;
        uint64_t left = length;
        // Whatever follows the sprite's End tag inside its length is kept as it is.
        return Copy(kSpriteHead, &left) && CopyTags(&left, depth) && Copy(left, &left);
    }

    bool Read(void* buffer, size_t size, uint64_t* remaining) {
        if (remaining && *remaining < size) return false;
        if (!ReadExactly(source_, buffer, size)) return false;
        if (remaining) *remaining -= size;
        return true;
    }

    bool Copy(uint64_t size, uint64_t* remaining) {
        while (size > 0) {
            const size_t piece = static_cast<size_t>(std::min<uint64_t>(size, sizeof buffer_));
            if (!Read(buffer_, piece, remaining) || !copy_.Write(buffer_, piece)) return false;
            size -= piece;
        }
        return true;
    }

    FILE* source_;
    OutputFile& copy_;
    uint8_t buffer_[0x10000];
};

}  // namespace

int ParseSwfHeader(std::span<const uint8_t> bytes, SwfHeaderFields& fields) {
    if (bytes.size() < kFileHeaderBytes || !HasSignature(bytes.data(), 'F')) return -1;
    BitFieldReader reader(bytes, kFileHeaderBytes);
    uint32_t bitsPerField = 0, xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    if (!reader.Read(5, bitsPerField) || !reader.Read(bitsPerField, xMin) ||
        !reader.Read(bitsPerField, xMax) || !reader.Read(bitsPerField, yMin) ||
        !reader.Read(bitsPerField, yMax))
        return -1;
    const size_t rate = reader.NextByte();
    if (rate + 4 > bytes.size()) return -1;
    // The stage the player shows: a rectangle of negative size has none.
    swf::SwfHeader stage;
    stage.frameSize = {SignExtend(xMin, bitsPerField), SignExtend(xMax, bitsPerField),
                       SignExtend(yMin, bitsPerField), SignExtend(yMax, bitsPerField)};
    fields.width = stage.widthTwips() * kPixelsPerTwip;
    fields.height = stage.heightTwips() * kPixelsPerTwip;
    fields.frameRate = LoadLe16(&bytes[rate]) * kFrameRateUnit;
    fields.frameCount = LoadLe16(&bytes[rate + 2]);
    return 0;
}

int ReadSwfHeader(const std::string& path, MovieHeader& header) {
    const FileHandle file = OpenForReading(path);
    if (!file) return -1;
    uint8_t bytes[kSwfHeaderBytes];
    if (!ReadExactly(file.get(), bytes, kFileHeaderBytes)) return -1;
    // The fields take at most 21 bytes; a small movie may have fewer in all, so the parser
    // decides whether those there hold the fields.
    int64_t fieldBytes = -1;
    if (HasSignature(bytes, 'F')) {
        fieldBytes = static_cast<int64_t>(std::fread(
            bytes + kFileHeaderBytes, 1, kSwfHeaderBytes - kFileHeaderBytes, file.get()));
    } else if (HasSignature(bytes, 'C')) {
        fieldBytes = InflateHeader(file.get(), bytes);
        bytes[0] = 'F';
    }
    SwfHeaderFields fields;
    if (fieldBytes < 0 ||
        ParseSwfHeader(
            std::span<const uint8_t>(bytes, kFileHeaderBytes + static_cast<size_t>(fieldBytes)),
            fields) != 0)
        return -1;
    header.width = RoundPixels(fields.width);
    header.height = RoundPixels(fields.height);
    header.frameRate = fields.frameRate;
    header.frameCount = fields.frameCount;
    return 0;
}

int DecompressSwf(const std::string& sourcePath, const std::string& copyPath,
                  uint64_t maxInflatedBytes) {
    const FileHandle source = OpenForReading(sourcePath);
    if (!source) return -1;
    uint8_t header[kFileHeaderBytes];
    if (!ReadExactly(source.get(), header, 4)) return -1;
    if (HasSignature(header, 'F')) return 0;
    if (!HasSignature(header, 'C') || !ReadExactly(source.get(), header + 4, 4)) return -1;

    std::vector<uint8_t> input(kInflateInputBytes);
    std::vector<uint8_t> output(kInflateOutputBytes);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return -1;
    const std::unique_ptr<z_stream, int (*)(z_stream*)> streamEnd(&stream, inflateEnd);

    OutputFile copy(copyPath);
    header[0] = 'F';
    if (!copy.Open() || !copy.Write(header, sizeof header)) return -1;

    uint64_t inflated = 0;
    bool streamDone = false;
    while (!streamDone) {
        const size_t read = std::fread(input.data(), 1, input.size(), source.get());
        if (std::ferror(source.get())) return -1;
        size_t produced = 0;
        stream.next_in = input.data();
        stream.avail_in = static_cast<uInt>(read);
        while (read > 0) {
            stream.next_out = output.data() + produced;
            stream.avail_out = static_cast<uInt>(output.size() - produced);
            const int result = inflate(&stream, Z_SYNC_FLUSH);
            produced = output.size() - stream.avail_out;
            if (inflated + produced > maxInflatedBytes) return -1;
            if (result == Z_BUF_ERROR) break;  // this piece is used up
            if (result != Z_OK) {
                // The end of the stream, or a break in it: the copy keeps what came before.
                streamDone = true;
                break;
            }
            if (stream.avail_out != 0) break;
            output.resize(output.size() + kInflateOutputGrowth);
        }
        if (!copy.Write(output.data(), produced)) return -1;
        inflated += produced;
        if (read < input.size()) streamDone = true;
    }
    return copy.Commit() ? 1 : -1;
}

int MakeSilentCopy(const std::string& sourcePath, const std::string& copyPath,
                   MovieExtent* extent) {
    const FileHandle source = OpenForReading(sourcePath);
    if (!source) return -1;
    // The file header, then the frame rectangle (its first 5 bits give the size of its
    // four fields), the frame rate and the frame count.
    uint8_t header[kSwfHeaderBytes];
    if (!ReadExactly(source.get(), header, kFileHeaderBytes + 1) || !HasSignature(header, 'F'))
        return -1;
    const size_t bitsPerField = header[kFileHeaderBytes] >> 3;
    const size_t headerSize = kFileHeaderBytes + 1 + (bitsPerField * 4 + 12) / 8 + 3;
    if (!ReadExactly(source.get(), header + kFileHeaderBytes + 1,
                     headerSize - kFileHeaderBytes - 1))
        return -1;

    // A movie cut short is copied up to its last complete frame, and says so in its header.
    struct stat status {};
    TimelineScan scan;
    if (fstat(fileno(source.get()), &status) != 0 ||
        !ScanTimeline(source.get(), static_cast<uint64_t>(status.st_size), scan) ||
        (scan.cutShort && scan.frames == 0) ||
        fseeko(source.get(), static_cast<off_t>(headerSize), SEEK_SET) != 0)
        return -1;
    uint64_t tagBytes = scan.lastFrameEnd;
    if (scan.cutShort) {
        const uint64_t length = headerSize + tagBytes + 2;  // and the End tag
        if (length > UINT32_MAX) return -1;
        audio::StoreLe32(header + 4, static_cast<uint32_t>(length));
        if (LoadLe16(header + headerSize - 2) > scan.frames)
            audio::StoreLe16(header + headerSize - 2, static_cast<uint16_t>(scan.frames));
    }

    OutputFile copy(copyPath);
    if (!copy.Open() || !copy.Write(header, headerSize)) return -1;
    SilentCopier copier(source.get(), copy);
    if (!copier.CopyTags(scan.cutShort ? &tagBytes : nullptr, 0)) return -1;
    static constexpr uint8_t kEndTag[2] = {0, 0};
    if (scan.cutShort && !copy.Write(kEndTag, sizeof kEndTag)) return -1;
    if (!copy.Commit()) return -1;
    if (extent) *extent = {scan.frames, scan.cutShort};
    return 0;
}

}  // namespace convert
