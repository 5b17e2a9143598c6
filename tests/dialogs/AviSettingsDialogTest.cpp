#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>

#include "DialogTestSupport.h"
#include "audio/LoopbackMixer.h"
#include "audio/RecordingVolume.h"
#include "convert/VideoEncoder.h"
#include "resources/StringTable.h"
#include "settings/dialogs/AudioFormatDialog.h"
#include "settings/dialogs/AviSettingsDialog.h"
#include "settings/dialogs/CompressorDialog.h"

namespace {

using dialogtest::Click;
using dialogtest::Find;
using dialogtest::Text;
using dialogtest::Type;
using settings::AviExportSettings;
using settings::AviSettingsDialog;
using settings::DialogOrigin;

constexpr settings::PixelSize kMovie{550, 400};

AviExportSettings Offered() {
    AviExportSettings offered;
    offered.startFrame = 0;
    offered.endFrame = 99;
    offered.frameRate100 = 1200;
    offered.width = 320;
    offered.height = 240;
    offered.useOriginalSize = 0;
    offered.audioEnabled = 0;
    return offered;
}

class AviDialog : public testing::Test {
  protected:
    std::unique_ptr<AviSettingsDialog> Open(const AviExportSettings& settings,
                                            DialogOrigin origin = DialogOrigin::Command,
                                            const audio::MixerOpener& mixer = {}) {
        auto dialog = std::make_unique<AviSettingsDialog>(settings, kMovie, compressor_,
                                                          audioFormat_, origin, mixer);
        dialog->SetShowMessage(messages_.Recorder());
        return dialog;
    }

    static bool Accepted(const AviSettingsDialog& dialog) {
        return dialog.result() == QDialog::Accepted;
    }

    convert::CompressorSettings compressor_ = convert::DefaultCompressorSettings();
    audio::WaveFormat audioFormat_;
    dialogtest::MessageLog messages_;
};

TEST_F(AviDialog, OkRunsTheChecksInOrderAndStaysOpenUntilAllPass) {
    QTemporaryDir folder;
    const std::string wave = (folder.path() + "/sound.wav").toStdString();
    AviExportSettings settings = Offered();
    settings.SetAudioSource(settings::AudioSource::WaveFile, wave);
    settings.startFrame = 5;
    settings.endFrame = 4;
    settings.frameRate100 = 0;
    compressor_.fccHandler = 0;  // names no compressor
    auto dialog = Open(settings);
    EXPECT_EQ(Find<QLabel>(*dialog, "compressorName")->text(), "");

    Click(*dialog, "ok");
    EXPECT_EQ(messages_.TakeIds(), std::vector<int>{131});
    EXPECT_FALSE(Accepted(*dialog));

    dialogtest::AnswerNextModal<settings::CompressorDialog>(
        [](settings::CompressorDialog& chooser) { chooser.accept(); });
    Click(*dialog, "selectCompressor");
    EXPECT_EQ(compressor_.fccHandler, convert::kFourCCDib);  // the first one offered
    EXPECT_EQ(Find<QLabel>(*dialog, "compressorName")->text(), " Uncompressed");

    Click(*dialog, "ok");
    EXPECT_EQ(messages_.TakeIds(), std::vector<int>{130});

    QFile notWave(QString::fromStdString(wave));
    ASSERT_TRUE(notWave.open(QIODevice::WriteOnly));
    notWave.write("not a RIFF file at all");
    notWave.close();
    Click(*dialog, "ok");
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Invalid wav file.");
    EXPECT_EQ(messages_.shown[0].icon, settings::MessageIcon::Error);
    messages_.shown.clear();

    Click(*dialog, "audioNone");
    Click(*dialog, "ok");
    EXPECT_EQ(messages_.TakeIds(), std::vector<int>{135});

    Type(*dialog, "endFrame", "5");  // a range of one frame passes
    Click(*dialog, "ok");
    EXPECT_EQ(messages_.TakeIds(), std::vector<int>{136});
    Type(*dialog, "frameRate", "");
    Click(*dialog, "ok");
    EXPECT_EQ(messages_.TakeIds(), std::vector<int>{136});
    EXPECT_FALSE(Accepted(*dialog));
    EXPECT_EQ(dialog->Settings(), settings);  // nothing is copied out before OK passes

    Type(*dialog, "frameRate", "2997");
    Click(*dialog, "ok");
    EXPECT_TRUE(messages_.shown.empty());
    ASSERT_TRUE(Accepted(*dialog));
    EXPECT_EQ(dialog->Settings().frameRate100, 2997);
    EXPECT_EQ(dialog->Settings().audioEnabled, 0);
    EXPECT_EQ(dialog->Settings().wavePath, "");  // a source other than the file drops its path
}

TEST_F(AviDialog, ASplitSizeAboveTheLimitIsSetBackWhenTheBoxLosesFocus) {
    auto dialog = Open(Offered());
    auto* split = Find<QLineEdit>(*dialog, "splitSize");
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);

    split->setText("2000");
    QApplication::sendEvent(split, &focusOut);
    EXPECT_TRUE(messages_.shown.empty());

    split->setText("2500");
    QApplication::sendEvent(split, &focusOut);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].stringId, 143);
    EXPECT_EQ(messages_.shown[0].text, "File size cannot exceed 2000 MB.");
    EXPECT_EQ(messages_.shown[0].icon, settings::MessageIcon::Information);
    EXPECT_EQ(split->text(), "2000");
    QApplication::processEvents();
    EXPECT_EQ(split->selectedText(), "2000");
}

TEST_F(AviDialog, ASplitSizeConfirmedWithoutLeavingTheBoxIsStillHeldToTheLimit) {
    auto dialog = Open(Offered());
    Type(*dialog, "splitSize", "4000");
    Click(*dialog, "ok");
    ASSERT_TRUE(Accepted(*dialog));
    EXPECT_EQ(dialog->Settings().splitSizeMB, 2000);
}

TEST_F(AviDialog, UseOriginalDocSizeShowsTheMovieSizeInDisabledBoxes) {
    auto dialog = Open(Offered());
    auto* width = Find<QLineEdit>(*dialog, "width");
    auto* height = Find<QLineEdit>(*dialog, "height");
    EXPECT_EQ(width->text(), "320");
    EXPECT_TRUE(width->isEnabled());

    Type(*dialog, "width", "1000");
    Click(*dialog, "useOriginalSize");
    EXPECT_EQ(width->text(), "550");
    EXPECT_EQ(height->text(), "400");
    EXPECT_FALSE(width->isEnabled());
    EXPECT_FALSE(height->isEnabled());

    Click(*dialog, "useOriginalSize");  // back to the size the dialog was opened with
    EXPECT_EQ(width->text(), "320");
    EXPECT_TRUE(height->isEnabled());

    Click(*dialog, "useOriginalSize");
    Click(*dialog, "ok");
    ASSERT_TRUE(Accepted(*dialog));
    EXPECT_EQ(dialog->Settings().width, 550);
    EXPECT_EQ(dialog->Settings().height, 400);
    EXPECT_EQ(dialog->Settings().useOriginalSize, 1);
}

TEST_F(AviDialog, TheThreeRadioGroupsAreIndependent) {
    AviExportSettings settings = Offered();
    settings.sequenceMode = settings::SequenceMode::SkipBackward;
    auto dialog = Open(settings);
    auto checked = [&](const char* name) { return Find<QRadioButton>(*dialog, name)->isChecked(); };
    EXPECT_TRUE(checked("sequenceSkipBackward"));
    EXPECT_TRUE(checked("depth24"));
    EXPECT_TRUE(checked("audioNone"));

    Click(*dialog, "depth32");
    Click(*dialog, "audioRecord");
    Click(*dialog, "sequenceFrameByFrame");
    EXPECT_TRUE(checked("depth32"));
    EXPECT_TRUE(checked("audioRecord"));
    EXPECT_TRUE(checked("sequenceFrameByFrame"));
    EXPECT_FALSE(checked("depth24"));
    EXPECT_FALSE(checked("audioNone"));
    EXPECT_FALSE(checked("sequenceSkipBackward"));

    Click(*dialog, "ok");
    ASSERT_TRUE(Accepted(*dialog));
    EXPECT_EQ(dialog->Settings().sequenceMode, settings::SequenceMode::FrameByFrame);
    EXPECT_EQ(dialog->Settings().colorDepth, 32);
    EXPECT_EQ(dialog->Settings().audioSource(), settings::AudioSource::RecordFromMovie);
}

TEST_F(AviDialog, ACompressorChosenStaysWhenTheDialogIsCancelledAndTheSettingsDoNot) {
    const auto compressors = convert::AvailableVideoCompressors();
    if (compressors.size() < 2) GTEST_SKIP() << "no encoder in this build";
    const AviExportSettings settings = Offered();
    auto dialog = Open(settings);
    Click(*dialog, "sequenceFrameByFrame");
    Click(*dialog, "depth32");
    Type(*dialog, "startFrame", "7");

    dialogtest::AnswerNextModal<settings::CompressorDialog>(
        [](settings::CompressorDialog& chooser) {
            auto* list = Find<QComboBox>(chooser, "compressor");
            list->setCurrentIndex(1);
            Find<QCheckBox>(chooser, "keyFrames")->setChecked(false);
            chooser.accept();
        });
    Click(*dialog, "selectCompressor");
    Click(*dialog, "cancel");

    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(dialog->Settings(), settings);
    EXPECT_NE(compressor_.fccHandler, convert::kFourCCDib);
    ASSERT_NE(compressor_.hic, nullptr);
    EXPECT_EQ(compressor_.hic->fourcc, compressor_.fccHandler);
    EXPECT_EQ(compressor_.lKey, 0);
    EXPECT_EQ(compressor_.lDataRate, 300);
    EXPECT_EQ(compressor_.lQ, convert::kDefaultQuality);
}

TEST_F(AviDialog, OkCopiesEveryValueOut) {
    auto dialog = Open(Offered());
    Type(*dialog, "startFrame", "3");
    Type(*dialog, "endFrame", "42");
    Type(*dialog, "frameRate", "2500");
    Type(*dialog, "width", "640");
    Type(*dialog, "height", "360");
    Type(*dialog, "splitSize", "700");
    Click(*dialog, "keepAspectRatio");
    Click(*dialog, "playAfterCreating");
    Click(*dialog, "sequenceSkipBackward");
    Click(*dialog, "ok");
    ASSERT_TRUE(Accepted(*dialog));

    AviExportSettings expected = Offered();
    expected.startFrame = 3;
    expected.endFrame = 42;
    expected.frameRate100 = 2500;
    expected.width = 640;
    expected.height = 360;
    expected.splitSizeMB = 700;
    expected.keepAspectRatio = 0;
    expected.playAfterCreating = 1;
    expected.sequenceMode = settings::SequenceMode::SkipBackward;
    EXPECT_EQ(dialog->Settings(), expected);
}

TEST_F(AviDialog, RecordingFromTheMovieRestoresItsFrameRateAndLocksTheBox) {
    AviExportSettings settings = Offered();
    settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    auto dialog = Open(settings);
    auto* rate = Find<QLineEdit>(*dialog, "frameRate");
    EXPECT_FALSE(rate->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(*dialog, "selectAudioFormat")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(*dialog, "browseWave")->isEnabled());

    Click(*dialog, "audioNone");
    EXPECT_TRUE(rate->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(*dialog, "selectAudioFormat")->isEnabled());
    rate->setText("3000");
    Click(*dialog, "audioWaveFile");
    EXPECT_EQ(rate->text(), "3000");
    EXPECT_TRUE(Find<QPushButton>(*dialog, "browseWave")->isEnabled());
    Click(*dialog, "audioRecord");
    EXPECT_EQ(rate->text(), "1200");
    EXPECT_FALSE(rate->isEnabled());
}

TEST_F(AviDialog, FromTheBatchNothingIsPlayedAfterCreating) {
    AviExportSettings settings = Offered();
    settings.playAfterCreating = 1;
    auto dialog = Open(settings, DialogOrigin::Batch);
    EXPECT_TRUE(Find<QCheckBox>(*dialog, "playAfterCreating")->isHidden());
    Click(*dialog, "ok");
    ASSERT_TRUE(Accepted(*dialog));
    EXPECT_EQ(dialog->Settings().playAfterCreating, 0);
}

TEST_F(AviDialog, TheAudioFormatChosenIsDescribedAndACancelledChoiceChangesNothing) {
    AviExportSettings settings = Offered();
    settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    auto dialog = Open(settings);
    auto* text = Find<QLabel>(*dialog, "audioFormat");
    EXPECT_EQ(text->text(), " PCM: 44.100 kHz, 16 Bit, Stereo");

    const audio::WaveFormat before = audioFormat_;
    dialogtest::AnswerNextModal<settings::AudioFormatDialog>(
        [](settings::AudioFormatDialog& chooser) {
            Find<QComboBox>(chooser, "formats")->setCurrentIndex(0);
            chooser.reject();
        });
    Click(*dialog, "selectAudioFormat");
    EXPECT_EQ(audioFormat_, before);

    dialogtest::AnswerNextModal<settings::AudioFormatDialog>(
        [](settings::AudioFormatDialog& chooser) {
            // Opens on the current format.
            EXPECT_EQ(chooser.Chosen(), audio::WaveFormat{});
            Find<QComboBox>(chooser, "formats")->setCurrentIndex(1);
            chooser.accept();
        });
    Click(*dialog, "selectAudioFormat");
    EXPECT_EQ(audioFormat_, audio::NormalizePcm({1, 2, 8000, 0, 0, 8, 0}));
    EXPECT_EQ(text->text(), " PCM: 8.000 kHz, 8 Bit, Stereo");
}

TEST_F(AviDialog, TheVolumeTrackBarSetsTheLoopbackGainWhileRecordingIsTheSource) {
    audio::RecordingVolume mix;
    const audio::MixerOpener loopback = [&mix](audio::Mixer::ControlChanged changed) {
        return std::make_unique<audio::LoopbackMixer>(mix, std::move(changed));
    };
    auto dialog = Open(Offered(), DialogOrigin::Command, loopback);
    auto* volume = Find<QSlider>(*dialog, "recordingVolume");
    EXPECT_EQ(volume->maximum(), 255);
    EXPECT_EQ(volume->value(), 255);
    EXPECT_FALSE(volume->isEnabled());  // "None" is the source

    Click(*dialog, "audioRecord");
    EXPECT_TRUE(volume->isEnabled());
    volume->setValue(51);
    EXPECT_DOUBLE_EQ(mix.Gain(), 51 / 255.0);

    auto withoutMixer = Open(Offered());
    Click(*withoutMixer, "audioRecord");
    EXPECT_FALSE(Find<QSlider>(*withoutMixer, "recordingVolume")->isEnabled());
}

}  // namespace
