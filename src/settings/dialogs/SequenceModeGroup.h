#pragma once
// The "Sequence" group of the settings dialogs: one radio button per sequence mode. The
// checked button is the pending mode, which the dialog takes over only on OK.

#include <QGroupBox>

#include "settings/SequenceMode.h"

class QButtonGroup;

namespace settings {

class SequenceModeGroup : public QGroupBox {
  public:
    SequenceModeGroup(SequenceMode mode, QWidget* parent);

    // The mode of the checked button; a mode with no button of its own stays as it was.
    SequenceMode Pending() const { return pending_; }

  private:
    SequenceMode pending_;
};

}  // namespace settings
