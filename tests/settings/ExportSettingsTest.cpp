#include <gtest/gtest.h>

#include "audio/WaveFormat.h"
#include "resources/ResultCode.h"
#include "settings/AviExportSettings.h"
#include "settings/AviExportTask.h"
#include "settings/ImageSequenceSettings.h"
#include "settings/ImageSequenceTask.h"
#include "settings/OfferedSettings.h"
#include "settings/OutputKind.h"
#include "settings/SequenceMode.h"

namespace {

using namespace settings;

convert::MovieHeader Movie(int32_t width, int32_t height, int32_t frameCount, double frameRate) {
    convert::MovieHeader movie;
    movie.width = width;
    movie.height = height;
    movie.frameCount = frameCount;
    movie.frameRate = frameRate;
    return movie;
}

TEST(ExportSettings, AviRecordStartsFromItsDefaults) {
    const AviExportSettings avi;
    EXPECT_EQ(avi.startFrame, 0);
    EXPECT_EQ(avi.endFrame, 0);
    EXPECT_EQ(avi.frameRate100, 0);
    EXPECT_EQ(avi.sequenceMode, SequenceMode::Normal);
    EXPECT_EQ(avi.colorDepth, 24);
    EXPECT_EQ(avi.splitSizeMB, 2000);
    EXPECT_EQ(avi.keepAspectRatio, 1);
    EXPECT_EQ(avi.useOriginalSize, 1);
    EXPECT_EQ(avi.playAfterCreating, 0);
    EXPECT_EQ(avi.audioEnabled, 1);
    EXPECT_EQ(avi.wavePath, "");
    EXPECT_EQ(avi.audioSource(), AudioSource::RecordFromMovie);
}

TEST(ExportSettings, ImageRecordStartsFromItsDefaults) {
    const ImageSequenceSettings image;
    EXPECT_EQ(image.startFrame, 0);
    EXPECT_EQ(image.endFrame, 0);
    EXPECT_EQ(image.sequenceMode, SequenceMode::Normal);
    EXPECT_EQ(image.colorDepth, 24);
    EXPECT_EQ(image.keepAspectRatio, 1);
    EXPECT_EQ(image.useOriginalSize, 1);
}

TEST(ExportSettings, DefaultAudioFormatIsNormalisedPcm) {
    const audio::WaveFormat format = DefaultAudioFormat();
    EXPECT_EQ(format.formatTag, audio::kWaveFormatPcm);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.samplesPerSec, 44100u);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(format.blockAlign, 4);
    EXPECT_EQ(format.avgBytesPerSec, 176400u);
    EXPECT_EQ(format.extraSize, 0);
    EXPECT_EQ(audio::NormalizePcm(format), format);
}

TEST(ExportSettings, NormalisingPcmDerivesBlockAlignAndByteRate) {
    audio::WaveFormat mono8;
    mono8.channels = 1;
    mono8.samplesPerSec = 22050;
    mono8.bitsPerSample = 8;
    mono8.blockAlign = 9;
    mono8.avgBytesPerSec = 1;
    mono8.extraSize = 22;
    const audio::WaveFormat normal = audio::NormalizePcm(mono8);
    EXPECT_EQ(normal.blockAlign, 1);
    EXPECT_EQ(normal.avgBytesPerSec, 22050u);
    EXPECT_EQ(normal.extraSize, 0);

    audio::WaveFormat adpcm = mono8;
    adpcm.formatTag = 2;
    EXPECT_EQ(audio::NormalizePcm(adpcm), adpcm);
}

TEST(ExportSettings, AudioSourceFollowsEnabledFlagAndPath) {
    AviExportSettings avi;
    avi.SetAudioSource(AudioSource::WaveFile, "/music/theme.wav");
    EXPECT_EQ(avi.audioEnabled, 1);
    EXPECT_EQ(avi.wavePath, "/music/theme.wav");
    EXPECT_EQ(avi.audioSource(), AudioSource::WaveFile);

    avi.SetAudioSource(AudioSource::None, "/ignored.wav");
    EXPECT_EQ(avi.audioEnabled, 0);
    EXPECT_EQ(avi.wavePath, "");
    EXPECT_EQ(avi.audioSource(), AudioSource::None);

    avi.wavePath = "/left/over.wav";
    EXPECT_EQ(avi.audioSource(), AudioSource::None);
    avi.SetAudioSource(AudioSource::RecordFromMovie);
    EXPECT_EQ(avi.audioEnabled, 1);
    EXPECT_EQ(avi.wavePath, "");
    EXPECT_EQ(avi.audioSource(), AudioSource::RecordFromMovie);
}

TEST(OfferedSettings, FrameRateIsTruncatedToHundredths) {
    EXPECT_EQ(FrameRate100(29.96875), 2996);
    EXPECT_EQ(FrameRate100(12.0), 1200);
    EXPECT_EQ(FrameRate100(29.5), 2950);
    EXPECT_EQ(FrameRate100(255.99609375), 25599);
    EXPECT_EQ(FrameRate100(0.00390625), 0);
    EXPECT_EQ(FrameRate100(0.0), 0);
}

TEST(OfferedSettings, AviOfferCoversTheWholeMovieAndKeepsTheUsersChoices) {
    AviExportSettings avi;
    avi.sequenceMode = SequenceMode::FrameByFrame;
    avi.colorDepth = 32;
    avi.splitSizeMB = 700;
    avi.SetAudioSource(AudioSource::WaveFile, "/a.wav");
    avi.startFrame = 9;

    OfferFor(avi, Movie(550, 400, 120, 29.96875), {550, 400, true});
    EXPECT_EQ(avi.startFrame, 0);
    EXPECT_EQ(avi.endFrame, 119);
    EXPECT_EQ(avi.frameRate100, 2996);
    EXPECT_EQ(avi.width, 550);
    EXPECT_EQ(avi.height, 400);
    EXPECT_EQ(avi.keepAspectRatio, 1);
    EXPECT_EQ(avi.useOriginalSize, 1);
    EXPECT_EQ(avi.sequenceMode, SequenceMode::FrameByFrame);
    EXPECT_EQ(avi.colorDepth, 32);
    EXPECT_EQ(avi.splitSizeMB, 700);
    EXPECT_EQ(avi.wavePath, "/a.wav");

    OfferFor(avi, Movie(550, 400, 1, 12.0), {640, 400, false});
    EXPECT_EQ(avi.startFrame, 0);
    EXPECT_EQ(avi.endFrame, 0);
    EXPECT_EQ(avi.frameRate100, 1200);
    EXPECT_EQ(avi.width, 640);
    EXPECT_EQ(avi.keepAspectRatio, 0);
    EXPECT_EQ(avi.useOriginalSize, 0);
}

TEST(OfferedSettings, ImageOfferUsesThePlayerAreaSize) {
    ImageSequenceSettings image;
    OfferFor(image, Movie(320, 240, 50, 24.0), {320, 241, true});
    EXPECT_EQ(image.endFrame, 49);
    EXPECT_EQ(image.width, 320);
    EXPECT_EQ(image.height, 241);
    EXPECT_EQ(image.useOriginalSize, 0);
    OfferFor(image, Movie(320, 240, 50, 24.0), {320, 240, true});
    EXPECT_EQ(image.useOriginalSize, 1);
}

TEST(ExportTask, AviTaskTakesTheTemplateOverItsOwnMovie) {
    AviExportSettings tmpl;
    tmpl.startFrame = 5;
    tmpl.endFrame = 6;
    tmpl.frameRate100 = 1500;
    tmpl.colorDepth = 32;
    tmpl.splitSizeMB = 100;
    tmpl.width = 320;
    tmpl.height = 200;
    audio::WaveFormat mono = DefaultAudioFormat();
    mono.channels = 1;
    mono = audio::NormalizePcm(mono);
    convert::CompressorSettings chosen = convert::DefaultCompressorSettings();
    chosen.fccHandler = convert::MakeFourCC('F', 'F', 'V', '1');
    chosen.lpState = {1, 2, 3};

    const AviExportTask task(Movie(550, 400, 300, 29.96875), "in.swf", "out.avi", tmpl, mono,
                             &chosen);
    EXPECT_EQ(task.kind, OutputKind::Avi);
    EXPECT_EQ(task.result, kResultAbort);
    EXPECT_EQ(task.lastFrame, -1);
    EXPECT_EQ(task.sourcePath, "in.swf");
    EXPECT_EQ(task.outputPath, "out.avi");
    EXPECT_EQ(task.movie.frameCount, 300);
    EXPECT_EQ(task.settings.startFrame, 0);
    EXPECT_EQ(task.settings.endFrame, 299);
    EXPECT_EQ(task.settings.frameRate100, 2996);
    EXPECT_EQ(task.settings.colorDepth, 32);
    EXPECT_EQ(task.settings.splitSizeMB, 100);
    EXPECT_EQ(task.settings.width, 320);
    EXPECT_EQ(task.audioFormat, mono);
    ASSERT_NE(task.compressor, nullptr);
    EXPECT_EQ(task.compressor->fccHandler, chosen.fccHandler);
    EXPECT_EQ(task.compressor->lKey, chosen.lKey);
    EXPECT_TRUE(task.compressor->lpState.empty());
}

TEST(ExportTask, AviTaskWithoutACompressorTemplateGetsTheDefault) {
    const AviExportTask task(Movie(10, 10, 3, 12.0), "a.swf", "a.avi", AviExportSettings(),
                             DefaultAudioFormat(), nullptr);
    ASSERT_NE(task.compressor, nullptr);
    EXPECT_EQ(task.compressor->fccHandler, convert::kFourCCDib);
    EXPECT_EQ(task.compressor->lKey, 15);
    EXPECT_EQ(task.settings.endFrame, 2);
    EXPECT_EQ(task.settings.frameRate100, 1200);
}

TEST(ExportTask, ImageTaskTakesTheTemplateOverItsOwnMovie) {
    ImageSequenceSettings tmpl;
    tmpl.endFrame = 99;
    tmpl.sequenceMode = SequenceMode::SkipBackward;
    const ImageSequenceTask task(OutputKind::Png, Movie(100, 100, 7, 12.0), "b.swf", "b.png", tmpl);
    EXPECT_EQ(task.kind, OutputKind::Png);
    EXPECT_TRUE(IsImageSequence(task.kind));
    EXPECT_EQ(task.result, kResultAbort);
    EXPECT_EQ(task.lastFrame, -1);
    EXPECT_EQ(task.settings.startFrame, 0);
    EXPECT_EQ(task.settings.endFrame, 6);
    EXPECT_EQ(task.settings.sequenceMode, SequenceMode::SkipBackward);
}

TEST(ExportSettings, OnlyKindsAboveTenAreImageSequences) {
    EXPECT_FALSE(IsImageSequence(OutputKind::Avi));
    EXPECT_TRUE(IsImageSequence(OutputKind::Tga));
    EXPECT_TRUE(IsImageSequence(OutputKind::Png));
    EXPECT_STREQ(OutputKindLabel(OutputKind::Tga), "TGA");
}

TEST(ExportSettings, UnknownSequenceModesReadAsNormal) {
    EXPECT_STREQ(SequenceModeSummary(SequenceMode::SkipBackward), "skip backward frame");
    EXPECT_STREQ(SequenceModeSummary(SequenceMode::FrameByFrame), "frame by frame");
    EXPECT_STREQ(SequenceModeSummary(static_cast<SequenceMode>(7)), "normal");
    EXPECT_STREQ(SequenceModeSummary(static_cast<SequenceMode>(-1)), "normal");
    EXPECT_STREQ(SequenceModeLabel(static_cast<SequenceMode>(3)), "Normal");
    EXPECT_STREQ(SequenceModeLabel(SequenceMode::SkipBackward),
                 "Skip \"goto backward frame\" in main timeline");
}

}  // namespace
