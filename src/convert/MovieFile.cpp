#include "convert/MovieFile.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "audio/LittleEndian.h"
#include "convert/OutputFile.h"
#include "swf/parse/LzmaBody.h"
#include "swf/movie/SwfMovie.h"

namespace convert {
namespace {

using audio::LoadLe16;

constexpr size_t kFileHeaderBytes = 8;  // signature, version, file length
constexpr double kPixelsPerTwip = 0.05;
constexpr double kFrameRateUnit = 0.00390625;  // 8.8 fixed point

// The start of a compressed movie that is inflated to read its header.
constexpr size_t kCompressedHeaderInput = 512;

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

// Inflates the start of a compressed movie's stream into the header fields after the file
// header; returns how many bytes came out, or -1.
int64_t InflateHeader(std::span<const uint8_t> stream, uint8_t* header) {
    if (stream.empty()) return -1;
    z_stream inflater{};
    if (inflateInit(&inflater) != Z_OK) return -1;
    inflater.next_in = const_cast<Bytef*>(stream.data());
    inflater.avail_in = static_cast<uInt>(std::min(stream.size(), kCompressedHeaderInput));
    inflater.next_out = header + kFileHeaderBytes;
    inflater.avail_out = static_cast<uInt>(kSwfHeaderBytes - kFileHeaderBytes);
    const int result = inflate(&inflater, Z_SYNC_FLUSH);
    inflateEnd(&inflater);
    return result < 0 ? -1 : static_cast<int64_t>(inflater.total_out);
}

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

int ReadSwfHeader(std::span<const uint8_t> file, MovieHeader& header) {
    if (file.size() < kFileHeaderBytes) return -1;
    uint8_t bytes[kSwfHeaderBytes];
    std::copy_n(file.begin(), kFileHeaderBytes, bytes);
    const std::span<const uint8_t> rest = file.subspan(kFileHeaderBytes);
    // The fields take at most 21 bytes; a small movie may have fewer in all, so the parser
    // decides whether those there hold the fields.
    int64_t fieldBytes = -1;
    if (HasSignature(bytes, 'F')) {
        fieldBytes = static_cast<int64_t>(std::min(rest.size(), kSwfHeaderBytes - kFileHeaderBytes));
        std::copy_n(rest.begin(), fieldBytes, bytes + kFileHeaderBytes);
    } else if (HasSignature(bytes, 'C')) {
        fieldBytes = InflateHeader(rest, bytes);
        bytes[0] = 'F';
    } else if (HasSignature(bytes, 'Z')) {
        std::vector<uint8_t> fields;
        std::string error;
        if (swf::LzmaBody::decode(rest.first(std::min(rest.size(), kCompressedHeaderInput)),
                                  kSwfHeaderBytes - kFileHeaderBytes, fields, error)) {
            fieldBytes = static_cast<int64_t>(fields.size());
            std::copy(fields.begin(), fields.end(), bytes + kFileHeaderBytes);
        }
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

int ReadSwfHeader(const std::string& path, MovieHeader& header) {
    struct FileCloser {
        void operator()(FILE* file) const { std::fclose(file); }
    };
    const std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return -1;
    std::vector<uint8_t> start(kFileHeaderBytes + kCompressedHeaderInput);
    start.resize(std::fread(start.data(), 1, start.size(), file.get()));
    return ReadSwfHeader(start, header);
}

}  // namespace convert
