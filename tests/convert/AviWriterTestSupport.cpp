#include "AviWriterTestSupport.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>

namespace avitest {
namespace {

uint32_t Le32(const std::vector<uint8_t>& bytes, uint64_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint16_t Le16(const std::vector<uint8_t>& bytes, uint64_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

uint64_t Le64(const std::vector<uint8_t>& bytes, uint64_t at) {
    return Le32(bytes, at) | static_cast<uint64_t>(Le32(bytes, at + 4)) << 32;
}

std::string IdText(uint32_t id) {
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i) text[i] = static_cast<char>(id >> (8 * i));
    return text;
}

std::string Quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

// Runs a command and returns what it printed; nothing when it failed.
std::optional<std::vector<uint8_t>> Run(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::vector<uint8_t> out;
    uint8_t buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.insert(out.end(), buffer, buffer + count);
    if (pclose(pipe) != 0) return std::nullopt;
    return out;
}

// Just enough JSON for ffprobe's output: objects, arrays, strings, numbers and literals.
// Scalars of the objects inside a top-level array (or a top-level object) are kept as text.
class ProbeJson {
  public:
    explicit ProbeJson(const std::vector<uint8_t>& text) : text_(text.begin(), text.end()) {}

    bool Parse(std::map<std::string, std::vector<ProbeFields>>& arrays,
               std::map<std::string, ProbeFields>& objects) {
        Skip();
        if (!Eat('{')) return false;
        while (true) {
            Skip();
            if (Eat('}')) return true;
            std::string key;
            if (!String(key) || !Colon()) return false;
            Skip();
            if (Peek() == '[') {
                ++pos_;
                std::vector<ProbeFields>& list = arrays[key];
                while (true) {
                    Skip();
                    if (Eat(']')) break;
                    list.emplace_back();
                    if (!Object(&list.back())) return false;
                    Skip();
                    Eat(',');
                }
            } else if (!Object(&objects[key])) {
                return false;
            }
            Skip();
            Eat(',');
        }
    }

  private:
    char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    void Skip() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }
    bool Eat(char c) {
        if (Peek() != c) return false;
        ++pos_;
        return true;
    }
    bool Colon() {
        Skip();
        return Eat(':');
    }
    bool String(std::string& out) {
        Skip();
        if (!Eat('"')) return false;
        while (pos_ < text_.size() && text_[pos_] != '"') {
            if (text_[pos_] == '\\') ++pos_;
            if (pos_ < text_.size()) out += text_[pos_++];
        }
        return Eat('"');
    }
    // A value; the scalars of an object are stored into `fields` when given.
    bool Value(std::string* scalar) {
        Skip();
        const char c = Peek();
        if (c == '{') return Object(nullptr);
        if (c == '[') {
            ++pos_;
            while (true) {
                Skip();
                if (Eat(']')) return true;
                if (!Value(nullptr)) return false;
                Skip();
                Eat(',');
            }
        }
        if (c == '"') {
            std::string text;
            if (!String(text)) return false;
            if (scalar) *scalar = text;
            return true;
        }
        const size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '}' &&
               text_[pos_] != ']' && !std::isspace(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
        if (scalar) *scalar = text_.substr(start, pos_ - start);
        return pos_ > start;
    }
    bool Object(ProbeFields* fields) {
        Skip();
        if (!Eat('{')) return false;
        while (true) {
            Skip();
            if (Eat('}')) return true;
            std::string key;
            if (!String(key) || !Colon()) return false;
            std::string scalar;
            if (!Value(&scalar)) return false;
            if (fields && !scalar.empty()) (*fields)[key] = scalar;
            Skip();
            Eat(',');
        }
    }

    std::string text_;
    size_t pos_ = 0;
};

struct IndexChunk {
    uint64_t offset;
    uint32_t wholeSize;
};

class LayoutReader {
  public:
    LayoutReader(std::vector<uint8_t> bytes, AviLayout& layout)
        : bytes_(std::move(bytes)), layout_(layout) {}

    void Read() {
        uint64_t pos = 0;
        int riff = 0;
        while (pos < bytes_.size() && layout_.error.empty()) {
            if (pos + 12 > bytes_.size() || Le32(bytes_, pos) != Id("RIFF"))
                return Fail("no RIFF chunk at " + std::to_string(pos));
            const uint64_t size = Le32(bytes_, pos + 4);
            const uint64_t end = pos + 8 + size;
            if (end > bytes_.size()) return Fail("RIFF chunk past the end of the file");
            layout_.riffForms.push_back(Le32(bytes_, pos + 8));
            layout_.riffSizes.push_back(8 + size + (size & 1));
            Contents(pos + 12, end, riff);
            pos = end + (size & 1);
            ++riff;
        }
        if (layout_.error.empty() && pos != bytes_.size()) Fail("bytes after the last RIFF chunk");
        if (layout_.error.empty()) CheckSuperIndexes();
    }

  private:
    void Fail(const std::string& message) {
        if (layout_.error.empty()) layout_.error = message;
    }

    // Calls `visit(id, dataOffset, size)` for each chunk in [begin, end).
    template <typename Visit>
    void Chunks(uint64_t begin, uint64_t end, Visit visit) {
        uint64_t pos = begin;
        while (pos < end && layout_.error.empty()) {
            if (pos + 8 > end) return Fail("chunk header cut off at " + std::to_string(pos));
            const uint32_t id = Le32(bytes_, pos);
            const uint32_t size = Le32(bytes_, pos + 4);
            if (pos + 8 + size > end) return Fail("chunk " + IdText(id) + " runs past its list");
            visit(id, pos + 8, size);
            pos += 8 + size + (size & 1);
        }
        if (pos != end && pos != end + 1) Fail("list contents end between chunks");
    }

    void Contents(uint64_t begin, uint64_t end, int riff) {
        Chunks(begin, end, [&](uint32_t id, uint64_t data, uint32_t size) {
            if (id == Id("LIST") && size >= 4) {
                const uint32_t type = Le32(bytes_, data);
                if (type == Id("hdrl")) HeaderList(data + 4, data + size);
                if (type == Id("movi")) Movie(data, data + size, riff);
            } else if (id == Id("idx1")) {
                LegacyIndex(data, size);
            }
        });
    }

    void HeaderList(uint64_t begin, uint64_t end) {
        Chunks(begin, end, [&](uint32_t id, uint64_t data, uint32_t size) {
            if (id == Id("avih"))
                layout_.avih.assign(bytes_.begin() + data, bytes_.begin() + data + size);
            if (id != Id("LIST") || size < 4) return;
            const uint32_t type = Le32(bytes_, data);
            if (type == Id("strl")) StreamList(data + 4, data + size);
            if (type == Id("odml"))
                Chunks(data + 4, data + size, [&](uint32_t inner, uint64_t at, uint32_t) {
                    if (inner == Id("dmlh")) layout_.openDmlFrames = Le32(bytes_, at);
                });
        });
    }

    void StreamList(uint64_t begin, uint64_t end) {
        AviStream stream;
        Chunks(begin, end, [&](uint32_t id, uint64_t data, uint32_t size) {
            if (id == Id("strh"))
                stream.strh.assign(bytes_.begin() + data, bytes_.begin() + data + size);
            if (id == Id("strf"))
                stream.strf.assign(bytes_.begin() + data, bytes_.begin() + data + size);
            if (id == Id("indx")) {
                if (Le16(bytes_, data) != 4 || bytes_[data + 3] != 0)
                    return Fail("indx is not a super index");
                stream.superIndexEntries = Le32(bytes_, data + 4);
                stream.chunkId = Le32(bytes_, data + 8);
                if (24 + uint64_t{16} * stream.superIndexEntries > size)
                    return Fail("super index overflows");
                for (uint32_t i = 0; i < stream.superIndexEntries; ++i) {
                    const uint64_t entry = data + 24 + 16 * i;
                    superEntries_.push_back({Le64(bytes_, entry), Le32(bytes_, entry + 8)});
                    stream.superIndexDuration += Le32(bytes_, entry + 12);
                }
            }
        });
        layout_.streams.push_back(std::move(stream));
    }

    void Movie(uint64_t listData, uint64_t end, int riff) {
        if (riff == 0) firstMovieList_ = listData;
        Chunks(listData + 4, end, [&](uint32_t id, uint64_t data, uint32_t size) {
            if ((id & 0xFFFF) == (Id("ix00") & 0xFFFF)) {
                indexChunks_.push_back({data - 8, size + 8});
                pendingIndexes_.push_back({data, size});
            } else if (id != Id("JUNK")) {
                layout_.chunks.push_back({id, data, size, riff});
            }
        });
        // Standard indexes may name any chunk of their RIFF chunk; check them once it is read.
        for (const auto& [data, size] : pendingIndexes_) StandardIndex(data, size);
        pendingIndexes_.clear();
    }

    AviChunk* ChunkAt(uint64_t dataOffset) {
        for (AviChunk& chunk : layout_.chunks)
            if (chunk.dataOffset == dataOffset) return &chunk;
        return nullptr;
    }

    void StandardIndex(uint64_t data, uint32_t size) {
        if (Le16(bytes_, data) != 2 || bytes_[data + 3] != 1)
            return Fail("ix chunk is not a standard index");
        const uint32_t entries = Le32(bytes_, data + 4);
        const uint32_t chunkId = Le32(bytes_, data + 8);
        const uint64_t base = Le64(bytes_, data + 12);
        if (24 + uint64_t{8} * entries > size) return Fail("standard index overflows");
        for (uint32_t i = 0; i < entries; ++i) {
            const uint64_t entry = data + 24 + 8 * i;
            const uint32_t sizeField = Le32(bytes_, entry + 4);
            AviChunk* chunk = ChunkAt(base + Le32(bytes_, entry));
            if (!chunk || chunk->id != chunkId || chunk->size != (sizeField & 0x7FFFFFFF))
                return Fail("standard index entry names no such chunk");
            if (chunk->indexed) return Fail("chunk indexed twice");
            chunk->indexed = true;
            chunk->keyFrame = (sizeField & 0x80000000u) == 0;
        }
    }

    void LegacyIndex(uint64_t data, uint32_t size) {
        layout_.hasLegacyIndex = true;
        if (size % 16 != 0) return Fail("idx1 size is not whole entries");
        for (uint64_t entry = data; entry < data + size; entry += 16) {
            const uint64_t header = firstMovieList_ + Le32(bytes_, entry + 8);
            AviChunk* chunk = ChunkAt(header + 8);
            if (!chunk || chunk->riff != 0 || chunk->id != Le32(bytes_, entry) ||
                chunk->size != Le32(bytes_, entry + 12))
                return Fail("idx1 entry names no such chunk");
            chunk->legacyIndexed = true;
            chunk->legacyKeyFrame = (Le32(bytes_, entry + 4) & 0x10) != 0;
        }
    }

    void CheckSuperIndexes() {
        for (const IndexChunk& entry : superEntries_) {
            bool found = false;
            for (const IndexChunk& chunk : indexChunks_)
                found =
                    found || (chunk.offset == entry.offset && chunk.wholeSize == entry.wholeSize);
            if (!found) return Fail("super index entry names no index chunk");
        }
        if (superEntries_.size() != indexChunks_.size())
            Fail("an index chunk is missing from the super index");
    }

    std::vector<uint8_t> bytes_;
    AviLayout& layout_;
    uint64_t firstMovieList_ = 0;
    std::vector<IndexChunk> superEntries_;
    std::vector<IndexChunk> indexChunks_;
    std::vector<std::pair<uint64_t, uint32_t>> pendingIndexes_;
};

}  // namespace

uint32_t Id(const char (&code)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

Probe ProbeFile(const std::filesystem::path& file) {
    Probe probe;
    const auto out =
        Run("ffprobe -v error -show_streams -show_format -count_frames -of json " + Quoted(file));
    if (!out) return probe;
    std::map<std::string, std::vector<ProbeFields>> arrays;
    std::map<std::string, ProbeFields> objects;
    if (!ProbeJson(*out).Parse(arrays, objects)) return probe;
    probe.streams = arrays["streams"];
    probe.format = objects["format"];
    probe.ok = true;
    return probe;
}

std::optional<ProbeFields> StreamOfType(const Probe& probe, const std::string& type) {
    for (const ProbeFields& stream : probe.streams) {
        const auto found = stream.find("codec_type");
        if (found != stream.end() && found->second == type) return stream;
    }
    return std::nullopt;
}

std::vector<ProbedPacket> ProbePackets(const std::filesystem::path& file, const std::string& type) {
    std::vector<ProbedPacket> packets;
    const auto out = Run("ffprobe -v error -select_streams " + type +
                         ":0 -show_entries packet=flags,size -of json " + Quoted(file));
    if (!out) return packets;
    std::map<std::string, std::vector<ProbeFields>> arrays;
    std::map<std::string, ProbeFields> objects;
    if (!ProbeJson(*out).Parse(arrays, objects)) return packets;
    for (const ProbeFields& fields : arrays["packets"]) {
        ProbedPacket packet;
        const auto flags = fields.find("flags");
        packet.keyFrame = flags != fields.end() && flags->second.find('K') != std::string::npos;
        const auto size = fields.find("size");
        if (size != fields.end()) packet.size = std::stoi(size->second);
        packets.push_back(packet);
    }
    return packets;
}

std::vector<uint8_t> DecodeFrames(const std::filesystem::path& file,
                                  const std::string& pixelFormat) {
    return Run("ffmpeg -v error -i " + Quoted(file) + " -map 0:v:0 -f rawvideo -pix_fmt " +
               pixelFormat + " -")
        .value_or(std::vector<uint8_t>{});
}

std::vector<uint8_t> DecodeAudio(const std::filesystem::path& file, const std::string& rawFormat) {
    return Run("ffmpeg -v error -i " + Quoted(file) + " -map 0:a:0 -f " + rawFormat + " -")
        .value_or(std::vector<uint8_t>{});
}

std::vector<uint8_t> TopDownPixels(convert::FrameBuffer& frame) {
    const auto& header = frame.header();
    const size_t rowBytes = static_cast<size_t>(header.width) * (header.bitCount / 8);
    std::vector<uint8_t> pixels;
    for (int32_t y = 0; y < header.height; ++y) {
        const uint8_t* row = frame.row(y);
        pixels.insert(pixels.end(), row, row + rowBytes);
    }
    return pixels;
}

void PaintFrame(convert::FrameBuffer& frame, int number) {
    const auto& header = frame.header();
    const int bytes = header.bitCount / 8;
    const int square = std::max(4, header.width / 5);
    const int left = (number * 3) % std::max(1, header.width - square);
    const int top = (number * 2) % std::max(1, header.height - square);
    for (int32_t y = 0; y < header.height; ++y) {
        uint8_t* row = frame.row(y);
        for (int32_t x = 0; x < header.width; ++x) {
            uint8_t* pixel = row + x * bytes;
            const bool inSquare = x >= left && x < left + square && y >= top && y < top + square;
            pixel[0] = static_cast<uint8_t>(x * 200 / header.width + number * 5);
            pixel[1] = static_cast<uint8_t>(y * 200 / header.height + 20);
            pixel[2] = inSquare ? 230 : static_cast<uint8_t>(60 + number * 3);
            if (bytes == 4) pixel[3] = static_cast<uint8_t>(inSquare ? 255 : 128 + x % 64);
        }
    }
}

uint32_t AviLayout::avihField(int index) const {
    return avih.size() >= static_cast<size_t>(4 * index + 4) ? Le32(avih, 4 * index) : 0;
}

uint32_t AviLayout::strhField(int stream, int index) const {
    const std::vector<uint8_t>& strh = streams.at(stream).strh;
    return strh.size() >= static_cast<size_t>(4 * index + 4) ? Le32(strh, 4 * index) : 0;
}

std::vector<AviChunk> AviLayout::ChunksWithId(uint32_t id, int riff) const {
    std::vector<AviChunk> found;
    for (const AviChunk& chunk : chunks)
        if (chunk.id == id && (riff < 0 || chunk.riff == riff)) found.push_back(chunk);
    return found;
}

AviLayout ReadAviLayout(const std::filesystem::path& file) {
    AviLayout layout;
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        layout.error = "cannot read " + file.string();
        return layout;
    }
    LayoutReader(std::move(bytes), layout).Read();
    return layout;
}

ScratchFolder::ScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/ktp-avi-XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

FileSizeLimit::FileSizeLimit(uint64_t bytes) {
    previousHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    previousSoft_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = previousSoft_;
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, previousHandler_);
}

}  // namespace avitest
