#pragma once
// What the main window's tests start from: a main window whose dialogs, message boxes,
// progress window and desktop answer in the user's place, with its settings in a scratch
// folder, and movies written there.

#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/DesktopShell.h"
#include "app/DocumentLauncher.h"
#include "app/MainWindow.h"
#include "app/MessageBoxPresenter.h"
#include "app/MessageBoxes.h"
#include "app/SettingsStore.h"
#include "app/UserDialogs.h"
#include "audio/TestFiles.h"
#include "batch/BatchTaskList.h"

namespace apptest {

class AnsweringPresenter : public app::MessageBoxPresenter {
  public:
    int Show(const app::MessageBoxRequest& request) override;
    int answer = app::kIdYes;
    std::vector<QString> texts;
    std::vector<unsigned> flags;  // of each box, as texts
};

class RecordingShell : public app::DesktopShell {
  public:
    bool OpenUrl(const QUrl& url) override;
    QString HtmlHandlerCommand() override { return {}; }
    bool StartDetached(const QStringList&) override { return false; }
    std::vector<QUrl> opened;
};

// A progress window that is never seen; its buttons are not pressed.
class SilentProgress : public convert::ProgressDialog {
  public:
    void SetRange(int, int) override {}
    void SetPos(int) override {}
    void SetStatusText(const std::string&) override {}
    void SetTotalText(const std::string&) override {}
    void EnableButton(convert::ProgressButton, bool) override {}

  protected:
    void Show(const std::string&) override {}
    void Hide() override {}
    bool Confirm(int) override { return true; }
};

// Each dialog gives the answer the test set, and counts how often it was opened.
class ScriptedDialogs : public app::UserDialogs {
  public:
    QString OpenFileName(QWidget*, const app::FileDialogRequest& request) override;
    QString SaveFileName(QWidget*, const app::FileDialogRequest& request) override;
    bool EditImageSequenceSettings(QWidget*, settings::ImageSequenceSettings& settings,
                                   settings::PixelSize movie) override;
    bool EditAviSettings(QWidget*, settings::AviExportSettings& settings, settings::PixelSize movie,
                         convert::CompressorSettings& compressor, audio::WaveFormat& audioFormat,
                         const audio::MixerOpener& openMixer) override;
    bool EditVideoSettings(QWidget*, settings::VideoExportSettings& settings,
                           settings::PixelSize movie, const QString& outputPath) override;
    bool ChooseDimensions(QWidget*, settings::PixelSize& size, settings::PixelSize movie) override;
    void RunSeekNotice(QWidget*, const app::SettingsStore& store) override;
    void ShowAbout(QWidget*) override { ++aboutShown; }
    bool EditBatch(QWidget*, batch::BatchTaskList& tasks, const batch::ExportRecords& templates,
                   QString& openDir, QString& saveDir, const audio::MixerOpener&) override;
    void ShowBatchLog(QWidget*, const batch::BatchTaskList& tasks) override;
    std::unique_ptr<convert::ProgressDialog> MakeProgressWindow(QWidget*) override;

    QString openAnswer;
    QString saveAnswer;
    std::vector<app::FileDialogRequest> requests;
    // Change the offered settings as the user would; null cancels.
    std::function<void(settings::ImageSequenceSettings&)> editImage;
    std::function<void(settings::AviExportSettings&)> editAvi;
    std::function<void(settings::VideoExportSettings&)> editVideo;
    QString videoOutput;  // the output the video dialog was opened for
    std::optional<settings::PixelSize> dimensions;
    // Fills the batch's list as the user would; null cancels.
    std::function<void(batch::BatchTaskList&, const batch::ExportRecords&)> editBatch;
    // The results and last frames of the tasks of each batch log shown.
    std::vector<std::vector<std::pair<int32_t, int32_t>>> batchLogs;
    std::vector<std::string> batchLogTexts;
    bool seekNoticeTicked = false;
    int seekNoticesShown = 0;
    int aboutShown = 0;
};

class DesktopFixture : public testing::Test {
  protected:
    DesktopFixture();
    ~DesktopFixture() override;

    // Frames of a colour each (runtest::FrameOfColour tells which), `width` x `height`.
    std::string WriteMovie(const std::string& name, int width, int height, int frames = 4,
                           bool compressed = false);
    // Opens the movie through the Open command and its file dialog.
    void OpenThroughCommand(const std::string& path);
    // The player view's size.
    settings::PixelSize ViewSize();

    testfiles::ScratchDir scratch_;
    AnsweringPresenter presenter_;
    app::MessageBoxes messages_{presenter_};
    RecordingShell shell_;
    app::DocumentLauncher launcher_{shell_};
    ScriptedDialogs dialogs_;
    app::SettingsStore settings_;
    std::unique_ptr<app::MainWindow> window_;
};

}  // namespace apptest
