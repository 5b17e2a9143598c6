#include "settings/dialogs/DialogMessages.h"

#include <QMessageBox>

#include "resources/StringTable.h"

namespace settings {

void ShowMessageBox(QWidget* owner, const DialogMessage& message) {
    const QString caption = QString::fromUtf8(resources::kProductCaption);
    const QString text = QString::fromStdString(message.text);
    if (message.icon == MessageIcon::Information)
        QMessageBox::information(owner, caption, text);
    else
        QMessageBox::critical(owner, caption, text);
}

}  // namespace settings
