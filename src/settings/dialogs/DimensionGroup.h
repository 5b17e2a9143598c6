#pragma once
// The "Dimension" group of the export settings dialogs: the output size boxes and "Keep
// aspect ratio", which is only read at OK.

#include <QGroupBox>

#include "settings/dialogs/OutputSizeBoxes.h"

class QCheckBox;

namespace settings {

class DimensionGroup : public QGroupBox {
  public:
    DimensionGroup(NumberEntry entry, PixelSize opened, PixelSize movie, bool useOriginalSize,
                   bool keepAspectRatio, QWidget* parent);

    const OutputSizeBoxes& Boxes() const { return *boxes_; }
    bool KeepAspectRatio() const;

  private:
    OutputSizeBoxes* boxes_ = nullptr;
    QCheckBox* keepAspectRatio_ = nullptr;
};

}  // namespace settings
