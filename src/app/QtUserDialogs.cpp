#include "app/QtUserDialogs.h"

#include <QFileDialog>

#include "app/AboutDialog.h"
#include "app/ProgressWindow.h"
#include "app/SeekNoticeDialog.h"
#include "batch/BatchDialog.h"
#include "batch/BatchLogDialog.h"
#include "settings/dialogs/AviSettingsDialog.h"
#include "settings/dialogs/DimensionsDialog.h"
#include "settings/dialogs/ImageSequenceSettingsDialog.h"
#include "settings/dialogs/VideoSettingsDialog.h"

namespace app {
namespace {

QString RunFileDialog(QWidget* owner, const FileDialogRequest& request,
                      QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner, request.title, request.start, request.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace

QString QtUserDialogs::OpenFileName(QWidget* owner, const FileDialogRequest& request) {
    return RunFileDialog(owner, request, QFileDialog::AcceptOpen);
}

QString QtUserDialogs::SaveFileName(QWidget* owner, const FileDialogRequest& request) {
    return RunFileDialog(owner, request, QFileDialog::AcceptSave);
}

bool QtUserDialogs::EditImageSequenceSettings(QWidget* owner,
                                              settings::ImageSequenceSettings& settings,
                                              settings::PixelSize movie) {
    settings::ImageSequenceSettingsDialog dialog(settings, movie, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    settings = dialog.Settings();
    return true;
}

bool QtUserDialogs::EditAviSettings(QWidget* owner, settings::AviExportSettings& settings,
                                    settings::PixelSize movie,
                                    convert::CompressorSettings& compressor,
                                    audio::WaveFormat& audioFormat,
                                    const audio::MixerOpener& openMixer) {
    settings::AviSettingsDialog dialog(settings, movie, compressor, audioFormat,
                                       settings::DialogOrigin::Command, openMixer, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    settings = dialog.Settings();
    return true;
}

bool QtUserDialogs::EditVideoSettings(QWidget* owner, settings::VideoExportSettings& settings,
                                      settings::PixelSize movie, const QString& outputPath) {
    settings::VideoSettingsDialog dialog(settings, movie, outputPath.toStdString(), owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    settings = dialog.Settings();
    return true;
}

bool QtUserDialogs::ChooseDimensions(QWidget* owner, settings::PixelSize& size,
                                     settings::PixelSize movie) {
    settings::DimensionsDialog dialog(size, movie, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    size = dialog.Size();
    return true;
}

void QtUserDialogs::RunSeekNotice(QWidget* owner, const SettingsStore& store) {
    app::RunSeekNotice(store, owner);
}

void QtUserDialogs::ShowAbout(QWidget* owner) {
    AboutDialog(owner).exec();
}

bool QtUserDialogs::EditBatch(QWidget* owner, batch::BatchTaskList& tasks,
                              const batch::ExportRecords& templates, QString& openDir,
                              QString& saveDir, const audio::MixerOpener& openMixer) {
    batch::BatchDialog dialog(tasks, templates, openDir, saveDir,
                              batch::BatchDialogServices::Desktop(openMixer), owner);
    return dialog.exec() == QDialog::Accepted;
}

void QtUserDialogs::ShowBatchLog(QWidget* owner, const batch::BatchTaskList& tasks) {
    batch::BatchLogDialog(tasks, owner).exec();
}

std::unique_ptr<convert::ProgressDialog> QtUserDialogs::MakeProgressWindow(QWidget* owner) {
    return std::make_unique<ProgressWindow>(messages_, store_, owner);
}

}  // namespace app
