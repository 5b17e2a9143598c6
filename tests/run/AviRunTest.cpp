#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "convert/VideoEncoder.h"
#include "audio/PcmConversion.h"
#include "audio/SampleGain.h"
#include "convert/run/ConversionRunner.h"
#include "convert/run/ParsedMovie.h"
#include "resources/ResultCode.h"
#include "resources/StringTable.h"
#include "run/RunFixture.h"
#include "run/RunTestFiles.h"
#include "run/RunTestHost.h"
#include "settings/ExportChecks.h"
#include "support/ActionBuilder.h"
#include "swf/player/Player.h"

namespace {

class AviRun : public runtest::RunFixture {
  protected:
    void OpenMovie(const runtest::ColourMovie& movie) {
        ASSERT_NO_FATAL_FAILURE(OpenColourMovie(movie));
        job_.settings.width = movie.width;
        job_.settings.height = movie.height;
        job_.settings.frameRate100 = static_cast<int32_t>(movie.frameRate * 100);
    }

    // Frames start to end, without sound unless a source is chosen.
    void Frames(int32_t start, int32_t end) {
        job_.settings.startFrame = start;
        job_.settings.endFrame = end;
        job_.settings.SetAudioSource(settings::AudioSource::None);
    }

    convert::ConversionRunner runner_{host_, movie_};
    convert::AviJob job_{.settings = {},
                         .audioFormat = settings::DefaultAudioFormat(),
                         .compressor = convert::DefaultCompressorSettings(),
                         .outputPath = scratch_.File("clip.avi")};
};

TEST_F(AviRun, WritesEveryFrameAtTheRateAskedFor) {
    OpenMovie(runtest::Movie(6));
    Frames(0, 5);
    job_.settings.frameRate100 = 2997;
    EXPECT_EQ(runner_.RunAvi(job_), kResultOk);
    auto video = runtest::ProbeStream(job_.outputPath, "video");
    ASSERT_TRUE(video);
    EXPECT_EQ((*video)["r_frame_rate"], "2997/100");
    EXPECT_EQ((*video)["nb_read_frames"], "6");
    EXPECT_EQ((*video)["width"], "32");
    EXPECT_EQ((*video)["height"], "24");
    EXPECT_FALSE(runtest::ProbeStream(job_.outputPath, "audio"));
    EXPECT_EQ(runner_.lastFrameReached(), 5);
    EXPECT_EQ(runner_.lastAviFileCount(), 1);
    EXPECT_EQ(host_.progress.title, "Converting to AVI");
    EXPECT_EQ(host_.locks, (std::vector<bool>{false, true}));
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_TRUE(host_.opened.empty());
}

TEST_F(AviRun, EachFrameHoldsThePictureOfItsStep) {
    OpenMovie(runtest::Movie(4));
    Frames(1, 6);
    EXPECT_EQ(runner_.RunAvi(job_), kResultOk);
    // The movie loops after its fourth frame; the first output is frame 1.
    EXPECT_EQ(runtest::FramesInVideo(job_.outputPath, 32, 24),
              (std::vector<int>{1, 2, 3, 0, 1, 2}));
}

TEST_F(AviRun, ThirtyTwoBitsAndALossyCodecAreWrittenAsAsked) {
    OpenMovie(runtest::Movie(4));
    Frames(0, 3);
    job_.settings.colorDepth = 32;
    EXPECT_EQ(runner_.RunAvi(job_), kResultOk);
    EXPECT_EQ(runtest::ProbeField(job_.outputPath, "video", "pix_fmt"), "bgra");
    EXPECT_FALSE(host_.renderer.alphaFlag);

    job_.settings.colorDepth = 24;
    job_.compressor.fccHandler = convert::MakeFourCC('M', 'J', 'P', 'G');
    job_.compressor.hic = convert::OpenVideoCompressor(job_.compressor.fccHandler);
    ASSERT_TRUE(job_.compressor.hic);
    EXPECT_EQ(runner_.RunAvi(job_), kResultOk);
    EXPECT_EQ(runtest::ProbeField(job_.outputPath, "video", "codec_name"), "mjpeg");
    EXPECT_EQ(runtest::FramesInVideo(job_.outputPath, 32, 24), (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(AviRun, SoundLongerThanTheVideoIsCutToOneChunkPerFrame) {
    OpenMovie(runtest::Movie(6));
    Frames(0, 5);
    job_.settings.frameRate100 = 2997;
    const std::string wav = scratch_.File("long.wav");
    runtest::WriteWavFile(wav, settings::DefaultAudioFormat(), 100000);
    job_.settings.SetAudioSource(settings::AudioSource::WaveFile, wav);
    EXPECT_EQ(runner_.RunAvi(job_), kResultOk);
    // 1472 samples of 4 bytes cover one frame at 29.97 frames per second.
    EXPECT_EQ(runtest::AudioBytes(job_.outputPath), 6u * 1472 * 4);
    auto audio = runtest::ProbeStream(job_.outputPath, "audio");
    ASSERT_TRUE(audio);
    EXPECT_EQ((*audio)["sample_rate"], "44100");
    EXPECT_EQ((*audio)["channels"], "2");
    EXPECT_TRUE(std::filesystem::exists(wav));
}

TEST_F(AviRun, SoundShorterThanTheVideoEndsWhereTheFileEnds) {
    OpenMovie(runtest::Movie(6));
    Frames(0, 5);
    const std::string wav = scratch_.File("short.wav");
    runtest::WriteWavFile(wav, settings::DefaultAudioFormat(), 10000);
    job_.settings.SetAudioSource(settings::AudioSource::WaveFile, wav);
    EXPECT_EQ(runner_.RunAvi(job_), kResultOk);
    EXPECT_EQ(runtest::AudioBytes(job_.outputPath), 10000u);
    EXPECT_EQ(runtest::ProbeField(job_.outputPath, "video", "nb_read_frames"), "6");
}

TEST_F(AviRun, ABrokenWaveFileIsRefusedAndWritesNothing) {
    OpenMovie(runtest::Movie(3));
    Frames(0, 2);
    const std::string wav = scratch_.File("broken.wav");
    testfiles::WriteBytes(wav,
                          {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E', 'j', 'u', 'n', 'k'});
    EXPECT_EQ(settings::CheckWaveFile(wav), resources::kStrInvalidWavFile);
    job_.settings.SetAudioSource(settings::AudioSource::WaveFile, wav);
    EXPECT_LT(runner_.RunAvi(job_), 0);
    EXPECT_FALSE(std::filesystem::exists(job_.outputPath));
    EXPECT_EQ(host_.locks, (std::vector<bool>{false, true}));
    EXPECT_EQ(host_.progress.opened, 0);
}

TEST_F(AviRun, AfterASplitPlayAfterCreatingOpensTheFirstPart) {
    OpenMovie(runtest::Movie(4, 64, 48));
    Frames(0, 119);
    job_.settings.splitSizeMB = 1;
    job_.settings.playAfterCreating = 1;
    EXPECT_EQ(runner_.RunAvi(job_), kResultOk);
    const std::string first = scratch_.File("clip0000.avi"), second = scratch_.File("clip0001.avi");
    EXPECT_FALSE(std::filesystem::exists(job_.outputPath));
    // 9216 bytes a frame: the 114th passes 1 MB and closes the first part.
    EXPECT_EQ(runtest::ProbeField(first, "video", "nb_read_frames"), "114");
    EXPECT_EQ(runtest::ProbeField(second, "video", "nb_read_frames"), "6");
    EXPECT_EQ(runner_.lastAviFileCount(), 2);
    EXPECT_EQ(host_.opened, std::vector<std::string>{first});
}

TEST_F(AviRun, CancelAfterASplitDeletesEveryPart) {
    OpenMovie(runtest::Movie(4, 64, 48));
    Frames(0, 199);
    job_.settings.splitSizeMB = 1;
    job_.settings.playAfterCreating = 1;
    host_.cancelAt = 150;
    EXPECT_EQ(runner_.RunAvi(job_), kResultAbort);
    for (const std::string& name : scratch_.Entries())
        EXPECT_EQ(name.find("clip"), std::string::npos) << name;
    EXPECT_TRUE(host_.opened.empty());
    EXPECT_EQ(runner_.lastFrameReached(), 151);
}

TEST_F(AviRun, AMissingFolderFailsToOpenTheFile) {
    OpenMovie(runtest::Movie(3));
    Frames(0, 2);
    job_.outputPath = scratch_.File("missing/clip.avi");
    EXPECT_LT(runner_.RunAvi(job_), 0);
    EXPECT_EQ(host_.messages, std::vector<int>{resources::kStrFailedToOpenAviFile});
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("missing")));
    EXPECT_EQ(host_.locks, (std::vector<bool>{false, true}));
    EXPECT_EQ(host_.progress.closed, 1);
}

TEST_F(AviRun, FinishKeepsTheFramesWritten) {
    OpenMovie(runtest::Movie(6));
    Frames(0, 5);
    host_.finishAt = 2;
    EXPECT_EQ(runner_.RunAvi(job_), kResultOk);
    EXPECT_EQ(runtest::ProbeField(job_.outputPath, "video", "nb_read_frames"), "4");
    EXPECT_EQ(runner_.lastFrameReached(), 3);
}

TEST_F(AviRun, AFullDiskIsReportedAndTheFileStillReads) {
    OpenMovie(runtest::Movie(4, 64, 48));
    Frames(0, 99);
    int32_t result = kResultOk;
    {
        testfiles::FileSizeLimit limit(200000);
        result = runner_.RunAvi(job_);
    }
    EXPECT_LT(result, 0);
    EXPECT_EQ(host_.messages, std::vector<int>{resources::kStrFailedToWriteStream});
    auto video = runtest::ProbeStream(job_.outputPath, "video");
    ASSERT_TRUE(video);
    const int frames = std::stoi((*video)["nb_read_frames"]);
    EXPECT_GT(frames, 0);
    EXPECT_LT(frames, 100);
}

// The sound a normal play of the movie makes, frames `start` to `end`, as the engine's mixer
// mixes it, in `format` at `volume`.
std::vector<uint8_t> MixedSound(const std::string& movie, const audio::WaveFormat& format,
                                double volume, int32_t start, int32_t end) {
    swf::Player player;
    const int channels = std::min<int>(format.channels, 2);
    player.SetSoundOutput(format.samplesPerSec, channels);
    EXPECT_TRUE(player.LoadMovie(movie));
    std::vector<uint8_t> sound;
    for (int32_t frame = 0; frame <= end; ++frame) {
        player.advanceFrame();
        std::vector<int16_t> mix(player.QueuedSound());
        player.TakeSound(mix);
        if (frame < start) continue;
        const size_t before = sound.size();
        audio::AppendPcm(mix, channels, format, sound);
        audio::ApplyGain(std::span(sound).subspan(before), format, volume);
    }
    return sound;
}

// The movie's own sound is what the engine's mixer made during a normal play of the
// converted frames, whatever the sequence mode steps, at the format and volume asked for;
// it is cut to one frame's worth per output frame; and nothing but the AVI file is written.
TEST_F(AviRun, TheMoviesSoundIsTheMixOfANormalPlayAndNothingElseIsWritten) {
    struct Case {
        const char* name;
        settings::SequenceMode mode;
        int32_t start, end;
        int32_t frameRate100;
        audio::WaveFormat format;
        double volume;
    };
    const audio::WaveFormat cd = settings::DefaultAudioFormat();
    const audio::WaveFormat small = audio::NormalizePcm({1, 1, 22050, 0, 0, 8, 0});
    using settings::SequenceMode;
    const Case cases[] = {
        {"normal", SequenceMode::Normal, 0, 5, 1200, cd, 1.0},
        {"from frame 2", SequenceMode::Normal, 2, 7, 1200, cd, 1.0},
        {"frame by frame", SequenceMode::FrameByFrame, 0, 5, 1200, cd, 1.0},
        {"skip backward from frame 1", SequenceMode::SkipBackward, 1, 6, 1200, cd, 1.0},
        {"8-bit mono at half volume", SequenceMode::Normal, 0, 5, 1200, small, 0.5},
        {"output twice as fast", SequenceMode::Normal, 0, 5, 2400, cd, 1.0},
    };
    // Frame 2 jumps back to frame 0: a normal play goes 0 1 2 0 1 2 ..., the frame-by-frame
    // and skip-backward frames do not.
    runtest::ColourMovie movie = runtest::Movie(8);
    movie.tones = true;
    movie.actions[2] = swftest::ActionBuilder().gotoFrame(0).play();
    OpenMovie(movie);
    const std::string temporary = scratch_.File("tmp");
    std::filesystem::create_directory(temporary);
    setenv("TMPDIR", temporary.c_str(), 1);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        job_.settings.startFrame = test.start;
        job_.settings.endFrame = test.end;
        job_.settings.sequenceMode = test.mode;
        job_.settings.frameRate100 = test.frameRate100;
        job_.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
        job_.audioFormat = test.format;
        host_.volume = test.volume;
        ASSERT_EQ(runner_.RunAvi(job_), kResultOk);

        std::vector<uint8_t> expected =
            MixedSound(scratch_.File("movie.swf"), test.format, test.volume, test.start, test.end);
        // Whole samples that cover one output frame, rounded up, at most.
        const size_t chunk = (test.format.samplesPerSec * size_t{100} + test.frameRate100 - 1) /
                             test.frameRate100 * test.format.blockAlign;
        const size_t frames = static_cast<size_t>(test.end - test.start + 1);
        expected.resize(std::min(expected.size(), frames * chunk));
        EXPECT_EQ(runtest::StoredSound(job_.outputPath), expected);
        EXPECT_EQ(runtest::ProbeField(job_.outputPath, "video", "nb_read_frames"),
                  std::to_string(frames));
        EXPECT_EQ(runner_.lastFrameReached(), test.end);
        std::vector<std::string> entries = scratch_.Entries();
        std::ranges::sort(entries);
        EXPECT_EQ(entries, (std::vector<std::string>{"clip.avi", "movie.swf", "tmp"}));
        EXPECT_TRUE(std::filesystem::is_empty(temporary));
    }
    unsetenv("TMPDIR");
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(host_.reloads, 6);
}

TEST_F(AviRun, FinishEndsTheFramesAndTheSoundTogether) {
    runtest::ColourMovie movie = runtest::Movie(6);
    movie.tones = true;
    OpenMovie(movie);
    Frames(0, 99);
    job_.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    host_.finishAt = 3;
    EXPECT_EQ(runner_.RunAvi(job_), kResultOk);
    EXPECT_EQ(runtest::ProbeField(job_.outputPath, "video", "nb_read_frames"), "5");
    EXPECT_EQ(runtest::StoredSound(job_.outputPath),
              MixedSound(scratch_.File("movie.swf"), job_.audioFormat, 1.0, 0, 4));
    EXPECT_EQ(runner_.lastFrameReached(), 4);
}

TEST_F(AviRun, CancelRemovesTheFileWithTheMoviesSound) {
    OpenMovie(runtest::Movie(6));
    Frames(0, 99);
    job_.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    host_.cancelAt = 3;
    EXPECT_EQ(runner_.RunAvi(job_), kResultAbort);
    EXPECT_EQ(scratch_.Entries(), std::vector<std::string>{"movie.swf"});
    EXPECT_FALSE(host_.player.IsPlaying());
}

TEST_F(AviRun, InABatchAFinishedFileIsNotOpened) {
    OpenMovie(runtest::Movie(6));
    Frames(0, 5);
    job_.settings.playAfterCreating = 1;
    host_.inBatch = true;
    EXPECT_EQ(runner_.RunAvi(job_), kResultOk);
    EXPECT_TRUE(host_.opened.empty());
    host_.inBatch = false;
    EXPECT_EQ(runner_.RunAvi(job_), kResultOk);
    EXPECT_EQ(host_.opened, std::vector<std::string>{job_.outputPath});
}

}  // namespace
