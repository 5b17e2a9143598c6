#include "app/DisplayWarningDialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace app {

DisplayWarningDialog::DisplayWarningDialog(QWidget* parent) : DontShowAgainDialog(parent) {
    auto* heading = new QLabel(QStringLiteral("Display Setting Warning!"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto* message = new QLabel(QStringLiteral("To get better quality, please change your display "
                                              "color to 24 bits(or above) first, then restart "
                                              "this program."),
                               this);
    message->setObjectName(QStringLiteral("message"));
    message->setWordWrap(true);
    AddText(heading);
    AddText(message);
    AddButton(QStringLiteral("Continue"), kContinue, "continue");
    AddButton(QStringLiteral("Quit"), kQuit, "quit");
}

int PrimaryScreenDepth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 0;
}

bool ShouldShowDisplayWarning(int screenDepth, const SettingsStore& store) {
    return screenDepth < DisplayWarningDialog::kGoodDepth &&
           !DontShowAgainDialog::IsDismissed(store, SettingsStore::kDisplayWarningValue);
}

bool RunDisplayDepthCheck(int screenDepth, const SettingsStore& store, QWidget* owner) {
    if (!ShouldShowDisplayWarning(screenDepth, store)) return true;
    DisplayWarningDialog warning(owner);
    return warning.RunAndRecord(store, SettingsStore::kDisplayWarningValue) !=
           DisplayWarningDialog::kQuit;
}

}  // namespace app
