#include "app/DesktopFixture.h"

#include <QApplication>

#include "app/DontShowAgainDialog.h"
#include "player/PlayerHost.h"
#include "support/SwfWriter.h"

namespace apptest {

int AnsweringPresenter::Show(const app::MessageBoxRequest& request) {
    texts.push_back(request.text);
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
    swftest::SwfWriter writer;
    writer.frameSizePixels(width, height).frameRate(12).compressed(compressed);
    writer.setBackgroundColor({255, 255, 255});
    for (int frame = 0; frame < frames; ++frame) {
        swftest::ShapeBuilder shape;
        const auto red = static_cast<uint8_t>(30 + 40 * frame);
        shape.fill1(shape.addFill(swftest::FillStyle::solid({red, 120, 60})))
            .rectangle(0, 0, swftest::px(width), swftest::px(height));
        const auto id = static_cast<uint16_t>(frame + 1);
        writer.defineShape(id, shape);
        if (frame > 0) writer.removeObject2(1);
        writer.place(id, 1).showFrame();
    }
    const std::string path = scratch_.File(name);
    writer.writeFile(path);
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
