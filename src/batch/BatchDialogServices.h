#pragma once
// How the batch dialog asks for files and has a task's settings edited. The defaults are
// the desktop's file dialogs and the export settings dialogs; tests put in their own.

#include <QString>
#include <functional>
#include <span>

#include "audio/Mixer.h"
#include "settings/ExportTask.h"
#include "settings/OutputKind.h"
#include "settings/dialogs/DialogMessages.h"

class QWidget;

namespace batch {

struct BatchDialogServices {
    // The movie to add, looked for in `folder`; empty when the user cancels.
    std::function<QString(QWidget* owner, const QString& folder)> chooseMovie;
    // An output file of one of `kinds` (the first offered first), looked for in `folder`,
    // starting from `proposedName`; there is no overwrite prompt. Empty when cancelled.
    std::function<QString(QWidget* owner, std::span<const settings::OutputKind> kinds,
                          const QString& folder, const QString& proposedName)>
        chooseOutput;
    // Opens the settings dialog of the task's kind on it, for its own movie's size; true
    // when the user pressed OK, and the task then holds the settings committed.
    std::function<bool(QWidget* owner, settings::ExportTask& task)> editTask;
    settings::ShowMessage showMessage = settings::ShowMessageBox;

    // The desktop program's file dialogs and settings dialogs; the AVI settings dialog sets
    // the recording volume of the mixer that `openMixer` opens.
    static BatchDialogServices Desktop(audio::MixerOpener openMixer = {});
};

}  // namespace batch
