#include "app/SeekNoticeDialog.h"

#include <QLabel>

#include "resources/StringTable.h"

namespace app {

SeekNoticeDialog::SeekNoticeDialog(QWidget* parent) : DontShowAgainDialog(parent) {
    auto* text =
        new QLabel(QString::fromUtf8(resources::LoadString(resources::kStrSeekModeNotice)), this);
    text->setObjectName(QStringLiteral("message"));
    text->setWordWrap(true);
    AddText(text);
    AddButton(QStringLiteral("OK"), kOk, "ok");
}

void RunSeekNotice(const SettingsStore& store, QWidget* owner) {
    if (DontShowAgainDialog::IsDismissed(store, SettingsStore::kSeekNoticeValue)) return;
    SeekNoticeDialog notice(owner);
    notice.RunAndRecord(store, SettingsStore::kSeekNoticeValue);
}

}  // namespace app
