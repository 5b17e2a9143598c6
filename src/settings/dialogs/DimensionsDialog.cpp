#include "settings/dialogs/DimensionsDialog.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "settings/dialogs/OkCancelButtons.h"

namespace settings {

DimensionsDialog::DimensionsDialog(PixelSize current, PixelSize movie, QWidget* parent)
    : QDialog(parent), size_(current) {
    setWindowTitle(QStringLiteral("Dimensions"));
    const bool movieSize = current.width == movie.width && current.height == movie.height;
    boxes_ = new OutputSizeBoxes(NumberEntry::AnyText, current, movie, movieSize, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(boxes_);
    layout->addWidget(MakeOkCancelButtons(this));
}

void DimensionsDialog::accept() {
    size_ = boxes_->Size();
    QDialog::accept();
}

}  // namespace settings
