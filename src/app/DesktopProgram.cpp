#include "app/DesktopProgram.h"

#include <QApplication>

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
        application.exec();
    }
    // The window stored its rectangle when it was closed.
    settings.Save();
    return 0;
}

}  // namespace app
