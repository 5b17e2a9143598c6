#include "app/DesktopProgram.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include "app/DisplayWarningDialog.h"
#include "app/DocumentLauncher.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/QtMessageBoxPresenter.h"
#include "app/QtUserDialogs.h"
#include "app/SettingsStore.h"
#include "app/SystemDesktopShell.h"
#include "resources/StringTable.h"

namespace app {

bool EngineVersionAccepted(const swf::Version& version) {
    return !(version == swf::Version{6, 0, 22, 0});
}

bool CheckEngineVersion(const swf::Version& version, MessageBoxes& messages) {
    if (EngineVersionAccepted(version)) return true;
    messages.ShowErrorMessage(resources::kStrPlayerVersionRefused);
    return false;
}

QString MovieFromArguments(const QStringList& arguments) {
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (options && argument == QStringLiteral("--")) {
            options = false;
            continue;
        }
        if (argument.isEmpty() || (options && argument.startsWith(QLatin1Char('-')))) continue;
        // File managers hand over addresses where the desktop entry asks for them.
        if (argument.startsWith(QStringLiteral("file:"))) {
            const QUrl url(argument);
            if (url.isLocalFile()) return url.toLocalFile();
            continue;
        }
        return QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
    }
    return {};
}

int RunDesktopProgram(QApplication& application) {
    QtMessageBoxPresenter presenter;
    MessageBoxes messages(presenter);
    if (!CheckEngineVersion(swf::EngineVersion(), messages)) return 0;
    SettingsStore settings;
    if (!RunDisplayDepthCheck(PrimaryScreenDepth(), settings)) return 0;
    settings.Load();

    SystemDesktopShell shell;
    DocumentLauncher launcher(shell);
    QtUserDialogs dialogs(messages, settings);
    {
        MainWindow window({settings, messages, launcher, dialogs});
        window.show();
        // Opened from the event loop, so that the window is up before any message box.
        const QString movie = MovieFromArguments(application.arguments());
        if (!movie.isEmpty())
            QTimer::singleShot(0, &window, [&window, movie] { window.OpenMovie(movie); });
        application.exec();
    }
    // The window stored its rectangle when it was closed.
    settings.Save();
    return 0;
}

}  // namespace app
