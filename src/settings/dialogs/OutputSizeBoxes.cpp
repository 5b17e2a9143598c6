#include "settings/dialogs/OutputSizeBoxes.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

namespace settings {

OutputSizeBoxes::OutputSizeBoxes(NumberEntry entry, PixelSize opened, PixelSize movie,
                                 bool useOriginalSize, QWidget* parent)
    : QWidget(parent),
      opened_(opened),
      movie_(movie),
      width_(MakeNumberEdit(entry, "width", this)),
      height_(MakeNumberEdit(entry, "height", this)),
      useOriginalSize_(new QCheckBox(QStringLiteral("Use original doc size"), this)) {
    useOriginalSize_->setObjectName("useOriginalSize");
    auto* layout = new QFormLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addRow(QStringLiteral(" Width :"), width_);
    layout->addRow(QStringLiteral(" Height :"), height_);
    layout->addRow(useOriginalSize_);
    useOriginalSize_->setChecked(useOriginalSize);
    ApplyOriginalSizeRule();
    connect(useOriginalSize_, &QCheckBox::clicked, this, [this] { ApplyOriginalSizeRule(); });
}

void OutputSizeBoxes::ApplyOriginalSizeRule() {
    const bool original = useOriginalSize_->isChecked();
    const PixelSize shown = original ? movie_ : opened_;
    ShowUnsigned(width_, shown.width);
    ShowUnsigned(height_, shown.height);
    width_->setEnabled(!original);
    height_->setEnabled(!original);
}

bool OutputSizeBoxes::UseOriginalSize() const {
    return useOriginalSize_->isChecked();
}

PixelSize OutputSizeBoxes::Size() const {
    return {ReadUnsigned(width_), ReadUnsigned(height_)};
}

}  // namespace settings
