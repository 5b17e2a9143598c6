#pragma once
// The dialogs the main window opens: the file dialogs, the settings dialogs, the notices and
// the progress window of the runs. QtUserDialogs shows the program's own; tests put in ones
// that answer in the user's place.

#include <QString>
#include <memory>

#include "audio/Mixer.h"
#include "audio/WaveFormat.h"
#include "batch/ExportRecords.h"
#include "convert/CompressorSettings.h"
#include "convert/run/ProgressDialog.h"
#include "settings/AviExportSettings.h"
#include "settings/ImageSequenceSettings.h"
#include "settings/VideoExportSettings.h"
#include "settings/dialogs/OutputSizeBoxes.h"

class QWidget;

namespace batch {
class BatchTaskList;
}

namespace app {

class SettingsStore;

// What a file dialog offers: its title, the folder or file it starts from, its file types
// ("Flash (*.swf);;All files (*)") and the extension a typed name gets.
struct FileDialogRequest {
    QString title;
    QString start;
    QString filter;
    QString defaultSuffix;
};

class UserDialogs {
  public:
    virtual ~UserDialogs() = default;

    // An existing file chosen to open; empty when cancelled.
    virtual QString OpenFileName(QWidget* owner, const FileDialogRequest& request) = 0;
    // A file name to write; empty when cancelled.
    virtual QString SaveFileName(QWidget* owner, const FileDialogRequest& request) = 0;

    // Each edits `settings` in place and is true for OK; Cancel leaves them as they came.
    virtual bool EditImageSequenceSettings(QWidget* owner,
                                           settings::ImageSequenceSettings& settings,
                                           settings::PixelSize movie) = 0;
    // The compressor and audio format are edited in place, even when cancelled; the
    // recording volume is set on the mixer `openMixer` opens.
    virtual bool EditAviSettings(QWidget* owner, settings::AviExportSettings& settings,
                                 settings::PixelSize movie, convert::CompressorSettings& compressor,
                                 audio::WaveFormat& audioFormat,
                                 const audio::MixerOpener& openMixer) = 0;
    // A video file's settings, in the container `outputPath`'s extension asks for.
    virtual bool EditVideoSettings(QWidget* owner, settings::VideoExportSettings& settings,
                                   settings::PixelSize movie, const QString& outputPath) = 0;
    // The player area's size; true for OK.
    virtual bool ChooseDimensions(QWidget* owner, settings::PixelSize& size,
                                  settings::PixelSize movie) = 0;

    // The notice that seek mode plays without sound, unless `store` says it was dismissed
    // for good; the choice not to show it again is stored.
    virtual void RunSeekNotice(QWidget* owner, const SettingsStore& store) = 0;
    virtual void ShowAbout(QWidget* owner) = 0;
    // The batch dialog: fills `tasks` from `templates`; true for OK. The folders follow the
    // user's choices.
    virtual bool EditBatch(QWidget* owner, batch::BatchTaskList& tasks,
                           const batch::ExportRecords& templates, QString& openDir,
                           QString& saveDir, const audio::MixerOpener& openMixer) = 0;
    // The log of a finished batch.
    virtual void ShowBatchLog(QWidget* owner, const batch::BatchTaskList& tasks) = 0;
    // The progress window of the runs, owned by `owner`.
    virtual std::unique_ptr<convert::ProgressDialog> MakeProgressWindow(QWidget* owner) = 0;
};

}  // namespace app
