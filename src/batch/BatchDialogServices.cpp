#include "batch/BatchDialogServices.h"

#include <QFileDialog>
#include <QStringList>
#include <utility>

#include "resources/StringTable.h"
#include "settings/AviExportTask.h"
#include "settings/ImageSequenceTask.h"
#include "settings/VideoExportTask.h"
#include "settings/dialogs/AviSettingsDialog.h"
#include "settings/dialogs/ImageSequenceSettingsDialog.h"
#include "settings/dialogs/VideoSettingsDialog.h"

namespace batch {
namespace {

// "avi", "mp4", "tga", "png".
QString ExtensionOf(settings::OutputKind kind) {
    if (kind == settings::OutputKind::Video)
        return QString::fromUtf8(settings::kVideoContainers[0].extension);
    return QString::fromUtf8(settings::OutputKindLabel(kind)).toLower();
}

// "AVI (*.avi)"; a video file may have any of its containers' extensions.
QString FilterOf(settings::OutputKind kind) {
    if (kind == settings::OutputKind::Video) {
        QStringList patterns;
        for (const settings::VideoContainerInfo& container : settings::kVideoContainers)
            patterns << QStringLiteral("*.") + QString::fromUtf8(container.extension);
        return QStringLiteral("Video (") + patterns.join(QLatin1Char(' ')) + QStringLiteral(")");
    }
    return QString::fromUtf8(settings::OutputKindLabel(kind)) + " (*." + ExtensionOf(kind) + ")";
}

QString ChooseMovie(QWidget* owner, const QString& folder) {
    QFileDialog dialog(
        owner, QString::fromUtf8(resources::LoadString(resources::kStrSelectFlashFile)), folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Flash (*.swf)"), QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("swf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString ChooseOutput(QWidget* owner, std::span<const settings::OutputKind> kinds,
                     const QString& folder, const QString& proposedName) {
    QFileDialog dialog(
        owner, QString::fromUtf8(resources::LoadString(resources::kStrSelectOutputFileName)),
        folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters;
    for (settings::OutputKind kind : kinds) filters << FilterOf(kind);
    dialog.setNameFilters(filters);
    // A name typed without an extension takes the one of the filter chosen.
    if (!kinds.empty()) dialog.setDefaultSuffix(ExtensionOf(kinds.front()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, kinds](const QString& filter) {
                         for (settings::OutputKind kind : kinds) {
                             if (filter == FilterOf(kind))
                                 dialog.setDefaultSuffix(ExtensionOf(kind));
                         }
                     });
    if (!proposedName.isEmpty()) dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

bool EditTask(QWidget* owner, settings::ExportTask& task, const audio::MixerOpener& openMixer) {
    const settings::PixelSize movie{task.movie.width, task.movie.height};
    if (auto* avi = dynamic_cast<settings::AviExportTask*>(&task)) {
        settings::AviSettingsDialog dialog(avi->settings, movie, *avi->compressor, avi->audioFormat,
                                           settings::DialogOrigin::Batch, openMixer, owner);
        if (dialog.exec() != QDialog::Accepted) return false;
        // A batch never plays what it made; the task keeps its own choice all the same.
        const int32_t playAfterCreating = avi->settings.playAfterCreating;
        avi->settings = dialog.Settings();
        avi->settings.playAfterCreating = playAfterCreating;
        return true;
    }
    if (auto* video = dynamic_cast<settings::VideoExportTask*>(&task)) {
        settings::VideoSettingsDialog dialog(video->settings, movie, video->outputPath, owner);
        if (dialog.exec() != QDialog::Accepted) return false;
        video->settings = dialog.Settings();
        return true;
    }
    if (auto* images = dynamic_cast<settings::ImageSequenceTask*>(&task)) {
        settings::ImageSequenceSettingsDialog dialog(images->settings, movie, owner);
        if (dialog.exec() != QDialog::Accepted) return false;
        images->settings = dialog.Settings();
        return true;
    }
    return false;
}

}  // namespace

BatchDialogServices BatchDialogServices::Desktop(audio::MixerOpener openMixer) {
    BatchDialogServices services;
    services.chooseMovie = ChooseMovie;
    services.chooseOutput = ChooseOutput;
    services.editTask = [openMixer = std::move(openMixer)](QWidget* owner,
                                                           settings::ExportTask& task) {
        return EditTask(owner, task, openMixer);
    };
    return services;
}

}  // namespace batch
