#include "app/AboutDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "resources/StringTable.h"
#include "swf/player/EngineVersion.h"

namespace app {
namespace {

constexpr int kIconSize = 48;

QLabel* MakeLine(const QString& text, const char* objectName, QWidget* parent) {
    auto* line = new QLabel(text, parent);
    line->setObjectName(QString::fromLatin1(objectName));
    line->setWordWrap(true);
    return line;
}

QString ProductLine() {
    return QString::fromLatin1(resources::kProductTitle) + QStringLiteral(" Version 1.0");
}

QString EngineNotice(const swf::Version& version) {
    return QStringLiteral(
               "This software contains the Kinetrope SWF player engine, version %1.%2.%3.%4, "
               "written for this product; it contains no third-party Flash player.")
        .arg(version.major)
        .arg(version.minor)
        .arg(version.build)
        .arg(version.revision);
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    const QString product = QString::fromLatin1(resources::kProductTitle);
    setWindowTitle(QStringLiteral("About ") + product);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_DesktopIcon).pixmap(kIconSize, kIconSize));
    icon->setAlignment(Qt::AlignTop);

    auto* productLine = MakeLine(ProductLine(), "product", this);
    QFont bold = productLine->font();
    bold.setBold(true);
    productLine->setFont(bold);

    auto* texts = new QVBoxLayout;
    texts->addWidget(productLine);
    texts->addWidget(
        MakeLine(QStringLiteral("Copyright (C) Quillmoth. All rights reserved."), "rights", this));
    texts->addWidget(MakeLine(EngineNotice(swf::EngineVersion()), "engine", this));

    auto* body = new QHBoxLayout;
    body->addWidget(icon);
    body->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);
}

}  // namespace app
