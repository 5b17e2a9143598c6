#include "app/ProgressWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/MessageBoxes.h"
#include "app/SettingsStore.h"
#include "resources/StringTable.h"

namespace app {
namespace {

QLabel* MakeText(const char* objectName, QWidget* parent) {
    auto* text = new QLabel(parent);
    text->setObjectName(QString::fromLatin1(objectName));
    return text;
}

QPushButton* MakeButton(const QString& text, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

ProgressWindow::ProgressWindow(MessageBoxes& messages, SettingsStore& store, QWidget* parent)
    : QDialog(parent), messages_(messages), store_(store) {
    setModal(false);
    setWindowTitle(QString::fromUtf8(resources::LoadString(resources::kStrConvertingToAvi)));

    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("progress"));
    bar_->setTextVisible(false);
    status_ = MakeText("status", this);
    total_ = MakeText("total", this);
    finish_ = MakeButton(QStringLiteral("Finish"), "finish", this);
    cancel_ = MakeButton(QStringLiteral("Cancel"), "cancel", this);
    connect(finish_, &QPushButton::clicked, this, [this] { OnFinish(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { OnCancel(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(finish_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    layout->addWidget(status_);
    layout->addWidget(total_);
    layout->addLayout(buttons);
}

void ProgressWindow::SetRange(int low, int high) {
    bar_->setRange(low, std::max(low, high));
}

void ProgressWindow::SetPos(int position) {
    bar_->setValue(std::clamp(position, bar_->minimum(), bar_->maximum()));
}

void ProgressWindow::SetStatusText(const std::string& text) {
    status_->setText(QString::fromStdString(text));
}

void ProgressWindow::SetTotalText(const std::string& text) {
    total_->setText(QString::fromStdString(text));
}

void ProgressWindow::EnableButton(convert::ProgressButton button, bool enable) {
    (button == convert::ProgressButton::Finish ? finish_ : cancel_)->setEnabled(enable);
}

void ProgressWindow::reject() {
    if (cancel_->isEnabled()) OnCancel();
}

void ProgressWindow::Show(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
    finish_->setEnabled(true);
    cancel_->setEnabled(true);
    move(store_.progressLeft, store_.progressTop);
    show();
}

void ProgressWindow::Hide() {
    if (isVisible()) {
        store_.progressLeft = x();
        store_.progressTop = y();
    }
    hide();
}

bool ProgressWindow::Confirm(int stringId) {
    return messages_.AskMessage(this, stringId, kMbYesNo) != kIdNo;
}

}  // namespace app
