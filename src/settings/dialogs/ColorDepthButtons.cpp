#include "settings/dialogs/ColorDepthButtons.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>

#include "settings/ColorDepth.h"

namespace settings {

ColorDepthButtons::ColorDepthButtons(int32_t colorDepth, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* buttons = new QButtonGroup(this);
    auto* rgb = new QRadioButton(QString::fromUtf8(kColorDepthChoices[0].label), this);
    rgb->setObjectName("depth24");
    rgba_ = new QRadioButton(QString::fromUtf8(kColorDepthChoices[1].label), this);
    rgba_->setObjectName("depth32");
    for (QRadioButton* button : {rgb, rgba_}) {
        buttons->addButton(button);
        layout->addWidget(button);
    }
    // Any depth but 24 shows as 32, the only other one an export writes.
    (colorDepth == kColorDepthRgb ? rgb : rgba_)->setChecked(true);
}

int32_t ColorDepthButtons::ColorDepth() const {
    return rgba_->isChecked() ? kColorDepthRgba : kColorDepthRgb;
}

}  // namespace settings
