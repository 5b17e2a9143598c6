#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "convert/VideoEncoder.h"
#include "convert/run/BatchReport.h"
#include "convert/run/ConversionRunner.h"
#include "convert/run/MovieCopies.h"
#include "resources/ResultCode.h"
#include "resources/StringTable.h"
#include "run/RunFixture.h"
#include "run/RunTestFiles.h"
#include "run/RunTestHost.h"
#include "settings/ExportChecks.h"

namespace {

class AviRun : public runtest::RunFixture {
  protected:
    void OpenMovie(const runtest::ColourMovie& movie) {
        ASSERT_NO_FATAL_FAILURE(OpenColourMovie(movie));
        host_.mix.SetFrameRate(movie.frameRate);
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

    // The recording phase on ticks given as fast as the engine plays, then the AVI run.
    int32_t RecordAndRun() {
        int32_t result = runner_.StartAviExport(job_);
        for (int tick = 0; Succeeded(result) && runner_.recording(); ++tick) {
            if (tick > 100000) return kResultFail;
            if (auto ended = runner_.OnRecordingTick()) result = *ended;
        }
        return result;
    }

    const std::string recording_ = scratch_.File("recording.wav");
    convert::ConversionRunner runner_{host_, copies_, recording_};
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

TEST_F(AviRun, TheMoviesSoundIsRecordedToTheLengthOfTheFrames) {
    OpenMovie(runtest::Movie(6));
    Frames(0, 5);
    job_.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    EXPECT_EQ(RecordAndRun(), kResultOk);
    // 44100 samples a second of 4 bytes, at 12 frames per second: 14700 bytes a frame.
    EXPECT_EQ(runtest::AudioBytes(job_.outputPath), 6u * 14700);
    EXPECT_EQ(runtest::ProbeField(job_.outputPath, "video", "nb_read_frames"), "6");
    EXPECT_FALSE(std::filesystem::exists(recording_));
    EXPECT_FALSE(runner_.recording());
    EXPECT_EQ(runner_.lastFrameReached(), 5);
}

TEST_F(AviRun, ARecordingFromALaterStartFrameTakesOnlyItsSound) {
    OpenMovie(runtest::Movie(8));
    Frames(2, 7);
    job_.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    EXPECT_EQ(RecordAndRun(), kResultOk);
    EXPECT_EQ(runtest::AudioBytes(job_.outputPath), 6u * 14700);
    EXPECT_EQ(runtest::ProbeField(job_.outputPath, "video", "nb_read_frames"), "6");
}

TEST_F(AviRun, FinishBeforeAnySoundEndsTheRecordingAsAFailure) {
    OpenMovie(runtest::Movie(6));
    Frames(0, 5);
    job_.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    ASSERT_EQ(runner_.StartAviExport(job_), kResultOk);
    ASSERT_TRUE(runner_.recording());
    host_.progress.OnFinish();
    const std::optional<int32_t> result = runner_.OnRecordingTick();
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, kResultFail);
    EXPECT_FALSE(std::filesystem::exists(job_.outputPath));
    EXPECT_EQ(runner_.lastFrameReached(), -1);
    EXPECT_EQ(host_.locks.back(), true);
}

TEST_F(AviRun, WhileAQuestionIsOpenTheMovieStandsStillAndFinishEndsTheSoundThere) {
    OpenMovie(runtest::Movie(6));
    Frames(0, 999);
    job_.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    ASSERT_EQ(runner_.StartAviExport(job_), kResultOk);
    // 640 frames of 14700 bytes fill exactly 147 buffers of 64000.
    for (int tick = 0; tick < 640; ++tick) ASSERT_FALSE(runner_.OnRecordingTick());
    const int ticksBefore = host_.ticks;
    host_.progress.whileAsking = [&] {
        for (int tick = 0; tick < 30; ++tick) {
            host_.mix.MixFrame();  // a live source goes on recording meanwhile
            EXPECT_FALSE(runner_.OnRecordingTick());
        }
    };
    host_.progress.OnFinish();
    EXPECT_EQ(host_.ticks, ticksBefore);
    host_.progress.whileAsking = nullptr;
    EXPECT_EQ(runner_.OnRecordingTick(), std::optional<int32_t>(kResultOk));
    EXPECT_EQ(runtest::ProbeField(job_.outputPath, "video", "nb_read_frames"), "640");
    EXPECT_EQ(runtest::AudioBytes(job_.outputPath), 640u * 14700);
    EXPECT_EQ(runner_.lastFrameReached(), 639);
}

TEST_F(AviRun, CancelDuringTheRecordingRemovesTheSound) {
    OpenMovie(runtest::Movie(6));
    Frames(0, 5);
    job_.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    ASSERT_EQ(runner_.StartAviExport(job_), kResultOk);
    for (int tick = 0; tick < 5; ++tick) EXPECT_FALSE(runner_.OnRecordingTick());
    host_.progress.OnCancel();
    EXPECT_EQ(runner_.OnRecordingTick(), std::optional<int32_t>(kResultAbort));
    EXPECT_FALSE(std::filesystem::exists(recording_));
    EXPECT_FALSE(std::filesystem::exists(job_.outputPath));
    EXPECT_FALSE(host_.player.IsPlaying());
}

TEST_F(AviRun, ARecordingTheDiskCannotHoldIsRefused) {
    OpenMovie(runtest::Movie(6));
    Frames(0, 5);
    job_.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    runner_.SetFreeSpaceQuery([](const std::filesystem::path&) { return uint64_t{6 * 14700}; });
    EXPECT_EQ(runner_.StartAviExport(job_), kResultFail);
    EXPECT_EQ(host_.messages, std::vector<int>{resources::kStrDiskSpaceNotEnough});
    EXPECT_FALSE(runner_.recording());
    EXPECT_EQ(host_.locks, (std::vector<bool>{false, true}));
}

class RecordingBatch : public convert::BatchReport {
  public:
    bool HasFurtherTasks() const override { return further; }
    void PostNextTask(int32_t result, bool stopRemaining) override {
        posted.push_back({result, stopRemaining});
    }

    bool further = true;
    std::vector<std::pair<int32_t, bool>> posted;
};

TEST_F(AviRun, ARecordingInABatchReportsItsResultAndOpensNothing) {
    OpenMovie(runtest::Movie(6));
    Frames(0, 5);
    job_.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    job_.settings.playAfterCreating = 1;
    RecordingBatch batch;
    runner_.SetBatch(&batch);
    EXPECT_EQ(RecordAndRun(), kResultOk);
    EXPECT_EQ(batch.posted, (std::vector<std::pair<int32_t, bool>>{{kResultOk, false}}));
    EXPECT_TRUE(host_.opened.empty());
    EXPECT_TRUE(host_.questions.empty());
}

TEST_F(AviRun, ACancelledRecordingInABatchAsksWhetherToStopTheRest) {
    OpenMovie(runtest::Movie(6));
    Frames(0, 5);
    job_.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    RecordingBatch batch;
    runner_.SetBatch(&batch);
    ASSERT_EQ(runner_.StartAviExport(job_), kResultOk);
    host_.progress.OnCancel();
    EXPECT_EQ(runner_.OnRecordingTick(), std::optional<int32_t>(kResultAbort));
    EXPECT_EQ(host_.questions, std::vector<int>{resources::kStrCancelRemainingBatchTasks});
    EXPECT_EQ(batch.posted, (std::vector<std::pair<int32_t, bool>>{{kResultAbort, true}}));

    // With no task left nobody is asked, and the batch ends.
    batch.further = false;
    batch.posted.clear();
    host_.questions.clear();
    ASSERT_EQ(runner_.StartAviExport(job_), kResultOk);
    host_.progress.OnCancel();
    EXPECT_EQ(runner_.OnRecordingTick(), std::optional<int32_t>(kResultAbort));
    EXPECT_TRUE(host_.questions.empty());
    EXPECT_EQ(batch.posted, (std::vector<std::pair<int32_t, bool>>{{kResultAbort, true}}));
}

}  // namespace
