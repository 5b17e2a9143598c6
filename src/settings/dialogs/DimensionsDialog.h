#pragma once
// "Dimensions": the size of the player area, typed or the movie's own. Nothing is checked
// and neither dimension is derived from the other.

#include <QDialog>

#include "settings/dialogs/OutputSizeBoxes.h"

namespace settings {

class DimensionsDialog : public QDialog {
  public:
    // "Use original doc size" starts checked when `current` is the movie's size.
    DimensionsDialog(PixelSize current, PixelSize movie, QWidget* parent = nullptr);

    // The size as committed by OK, else as given.
    PixelSize Size() const { return size_; }

    void accept() override;

  private:
    PixelSize size_;
    OutputSizeBoxes* boxes_ = nullptr;
};

}  // namespace settings
