#include "cli/TaskOutput.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "audio/WavFile.h"
#include "convert/AviWriter.h"
#include "convert/MovieFile.h"
#include "convert/run/ImageSequenceNames.h"

namespace cli {
namespace {

// Up to 999999999 images: as many digits as an int32 frame span can need.
constexpr int kMaxDigits = 9;
// The AVI parts looked at; the writer numbers them with four digits.
constexpr int kMaxParts = 10000;

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The names of a sequence with `digits` digits: those of a range with that many.
convert::ImageSequenceNames SequenceNames(const std::string& output, int digits) {
    int32_t last = 9;
    for (int i = 1; i < digits; ++i) last = last * 10 + 9;
    return convert::ImageSequenceNames(output, 0, last);
}

uint32_t Le32(const char* bytes) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[i]);
    return value;
}

// The video frames of one AVI file: "dmlh" counts all of them, "avih" those of the first
// RIFF chunk. Only the header list before "movi" is read.
std::optional<int64_t> AviFrames(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> head(65536);
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    if (head.size() < 12 || std::memcmp(head.data(), "RIFF", 4) != 0) return std::nullopt;
    std::optional<int64_t> firstChunk;
    for (size_t at = 12; at + 12 <= head.size(); ++at) {
        const char* id = head.data() + at;
        if (std::memcmp(id, "movi", 4) == 0) break;
        if (std::memcmp(id, "dmlh", 4) == 0) return Le32(id + 8);
        if (std::memcmp(id, "avih", 4) == 0 && at + 8 + 20 <= head.size() && !firstChunk)
            firstChunk = Le32(id + 8 + 16);
    }
    return firstChunk;
}

// The pictures of a video file's video stream: the count its header gives, or its packets,
// one a picture, counted to the end.
std::optional<int64_t> VideoFrames(const std::filesystem::path& path) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return std::nullopt;
    std::optional<int64_t> frames;
    const int stream = avformat_find_stream_info(format, nullptr) < 0
                           ? -1
                           : av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream >= 0 && format->streams[stream]->nb_frames > 0) {
        frames = format->streams[stream]->nb_frames;
    } else if (stream >= 0) {
        AVPacket* packet = av_packet_alloc();
        int64_t count = 0;
        while (packet && av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == stream) ++count;
            av_packet_unref(packet);
        }
        av_packet_free(&packet);
        frames = count;
    }
    avformat_close_input(&format);
    return frames;
}

// The frames whose sound a WAV file holds: the wav command writes the samples of each frame
// at the movie's frame rate, so the count comes back rounded to the nearest.
std::optional<int64_t> WavFrames(const std::filesystem::path& path,
                                 const std::filesystem::path& movie) {
    convert::MovieHeader header;
    audio::WavFile wav;
    if (convert::ReadSwfHeader(movie.string(), header) != 0 || header.frameRate <= 0 ||
        wav.Open(path.string(), audio::WavFile::ReadMode) != 0 || !wav.Format() ||
        wav.Format()->blockAlign == 0 || wav.Format()->samplesPerSec == 0)
        return std::nullopt;
    const double samples = static_cast<double>(wav.DataSize() / wav.Format()->blockAlign);
    return std::llround(samples * header.frameRate / wav.Format()->samplesPerSec);
}

std::optional<std::filesystem::file_time_type> WriteTime(const std::filesystem::path& path) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(path, error);
    if (error) return std::nullopt;
    return time;
}

}  // namespace

TaskOutput::TaskOutput(std::string command, std::filesystem::path output)
    : command_(std::move(command)), output_(std::move(output)) {}

int TaskOutput::ImageDigits() const {
    for (int digits = 1; digits <= kMaxDigits; ++digits)
        if (IsFile(SequenceNames(output_.string(), digits).Name(0))) return digits;
    return 0;
}

std::optional<std::filesystem::path> TaskOutput::FirstFile() const {
    if (IsImages()) {
        const int digits = ImageDigits();
        if (digits == 0) return std::nullopt;
        return SequenceNames(output_.string(), digits).Name(0);
    }
    if (IsFile(output_)) return output_;
    if (command_ == "avi" && IsFile(convert::AviWriter::PartName(output_, 0)))
        return convert::AviWriter::PartName(output_, 0);
    return std::nullopt;
}

bool TaskOutput::NewerThan(const std::filesystem::path& movie) const {
    const auto first = FirstFile();
    if (!first) return false;
    const auto written = WriteTime(*first);
    const auto changed = WriteTime(movie);
    return written && changed && *written > *changed;
}

std::optional<int64_t> TaskOutput::CountFrames(const std::filesystem::path& movie) const {
    if (IsImages()) {
        const int digits = ImageDigits();
        if (digits == 0) return std::nullopt;
        const convert::ImageSequenceNames names = SequenceNames(output_.string(), digits);
        int32_t count = 0;
        while (count < INT32_MAX && IsFile(names.Name(count))) ++count;
        return count;
    }
    if (command_ == "video") return IsFile(output_) ? VideoFrames(output_) : std::nullopt;
    if (command_ == "wav") return IsFile(output_) ? WavFrames(output_, movie) : std::nullopt;
    if (command_ != "avi") return std::nullopt;
    if (IsFile(output_)) return AviFrames(output_);
    int64_t total = 0;
    for (int part = 0; part < kMaxParts; ++part) {
        const std::filesystem::path name = convert::AviWriter::PartName(output_, part);
        if (!IsFile(name)) break;
        const auto frames = AviFrames(name);
        if (!frames) return std::nullopt;
        total += *frames;
    }
    if (total == 0 && !IsFile(convert::AviWriter::PartName(output_, 0))) return std::nullopt;
    return total;
}

int TaskOutput::RemoveWrittenSince(std::filesystem::file_time_type start, int writer) const {
    int removed = 0;
    // Files are written as NAME.ktpPID-N beside their final name (convert::OutputFile).
    const std::string stem = output_.stem().string();
    const std::string scratch = writer > 0 ? ".ktp" + std::to_string(writer) + "-" : ".ktp";
    std::error_code error;
    const std::filesystem::path folder =
        output_.parent_path().empty() ? std::filesystem::path(".") : output_.parent_path();
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::error_code notRemoved;
        if (name.starts_with(stem) && name.find(scratch) != std::string::npos &&
            std::filesystem::remove(entry->path(), notRemoved))
            ++removed;
    }
    const auto removeIfNew = [&](const std::filesystem::path& path) {
        const auto written = WriteTime(path);
        if (!written || *written < start) return false;
        std::error_code notRemoved;
        if (std::filesystem::remove(path, notRemoved)) ++removed;
        return true;
    };
    if (IsImages()) {
        // The digit count depends on the frame range; whichever sequence is new goes.
        for (int digits = 1; digits <= kMaxDigits; ++digits) {
            const convert::ImageSequenceNames names = SequenceNames(output_.string(), digits);
            for (int32_t i = 0; i < INT32_MAX && removeIfNew(names.Name(i)); ++i) {
            }
        }
        return removed;
    }
    removeIfNew(output_);
    // The sound command writes beside its output first.
    removeIfNew(output_.string() + ".partial");
    if (command_ == "avi")
        for (int part = 0;
             part < kMaxParts && removeIfNew(convert::AviWriter::PartName(output_, part)); ++part) {
        }
    return removed;
}

}  // namespace cli
