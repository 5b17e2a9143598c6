#pragma once
// The width and height boxes with "Use original doc size": checked, the boxes show the
// movie's own size and cannot be edited; unchecked, they show the size the dialog was opened
// with and can.

#include <QWidget>
#include <cstdint>

#include "settings/dialogs/NumberEdits.h"

class QCheckBox;
class QLineEdit;

namespace settings {

struct PixelSize {
    int32_t width = 0;
    int32_t height = 0;
};

class OutputSizeBoxes : public QWidget {
  public:
    OutputSizeBoxes(NumberEntry entry, PixelSize opened, PixelSize movie, bool useOriginalSize,
                    QWidget* parent);

    bool UseOriginalSize() const;
    // What the boxes hold, read as unsigned numbers.
    PixelSize Size() const;

  private:
    void ApplyOriginalSizeRule();

    const PixelSize opened_;
    const PixelSize movie_;
    QLineEdit* width_ = nullptr;
    QLineEdit* height_ = nullptr;
    QCheckBox* useOriginalSize_ = nullptr;
};

}  // namespace settings
