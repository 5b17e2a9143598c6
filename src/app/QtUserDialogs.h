#pragma once
// The program's own dialogs: the platform's file dialogs, the export settings dialogs, the
// notices and the progress window.

#include "app/UserDialogs.h"

namespace app {

class MessageBoxes;

class QtUserDialogs : public UserDialogs {
  public:
    // The progress window asks its questions through `messages` and keeps its position in
    // `store`.
    QtUserDialogs(MessageBoxes& messages, SettingsStore& store)
        : messages_(messages), store_(store) {}

    QString OpenFileName(QWidget* owner, const FileDialogRequest& request) override;
    QString SaveFileName(QWidget* owner, const FileDialogRequest& request) override;
    bool EditImageSequenceSettings(QWidget* owner, settings::ImageSequenceSettings& settings,
                                   settings::PixelSize movie) override;
    bool EditAviSettings(QWidget* owner, settings::AviExportSettings& settings,
                         settings::PixelSize movie, convert::CompressorSettings& compressor,
                         audio::WaveFormat& audioFormat,
                         const audio::MixerOpener& openMixer) override;
    bool EditVideoSettings(QWidget* owner, settings::VideoExportSettings& settings,
                           settings::PixelSize movie, const QString& outputPath) override;
    bool ChooseDimensions(QWidget* owner, settings::PixelSize& size,
                          settings::PixelSize movie) override;
    void RunSeekNotice(QWidget* owner, const SettingsStore& store) override;
    void ShowAbout(QWidget* owner) override;
    bool EditBatch(QWidget* owner, batch::BatchTaskList& tasks,
                   const batch::ExportRecords& templates, QString& openDir, QString& saveDir,
                   const audio::MixerOpener& openMixer) override;
    void ShowBatchLog(QWidget* owner, const batch::BatchTaskList& tasks) override;
    std::unique_ptr<convert::ProgressDialog> MakeProgressWindow(QWidget* owner) override;

  private:
    MessageBoxes& messages_;
    SettingsStore& store_;
};

}  // namespace app
