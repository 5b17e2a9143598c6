#include "app/DontShowAgainDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "resources/StringTable.h"

namespace app {

bool DontShowAgainDialog::IsDismissed(const SettingsStore& store, const char* valueName) {
    int32_t value = 0;
    return store.ReadNumber(QString::fromLatin1(valueName), value) && value != 0;
}

DontShowAgainDialog::DontShowAgainDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromLatin1(resources::kProductTitle));
    dontShowAgain_ = new QCheckBox(QStringLiteral("Do not show this message again."), this);
    dontShowAgain_->setObjectName(QStringLiteral("dontShowAgain"));
    dontShowAgain_->setChecked(false);

    texts_ = new QVBoxLayout;
    buttons_ = new QHBoxLayout;
    buttons_->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(texts_);
    layout->addWidget(dontShowAgain_);
    layout->addLayout(buttons_);
}

bool DontShowAgainDialog::DontShowAgain() const {
    return dontShowAgain_->isChecked();
}

int DontShowAgainDialog::RunAndRecord(const SettingsStore& store, const char* valueName) {
    const int result = exec();
    store.WriteNumber(QString::fromLatin1(valueName), DontShowAgain() ? 1 : 0);
    return result;
}

void DontShowAgainDialog::AddText(QWidget* text) {
    texts_->addWidget(text);
}

void DontShowAgainDialog::AddButton(const QString& text, int id, const char* objectName) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(objectName));
    const bool first = buttons_->count() == 1;  // after the stretch
    button->setDefault(first);
    if (first) button->setFocus();
    connect(button, &QPushButton::clicked, this, [this, id] { done(id); });
    buttons_->addWidget(button);
}

void DontShowAgainDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const QScreen* shown = screen();
    if (!shown) return;
    const QRect workArea = shown->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(shown->geometry().center());
    frame.moveLeft(std::clamp(frame.left(), workArea.left(),
                              std::max(workArea.left(), workArea.right() - frame.width() + 1)));
    frame.moveTop(std::clamp(frame.top(), workArea.top(),
                             std::max(workArea.top(), workArea.bottom() - frame.height() + 1)));
    move(frame.topLeft());
}

}  // namespace app
