#include "settings/dialogs/DimensionGroup.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace settings {

DimensionGroup::DimensionGroup(NumberEntry entry, PixelSize opened, PixelSize movie,
                               bool useOriginalSize, bool keepAspectRatio, QWidget* parent)
    : QGroupBox(QStringLiteral("Dimension"), parent),
      boxes_(new OutputSizeBoxes(entry, opened, movie, useOriginalSize, this)),
      keepAspectRatio_(new QCheckBox(QStringLiteral("Keep aspect ratio"), this)) {
    keepAspectRatio_->setObjectName("keepAspectRatio");
    keepAspectRatio_->setChecked(keepAspectRatio);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(boxes_);
    layout->addWidget(keepAspectRatio_);
}

bool DimensionGroup::KeepAspectRatio() const {
    return keepAspectRatio_->isChecked();
}

}  // namespace settings
