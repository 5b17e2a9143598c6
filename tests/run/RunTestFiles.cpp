#include "run/RunTestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "audio/TestFiles.h"
#include "audio/WavFile.h"
#include "support/SwfWriter.h"

namespace runtest {
namespace {

std::array<uint8_t, 3> Colour(int frame) {  // red, green, blue
    return {static_cast<uint8_t>(20 + 20 * frame), static_cast<uint8_t>(220 - 15 * frame), 90};
}

std::string RunAndRead(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t got = 0;
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
        pclose(pipe);
    }
    return output;
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

}  // namespace

ColourMovie Movie(int frames, int width, int height) {
    ColourMovie movie;
    movie.frames = frames;
    movie.width = width;
    movie.height = height;
    return movie;
}

void WriteColourMovie(const std::string& path, const ColourMovie& movie) {
    swftest::SwfWriter writer;
    writer.frameSizePixels(movie.width, movie.height)
        .frameRate(movie.frameRate)
        .compressed(movie.compressed);
    writer.setBackgroundColor({255, 255, 255});
    // Tones of 1000 samples, shorter than a frame: 1000 times the frame's number (from 1).
    const swftest::SoundFormat toneFormat{swftest::SoundCodec::LittleEndianPcm,
                                          swftest::SoundRate::Hz44100, true, false};
    for (int frame = 0; movie.tones && frame < movie.frames; ++frame) {
        const std::vector<int16_t> tone(1000, static_cast<int16_t>(1000 * (frame + 1)));
        writer.defineSound(static_cast<uint16_t>(100 + frame), toneFormat,
                           swftest::SoundFormat::littleEndian(tone));
    }
    for (int frame = 0; frame < movie.frames; ++frame) {
        const auto [red, green, blue] = Colour(frame);
        swftest::ShapeBuilder shape;
        shape.fill1(shape.addFill(swftest::FillStyle::solid({red, green, blue})))
            .rectangle(0, 0, swftest::px(movie.width), swftest::px(movie.height));
        const auto id = static_cast<uint16_t>(frame + 1);
        writer.defineShape(id, shape);
        if (frame > 0) writer.removeObject2(1);
        writer.place(id, 1);
        if (movie.tones) writer.startSound(static_cast<uint16_t>(100 + frame));
        if (auto found = movie.actions.find(frame); found != movie.actions.end())
            writer.doAction(found->second);
        writer.showFrame();
    }
    writer.writeFile(path);
}

int FrameOfColour(uint8_t blue, uint8_t green, uint8_t red) {
    for (int frame = 0; frame < 12; ++frame) {
        const auto colour = Colour(frame);
        if (std::abs(colour[0] - red) <= 2 && std::abs(colour[1] - green) <= 2 &&
            std::abs(colour[2] - blue) <= 2)
            return frame;
    }
    return -1;
}

int FrameInTga(const std::string& path) {
    const std::vector<uint8_t> bytes = testfiles::ReadBytes(path);
    if (bytes.size() < 18) return -1;
    const size_t width = bytes[12] | bytes[13] << 8, height = bytes[14] | bytes[15] << 8;
    const size_t bytesPerPixel = bytes[16] / 8;
    const size_t offset = 18 + bytes[0] + ((height / 2) * width + width / 2) * bytesPerPixel;
    if (bytesPerPixel < 3 || offset + 3 > bytes.size()) return -1;
    return FrameOfColour(bytes[offset], bytes[offset + 1], bytes[offset + 2]);
}

std::optional<std::map<std::string, std::string>> ProbeStream(const std::string& path,
                                                              const std::string& type) {
    std::istringstream lines(
        RunAndRead("ffprobe -v error -count_frames -show_streams " + Quoted(path)));
    std::map<std::string, std::string> stream;
    for (std::string line; std::getline(lines, line);) {
        if (line == "[STREAM]") {
            stream.clear();
        } else if (line == "[/STREAM]") {
            if (stream["codec_type"] == type) return stream;
        } else if (size_t equals = line.find('='); equals != std::string::npos) {
            stream[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return std::nullopt;
}

std::string ProbeField(const std::string& path, const std::string& type, const std::string& key) {
    auto stream = ProbeStream(path, type);
    return stream ? (*stream)[key] : std::string();
}

std::vector<int> FramesInVideo(const std::string& path, int width, int height) {
    const std::string pixels = RunAndRead("ffmpeg -v error -i " + Quoted(path) +
                                          " -map 0:v:0 -f rawvideo -pix_fmt bgr24 -");
    const size_t frameBytes = static_cast<size_t>(width) * height * 3;
    const size_t centre = (static_cast<size_t>(height / 2) * width + width / 2) * 3;
    std::vector<int> frames;
    for (size_t start = 0; start + frameBytes <= pixels.size(); start += frameBytes) {
        const auto* pixel = reinterpret_cast<const uint8_t*>(pixels.data() + start + centre);
        frames.push_back(FrameOfColour(pixel[0], pixel[1], pixel[2]));
    }
    return frames;
}

std::vector<uint8_t> StoredSound(const std::string& path) {
    const std::string bytes =
        RunAndRead("ffmpeg -v error -i " + Quoted(path) + " -map 0:a:0 -c copy -f data -");
    return {bytes.begin(), bytes.end()};
}

size_t AudioBytes(const std::string& path) {
    return StoredSound(path).size();
}

std::vector<int16_t> DecodedSound(const std::string& path) {
    const std::string bytes =
        RunAndRead("ffmpeg -v error -i " + Quoted(path) + " -map 0:a:0 -f s16le -ac 1 -ar 48000 -");
    std::vector<int16_t> samples(bytes.size() / 2);
    if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

void WriteWavFile(const std::string& path, const audio::WaveFormat& format, size_t bytes) {
    audio::WavFile file;
    ASSERT_GE(file.Open(path, audio::WavFile::WriteMode, &format), 0);
    std::vector<uint8_t> sound(bytes);
    for (size_t i = 0; i < bytes; ++i) sound[i] = static_cast<uint8_t>(i * 7);
    // A file of no sound has nothing to write.
    if (bytes > 0) {
        ASSERT_GE(file.Write(sound.data(), static_cast<uint32_t>(sound.size())), 0);
    }
    ASSERT_GE(file.Close(), 0);
}

}  // namespace runtest
