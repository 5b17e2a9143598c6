#include "app/DesktopFixture.h"

#include <QApplication>

#include "app/DontShowAgainDialog.h"
#include "batch/BatchLog.h"
#include "player/PlayerHost.h"
#include "run/RunTestFiles.h"

namespace apptest {

int AnsweringPresenter::Show(const app::MessageBoxRequest& request) {
    texts.push_back(request.text);
    flags.push_back(request.flags);
    return answer;
}

bool RecordingShell::OpenUrl(const QUrl& url) {
    opened.push_back(url);
    return true;
}

QString ScriptedDialogs::OpenFileName(QWidget*, const app::FileDialogRequest& request) {
    requests.push_back(request);
    return openAnswer;
}

QString ScriptedDialogs::SaveFileName(QWidget*, const app::FileDialogRequest& request) {
    requests.push_back(request);
    return saveAnswer;
}

bool ScriptedDialogs::EditImageSequenceSettings(QWidget*, settings::ImageSequenceSettings& settings,
                                                settings::PixelSize) {
    if (!editImage) return false;
    editImage(settings);
    return true;
}

bool ScriptedDialogs::EditAviSettings(QWidget*, settings::AviExportSettings& settings,
                                      settings::PixelSize, convert::CompressorSettings&,
                                      audio::WaveFormat&, const audio::MixerOpener&) {
    if (!editAvi) return false;
    editAvi(settings);
    return true;
}

bool ScriptedDialogs::EditVideoSettings(QWidget*, settings::VideoExportSettings& settings,
                                        settings::PixelSize, const QString& outputPath) {
    videoOutput = outputPath;
    if (!editVideo) return false;
    editVideo(settings);
    return true;
}

bool ScriptedDialogs::ChooseDimensions(QWidget*, settings::PixelSize& size, settings::PixelSize) {
    if (!dimensions) return false;
    size = *dimensions;
    return true;
}

void ScriptedDialogs::RunSeekNotice(QWidget*, const app::SettingsStore& store) {
    if (app::DontShowAgainDialog::IsDismissed(store, app::SettingsStore::kSeekNoticeValue)) return;
    ++seekNoticesShown;
    store.WriteNumber(app::SettingsStore::kSeekNoticeValue, seekNoticeTicked ? 1 : 0);
}

bool ScriptedDialogs::EditBatch(QWidget*, batch::BatchTaskList& tasks,
                                const batch::ExportRecords& templates, QString&, QString&,
                                const audio::MixerOpener&) {
    if (!editBatch) return false;
    editBatch(tasks, templates);
    return true;
}

void ScriptedDialogs::ShowBatchLog(QWidget*, const batch::BatchTaskList& tasks) {
    std::vector<std::pair<int32_t, int32_t>> log;
    for (size_t i = 0; i < tasks.size(); ++i)
        log.emplace_back(tasks.at(i).result, tasks.at(i).lastFrame);
    batchLogs.push_back(log);
    batchLogTexts.push_back(batch::BatchLog::Text(tasks));
}

std::unique_ptr<convert::ProgressDialog> ScriptedDialogs::MakeProgressWindow(QWidget*) {
    return std::make_unique<SilentProgress>();
}

DesktopFixture::DesktopFixture()
    : settings_(QString::fromStdString(scratch_.File("settings.ini"))) {
    window_ = std::make_unique<app::MainWindow>(
        app::DesktopServices{settings_, messages_, launcher_, dialogs_});
    window_->show();
    QApplication::processEvents();
}

DesktopFixture::~DesktopFixture() {
    window_.reset();
}

std::string DesktopFixture::WriteMovie(const std::string& name, int width, int height, int frames,
                                       bool compressed) {
    runtest::ColourMovie movie = runtest::Movie(frames, width, height);
    movie.compressed = compressed;
    const std::string path = scratch_.File(name);
    runtest::WriteColourMovie(path, movie);
    return path;
}

void DesktopFixture::OpenThroughCommand(const std::string& path) {
    dialogs_.openAnswer = QString::fromStdString(path);
    window_->RunCommand(app::kCmdOpen);
}

settings::PixelSize DesktopFixture::ViewSize() {
    return {window_->View().width(), window_->View().height()};
}

}  // namespace apptest
