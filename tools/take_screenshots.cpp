// Takes PNG screenshots of the desktop program's windows for the documentation, one function
// per window, each showing its window as a user meets it. Run it under a display server
// (scripts/take-screenshots.sh starts a virtual one):
//
//     take-screenshots OUTPUT_FOLDER [NAME...]
//
// Without names every window is taken; OUTPUT_FOLDER/NAME.png is written for each.

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QThread>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "app/DocumentLauncher.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/QtMessageBoxPresenter.h"
#include "app/QtUserDialogs.h"
#include "app/SettingsStore.h"
#include "app/SystemDesktopShell.h"
#include "audio/LoopbackMixer.h"
#include "audio/RecordingVolume.h"
#include "batch/BatchLogDialog.h"
#include "batch/BatchTaskList.h"
#include "batch/ExportRecords.h"
#include "player/SeekController.h"
#include "resources/ResultCode.h"
#include "settings/dialogs/AviSettingsDialog.h"

namespace {

constexpr convert::MovieHeader kMovie{550, 400, 240, 24.0};

// Handles events for about `ms` milliseconds.
void RunEventsFor(int ms) {
    for (int i = 0; i < ms / 10; ++i) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
}

// Lets the window lay itself out and paint, then saves what it shows.
bool Save(QWidget& window, const QDir& folder, const QString& name) {
    window.show();
    window.raise();
    window.activateWindow();
    RunEventsFor(200);
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!window.grab().save(path, "PNG")) {
        std::fprintf(stderr, "take-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The main window with the bundled sample movie open, played for two seconds and stopped.
bool MainWindowWithSample(const QDir& folder, const QString& name) {
    app::QtMessageBoxPresenter presenter;
    app::MessageBoxes messages(presenter);
    app::SettingsStore settings;
    app::SystemDesktopShell shell;
    app::DocumentLauncher launcher(shell);
    app::QtUserDialogs dialogs(messages, settings);
    app::MainWindow window({settings, messages, launcher, dialogs});
    window.show();
    if (!window.OpenMovie(QStringLiteral(KT_SAMPLE_MOVIE))) {
        std::fprintf(stderr, "take-screenshots: cannot open %s\n", KT_SAMPLE_MOVIE);
        return false;
    }
    window.RunCommand(app::kCmdPlay);
    RunEventsFor(2000);
    window.RunCommand(app::kCmdStop);
    return Save(window, folder, name);
}

bool AviSettings(const QDir& folder, const QString& name) {
    settings::AviExportSettings offered;
    offered.endFrame = kMovie.frameCount - 1;
    offered.frameRate100 = static_cast<int32_t>(kMovie.frameRate * 100);
    offered.width = kMovie.width;
    offered.height = kMovie.height;
    offered.SetAudioSource(settings::AudioSource::RecordFromMovie);
    convert::CompressorSettings compressor;
    audio::WaveFormat format = settings::DefaultAudioFormat();
    audio::RecordingVolume volume;
    const audio::MixerOpener loopback = [&volume](audio::Mixer::ControlChanged changed) {
        return std::make_unique<audio::LoopbackMixer>(volume, std::move(changed));
    };
    settings::AviSettingsDialog dialog(offered, {kMovie.width, kMovie.height}, compressor, format,
                                       settings::DialogOrigin::Command, loopback);
    return Save(dialog, folder, name);
}

bool SeekController(const QDir& folder, const QString& name) {
    player::SeekController controller(nullptr);
    controller.SetEndFrame(static_cast<uint32_t>(kMovie.frameCount - 1));
    controller.ShowFrame(42);
    return Save(controller, folder, name);
}

bool BatchLog(const QDir& folder, const QString& name) {
    batch::ExportRecords records;
    batch::BatchTaskList tasks;
    const struct {
        settings::OutputKind kind;
        const char* source;
        const char* output;
        int32_t result;
        int32_t lastFrame;
    } runs[] = {
        {settings::OutputKind::Avi, "/home/ann/movies/intro.swf", "/home/ann/video/intro.avi",
         kResultOk, kMovie.frameCount - 1},
        {settings::OutputKind::Png, "/home/ann/movies/banner.swf", "/home/ann/frames/banner.png",
         kResultOk, kMovie.frameCount - 1},
        {settings::OutputKind::Tga, "/home/ann/movies/menu.swf", "/home/ann/frames/menu.tga",
         kResultAbort, 57},
    };
    for (const auto& run : runs) {
        tasks.Append(tasks.NewTask(run.kind, kMovie, run.source, run.output, records));
        tasks.at(tasks.size() - 1).result = run.result;
        tasks.at(tasks.size() - 1).lastFrame = run.lastFrame;
    }
    batch::BatchLogDialog dialog(tasks);
    return Save(dialog, folder, name);
}

struct Window {
    const char* name;
    std::function<bool(const QDir&, const QString&)> take;
};

const Window kWindows[] = {
    {"main-window", MainWindowWithSample},
    {"avi-settings", AviSettings},
    {"seek-controller", SeekController},
    {"batch-log", BatchLog},
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: take-screenshots OUTPUT_FOLDER [NAME...]\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "take-screenshots: cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = true;
    int taken = 0;
    for (const Window& window : kWindows) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i) wanted = wanted || std::string(argv[i]) == window.name;
        if (!wanted) continue;
        ok = window.take(folder, QString::fromLatin1(window.name)) && ok;
        ++taken;
    }
    if (taken == 0) {
        std::fprintf(stderr, "take-screenshots: no window of that name\n");
        return 2;
    }
    return ok ? 0 : 1;
}
