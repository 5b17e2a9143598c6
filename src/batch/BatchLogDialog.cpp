#include "batch/BatchLogDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "batch/BatchLog.h"

namespace batch {

BatchLogDialog::BatchLogDialog(const BatchTaskList& tasks, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Log of batch create"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* count = new QLabel(QString::fromStdString(BatchLog::CountLine(tasks)), this);
    count->setObjectName(QStringLiteral("count"));

    auto* log = new QPlainTextEdit(this);
    log->setObjectName(QStringLiteral("log"));
    log->setReadOnly(true);
    log->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The text editor keeps its own line ends.
    log->setPlainText(
        QString::fromStdString(BatchLog::Text(tasks)).replace(QStringLiteral("\r\n"), "\n"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(count);
    layout->addWidget(log, 1);
    layout->addWidget(buttons);
    resize(560, 320);
}

}  // namespace batch
