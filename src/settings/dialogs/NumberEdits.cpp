#include "settings/dialogs/NumberEdits.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "settings/NumberText.h"

namespace settings {

QLineEdit* MakeNumberEdit(NumberEntry entry, const char* objectName, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    if (entry == NumberEntry::DigitsOnly)
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    return edit;
}

void ShowUnsigned(QLineEdit* edit, int32_t value) {
    edit->setText(QString::number(static_cast<uint32_t>(value)));
}

int32_t ReadSigned(const QLineEdit* edit) {
    return ReadSignedNumber(edit->text().toStdString());
}

int32_t ReadUnsigned(const QLineEdit* edit) {
    return ReadUnsignedNumber(edit->text().toStdString());
}

}  // namespace settings
