#pragma once
// The "Duration" group of the settings dialogs: the start and end frame boxes.

#include <QGroupBox>
#include <cstdint>

#include "settings/dialogs/NumberEdits.h"

class QLineEdit;

namespace settings {

class FrameRangeGroup : public QGroupBox {
  public:
    FrameRangeGroup(NumberEntry entry, int32_t startFrame, int32_t endFrame, QWidget* parent);

    // As typed, signed; the dialog checks them.
    int32_t StartFrame() const;
    int32_t EndFrame() const;

  private:
    QLineEdit* start_ = nullptr;
    QLineEdit* end_ = nullptr;
};

}  // namespace settings
