#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <functional>

#include "DialogTestSupport.h"
#include "audio/WavFile.h"
#include "settings/dialogs/VideoSettingsDialog.h"

namespace {

using dialogtest::Click;
using dialogtest::Find;
using dialogtest::Type;
using settings::AudioCodec;
using settings::AudioSource;
using settings::VideoCodec;
using settings::VideoContainer;
using settings::VideoExportSettings;
using settings::VideoSettingsDialog;

constexpr settings::PixelSize kMovie{550, 400};

VideoExportSettings Offered() {
    VideoExportSettings offered;
    settings::SetContainer(offered, VideoContainer::Mp4);
    offered.endFrame = 49;
    offered.frameRate100 = 1200;
    offered.width = 320;
    offered.height = 240;
    offered.useOriginalSize = 0;
    offered.audioEnabled = 0;
    return offered;
}

void Choose(const VideoSettingsDialog& dialog, const char* combo, const char* item) {
    if (auto* box = Find<QComboBox>(dialog, combo)) {
        const int row = box->findText(QString::fromUtf8(item));
        ASSERT_GE(row, 0) << item;
        box->setCurrentIndex(row);
    }
}

std::string WriteWave(const QTemporaryDir& folder) {
    const std::string path = (folder.path() + "/sound.wav").toStdString();
    const audio::WaveFormat format = settings::DefaultAudioFormat();
    audio::WavFile wave;
    EXPECT_GE(wave.Open(path, audio::WavFile::WriteMode, &format), 0);
    const std::vector<uint8_t> silence(format.avgBytesPerSec / 10, 0);
    EXPECT_GE(wave.Write(silence.data(), static_cast<uint32_t>(silence.size())), 0);
    EXPECT_GE(wave.Close(), 0);
    return path;
}

TEST(VideoDialog, SettingsInEditsAndSettingsOutOrTheRefusalShown) {
    QTemporaryDir folder;
    const std::string wave = WriteWave(folder);
    struct Case {
        const char* what;
        VideoExportSettings in;
        const char* output;
        std::function<void(const VideoSettingsDialog&)> edit;
        std::function<void(VideoExportSettings&)> expect;  // from `in`; null: refused
        const char* refusal = "";                          // the start of the message shown
    };
    auto with = [](std::function<void(VideoExportSettings&)> change) {
        VideoExportSettings settings = Offered();
        change(settings);
        return settings;
    };
    const std::vector<Case> cases = {
        {"as offered", Offered(), "/out/movie.mp4", {}, [](VideoExportSettings&) {}},
        {"a .WebM name brings VP9 and Opus",
         Offered(),
         "/out/movie.WebM",
         {},
         [](VideoExportSettings& s) {
             s.container = VideoContainer::WebM;
             s.videoCodec = VideoCodec::Vp9;
             s.audioCodec = AudioCodec::Opus;
         }},
        {"typed values", Offered(), "/out/movie.mkv",
         [](const VideoSettingsDialog& d) {
             Type(d, "startFrame", "5");
             Type(d, "endFrame", "20");
             Type(d, "frameRate", "2500");
             Choose(d, "videoCodec", "hevc");
             Type(d, "quality", "28");
             Click(d, "sequenceFrameByFrame");
             Click(d, "keepAspectRatio");
             Type(d, "width", "640");
         },
         [](VideoExportSettings& s) {
             settings::SetContainer(s, VideoContainer::Mkv);
             s.startFrame = 5;
             s.endFrame = 20;
             s.frameRate100 = 2500;
             s.videoCodec = VideoCodec::Hevc;
             s.crf = 28;
             s.sequenceMode = settings::SequenceMode::FrameByFrame;
             s.keepAspectRatio = 0;
             s.width = 640;
         }},
        {"the movie's own size", Offered(), "/out/movie.mp4",
         [](const VideoSettingsDialog& d) { Click(d, "useOriginalSize"); },
         [](VideoExportSettings& s) {
             s.width = 550;
             s.height = 400;
             s.useOriginalSize = 1;
         }},
        {"transparency in WebM", Offered(), "/out/movie.webm",
         [](const VideoSettingsDialog& d) { Click(d, "depth32"); },
         [](VideoExportSettings& s) {
             settings::SetContainer(s, VideoContainer::WebM);
             s.colorDepth = 32;
         }},
        {"the movie's sound puts back the opened rate", Offered(), "/out/movie.mp4",
         [](const VideoSettingsDialog& d) {
             Type(d, "frameRate", "999");
             Click(d, "audioRecord");
             EXPECT_EQ(dialogtest::Text(d, "frameRate"), "1200");
             EXPECT_FALSE(Find<QLineEdit>(d, "frameRate")->isEnabled());
         },
         [](VideoExportSettings& s) { s.audioEnabled = 1; }},
        {"a WAV file as FLAC",
         with([&](VideoExportSettings& s) { s.SetAudioSource(AudioSource::WaveFile, wave); }),
         "/out/movie.mkv",
         [](const VideoSettingsDialog& d) {
             EXPECT_EQ(dialogtest::Text(d, "wavePath").toStdString().substr(0, 1), " ");
             EXPECT_TRUE(Find<QComboBox>(d, "audioCodec")->isEnabled());
         },
         [&](VideoExportSettings& s) { settings::SetContainer(s, VideoContainer::Mkv); }},
        {"ProRes takes no quality", with([](VideoExportSettings& s) {
             settings::SetContainer(s, VideoContainer::Mov);
             s.crf = 20;
         }),
         "/out/movie.mov",
         [](const VideoSettingsDialog& d) {
             EXPECT_FALSE(Find<QLineEdit>(d, "quality")->isEnabled());
             EXPECT_EQ(Find<QLabel>(d, "qualityRange")->text(), "not used");
         },
         [](VideoExportSettings& s) { s.crf = -1; }},
        {"transparency in MP4",
         Offered(),
         "/out/movie.mp4",
         [](const VideoSettingsDialog& d) { Click(d, "depth32"); },
         {},
         "h264 has no transparency"},
        {"quality past the codec's range",
         Offered(),
         "/out/movie.mp4",
         [](const VideoSettingsDialog& d) { Type(d, "quality", "60"); },
         {},
         "--crf for h264 is 0 to 51"},
        {"H.264 in WebM",
         Offered(),
         "/out/movie.webm",
         [](const VideoSettingsDialog& d) { Choose(d, "videoCodec", "h264"); },
         {},
         "WebM cannot hold h264"},
        {"a GIF starts without sound",
         with([](VideoExportSettings& s) { s.audioEnabled = 1; }),
         "/out/movie.gif",
         {},
         [](VideoExportSettings& s) {
             settings::SetContainer(s, VideoContainer::Gif);
             s.audioEnabled = 0;
         }},
        {"sound chosen for a GIF",
         Offered(),
         "/out/movie.gif",
         [](const VideoSettingsDialog& d) { Click(d, "audioRecord"); },
         {},
         "a GIF holds no sound"},
        {"end before start",
         Offered(),
         "/out/movie.mp4",
         [](const VideoSettingsDialog& d) {
             Type(d, "startFrame", "9");
             Type(d, "endFrame", "3");
         },
         {},
         "The \"Start/End frame\" number is invalid."},
        {"no frame rate",
         Offered(),
         "/out/movie.mp4",
         [](const VideoSettingsDialog& d) { Type(d, "frameRate", "0"); },
         {},
         "The \"Frame rate\" is invalid."},
        {"a WAV source without its file",
         Offered(),
         "/out/movie.mp4",
         [](const VideoSettingsDialog& d) { Click(d, "audioWaveFile"); },
         {},
         "File not exists."},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VideoSettingsDialog dialog(c.in, kMovie, c.output);
        dialogtest::MessageLog messages;
        dialog.SetShowMessage(messages.Recorder());
        const VideoExportSettings opened = dialog.Settings();
        if (c.edit) c.edit(dialog);
        Click(dialog, "ok");
        if (c.expect) {
            VideoExportSettings expected = c.in;
            c.expect(expected);
            EXPECT_TRUE(messages.shown.empty())
                << (messages.shown.empty() ? "" : messages.shown[0].text);
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_TRUE(dialog.Settings() == expected);
            EXPECT_EQ(dialog.Settings().crf, expected.crf);
            EXPECT_EQ(dialog.Settings().videoCodec, expected.videoCodec);
        } else {
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].text.rfind(c.refusal, 0), 0u) << messages.shown[0].text;
            EXPECT_EQ(messages.shown[0].icon, settings::MessageIcon::Error);
            EXPECT_NE(dialog.result(), QDialog::Accepted);
            EXPECT_TRUE(dialog.Settings() == opened);
        }
    }
}

TEST(VideoDialog, ShowsTheContainerOfTheOutputAndEnablesTheSoundControlsBySource) {
    VideoExportSettings in = Offered();
    in.crf = 18;
    VideoSettingsDialog dialog(in, kMovie, "/out/clip.gif");
    EXPECT_EQ(Find<QLabel>(dialog, "container")->text(), " GIF (clip.gif)");
    EXPECT_EQ(Find<QComboBox>(dialog, "videoCodec")->currentText(), "gif");
    // A new container starts from its own defaults: the quality typed for MP4 goes.
    EXPECT_EQ(dialogtest::Text(dialog, "quality"), "");
    EXPECT_FALSE(Find<QComboBox>(dialog, "audioCodec")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(dialog, "wavePath")->isEnabled());

    Click(dialog, "audioWaveFile");
    EXPECT_TRUE(Find<QLineEdit>(dialog, "wavePath")->isEnabled());
    EXPECT_TRUE(Find<QComboBox>(dialog, "audioCodec")->isEnabled());
    EXPECT_TRUE(Find<QLineEdit>(dialog, "frameRate")->isEnabled());
    Click(dialog, "audioRecord");
    EXPECT_FALSE(Find<QLineEdit>(dialog, "wavePath")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(dialog, "frameRate")->isEnabled());

    VideoSettingsDialog mp4(in, kMovie, "/out/clip.mp4");
    EXPECT_EQ(Find<QLabel>(mp4, "container")->text(), " MP4 (clip.mp4)");
    EXPECT_EQ(dialogtest::Text(mp4, "quality"), "18");
    EXPECT_EQ(Find<QLabel>(mp4, "qualityRange")->text(), "0 - 51, empty: default");
    Choose(mp4, "videoCodec", "vp9");
    EXPECT_EQ(Find<QLabel>(mp4, "qualityRange")->text(), "0 - 63, empty: default");
    Choose(mp4, "videoCodec", "ffv1");
    EXPECT_EQ(dialogtest::Text(mp4, "quality"), "");
}

}  // namespace
